// Arbitrary settings files: every key's conversion in ReadSettings and a rewrite by
// WriteSettings that must keep every line it does not own (the parser alone: fuzz_ini).

#include "FuzzPanel.h"

#include "storage/Settings.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static QTemporaryDir dir;
    const QByteArray contents(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    FuzzPanel& f = FreshPanel();
    f.s.AppDir = dir.path() + QLatin1Char('/');
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
