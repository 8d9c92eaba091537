#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStandardPaths>

#include <cstdio>

#ifndef TOVA_VERSION
#error "TOVA_VERSION must be defined by the build"
#endif

namespace {

const QString Program = QStringLiteral("tova-vantrel");

const QString HelpText = QStringLiteral(
    "Usage: tova-vantrel [--settings-dir DIR | --profile NAME]\n"
    "\n"
    "Tova Vantrel: a control panel for one destination of an audio routing switcher.\n"
    "\n"
    "Options:\n"
    "  --settings-dir DIR  keep this panel's settings file (zebntpnl.ini), display list\n"
    "                      file (DisplayList.dat) and error log (Errorlog.txt) in DIR,\n"
    "                      created if missing\n"
    "  --profile NAME      the same in the named directory profiles/NAME of the per-user\n"
    "                      configuration directory (~/.config/ZEB/tova-vantrel/)\n"
    "  -h, --help          show this help and exit\n"
    "  -v, --version       show the version and exit\n"
    "\n"
    "Without an option the files live beside the program when it can write there and is\n"
    "not installed, otherwise in ~/.config/ZEB/tova-vantrel/. Several panels can run side\n"
    "by side, each with its own --profile or --settings-dir.\n");

CommandLine failure(const QString& why)
{
    return {CommandLine::Error, {},
            QStringLiteral("%1: %2\nTry '%1 --help' for more information.\n").arg(Program, why)};
}

bool plainName(const QString& name)
{
    return !name.isEmpty() && name != QStringLiteral(".") && name != QStringLiteral("..")
        && !name.contains(u'/');
}

} // namespace

CommandLine ParseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    const QCommandLineOption settingsDir(QStringLiteral("settings-dir"), {}, QStringLiteral("DIR"));
    const QCommandLineOption profile(QStringLiteral("profile"), {}, QStringLiteral("NAME"));
    parser.addOptions({help, version, settingsDir, profile});

    if (!parser.parse(arguments.isEmpty() ? QStringList{Program} : arguments))
        return failure(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return failure(QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));
    if (parser.isSet(help))
        return {CommandLine::Help, {}, HelpText};
    if (parser.isSet(version))
        return {CommandLine::Version, {}, QStringLiteral("%1 %2\n").arg(Program, QStringLiteral(TOVA_VERSION))};

    for (const QCommandLineOption& option : {settingsDir, profile})
        if (parser.values(option).size() > 1)
            return failure(QStringLiteral("--%1 given more than once").arg(option.names().first()));
    if (parser.isSet(settingsDir) && parser.isSet(profile))
        return failure(QStringLiteral("--settings-dir and --profile cannot be used together"));

    CommandLine line;
    if (parser.isSet(settingsDir)) {
        line.dirs.settingsDir = parser.value(settingsDir);
        if (line.dirs.settingsDir.isEmpty())
            return failure(QStringLiteral("--settings-dir needs a directory"));
    }
    if (parser.isSet(profile)) {
        line.dirs.profile = parser.value(profile);
        if (!plainName(line.dirs.profile))
            return failure(QStringLiteral("the profile name '%1' must be a plain name (not empty, no '/')")
                               .arg(line.dirs.profile));
    }
    return line;
}

CommandLine ParseCommandLine(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments += QString::fromLocal8Bit(argv[i]);
    return ParseCommandLine(arguments);
}

int ReportCommandLine(const CommandLine& line)
{
    const QByteArray text = line.text.toLocal8Bit();
    std::FILE* stream = line.action == CommandLine::Error ? stderr : stdout;
    std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stream);
    std::fflush(stream);
    return line.action == CommandLine::Error ? 2 : 0;
}

QString PanelAppDir(const CommandLine& line)
{
    const QString user = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QStringList system = QStandardPaths::standardLocations(QStandardPaths::AppConfigLocation);
    system.removeAll(user);
    QString why;
    const QString dir = ResolveAppDir({QCoreApplication::applicationDirPath(), user, system}, line.dirs, &why);
    if (dir.isEmpty())
        ReportCommandLine({CommandLine::Error, {}, QStringLiteral("%1: %2\n").arg(Program, why)});
    return dir;
}
