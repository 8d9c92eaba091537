// Arbitrary bytes as a settings document: parsing, writing back and setting a key must keep
// every other line's meaning, and a value that was set must read back exactly.

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
    const QByteArray contents(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    const QByteArray section = Sections[pick % 6];
    const QByteArray key = Keys[(pick / 6) % 6];
    const QByteArray value = contents.right((pick >> 5) * 3);

    // Writing back a parsed document is stable and keeps every lookup.
    const IniFile parsed = IniFile::parse(contents);
    const QByteArray written = parsed.toBytes();
    const IniFile again = IniFile::parse(written);
    Check(again.toBytes() == written);
    for (int i = 0; i < 6; ++i)
        Check(parsed.value(Sections[i], Keys[(i + pick) % 6]) == again.value(Sections[i], Keys[(i + pick) % 6]));

    // Setting one key changes that key only.
    IniFile changed = parsed;
    const bool set = changed.setValue(section, key, value);
    Check(set == !(value.contains('\r') || value.contains('\n')));
    const IniFile reread = IniFile::parse(changed.toBytes());
    // The key set, and six others (some of them the same key in another letter case).
    Check(reread.value(section, key) == (set ? value : parsed.value(section, key)));
    for (int i = 0; i < 6; ++i) {
        const char* s = Sections[i];
        const char* k = Keys[(i + pick / 6) % 6];
        const bool same = set && QByteArray(s).compare(section, Qt::CaseInsensitive) == 0
            && QByteArray(k).compare(key, Qt::CaseInsensitive) == 0;
        Check(reread.value(s, k) == (same ? value : parsed.value(s, k)));
    }
    return 0;
}
