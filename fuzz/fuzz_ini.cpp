// Arbitrary bytes as a settings document: setting a key and writing the document back must keep
// every other line's meaning, a value that was set must read back exactly, and a document written
// back must write back the same.

#include "storage/IniFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

const char* const Sections[] = {"CONFIG", "FILE", "TCP/IP", "SECURITY", "config", "Tcp/Ip"};
const char* const Keys[] = {"Output", "Server path", "IP Port", "Time Out", "Password", "OUTPUT"};

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    // The first byte picks the key to set and how much of the input's end becomes its value.
    const std::uint8_t pick = data[0];
    const auto contents = QByteArray::fromRawData(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    const QByteArray section = Sections[pick % 6];
    const QByteArray key = Keys[(pick / 6) % 6];
    const QByteArray value = contents.right((pick >> 5) * 3);

    // The key set and twelve others (some of them the same key in another letter case), as the
    // document reads before the key is set.
    struct Probe {
        const char* section;
        const char* key;
        QByteArray before;
    };
    IniFile ini = IniFile::parse(contents);
    Probe probes[13] = {{section.constData(), key.constData(), {}}};
    for (int i = 0; i < 12; ++i)
        probes[i + 1] = {Sections[i % 6], Keys[(i % 6 + (i < 6 ? pick : pick / 6)) % 6], {}};
    for (Probe& p : probes)
        p.before = ini.value(p.section, p.key);

    // Setting one key changes that key only; the document written back reads back the same and
    // is written back unchanged.
    const bool set = ini.setValue(section, key, value);
    Check(set == !(value.contains('\r') || value.contains('\n')));
    const QByteArray written = ini.toBytes();
    const IniFile reread = IniFile::parse(written);
    Check(reread.toBytes() == written);
    for (const Probe& p : probes) {
        const bool same = set && section.compare(p.section, Qt::CaseInsensitive) == 0
            && key.compare(p.key, Qt::CaseInsensitive) == 0;
        Check(reread.value(p.section, p.key) == (same ? value : p.before));
    }
    return 0;
}
