// Arbitrary settings files: every key's conversion in ReadSettings and a rewrite by
// WriteSettings that must keep every line it does not own (the parser alone: fuzz_ini).

#include "FuzzPanel.h"

#include "storage/Settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A memory file system where there is one: writing files per input must not be the run's cost.
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm/tova-fuzz-XXXXXX")
                                                                       : QDir::tempPath() + QStringLiteral("/tova-fuzz-XXXXXX"));
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

    // Every 4th input (the first one too, so that one input run again takes both paths) is also
    // written back: the write's files cost three times the read. A choice made from the input's
    // bytes would be bred into every input by the fuzzer's coverage feedback.
    static unsigned runs = 0;
    const bool writeBack = runs++ % 4 == 0;
    if (ReadSettings(f.panel) && writeBack) {
        f.s.ServerPath = QStringLiteral("/srv");
        WriteSettings(f.panel);
    }
    return 0;
}
