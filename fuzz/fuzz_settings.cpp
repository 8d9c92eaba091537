// Arbitrary settings files: the INI parser, every key's conversion in ReadSettings, and a
// rewrite by WriteSettings that must keep every line it does not own.

#include "FuzzPanel.h"

#include "storage/IniFile.h"
#include "storage/Settings.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static QTemporaryDir dir;
    const QByteArray contents(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    // Parsing and writing back an unchanged document gives the same lookups.
    const IniFile parsed = IniFile::parse(contents);
    const IniFile again = IniFile::parse(parsed.toBytes());
    for (const char* section : {"CONFIG", "FILE", "TCP/IP", "SECURITY"})
        for (const char* key : {"Output", "Server path", "IP Port", "Time Out", "Password"})
            if (parsed.value(section, key) != again.value(section, key))
                std::abort();

    FuzzPanel f;
    f.s.AppDir = dir.path() + QLatin1Char('/');
    InitVariables(f.s, f.view);
    f.s.ErrorLogEnabled = false;
    QFile::remove(f.s.AppDir + QStringLiteral("DisplayList.dat"));
    QFile file(f.s.AppDir + SettingsFileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(contents);
    file.close();

    if (ReadSettings(f.panel)) {
        f.s.ServerPath = QStringLiteral("/srv");
        WriteSettings(f.panel);
    }
    return 0;
}
