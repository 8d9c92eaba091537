#include "app/CommandLine.h"

#include <QTest>

Q_DECLARE_METATYPE(CommandLine::Action)

class TestCommandLine final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<CommandLine::Action>("action");
        QTest::addColumn<QString>("settingsDir");
        QTest::addColumn<QString>("profile");
        QTest::addColumn<QString>("says");  // part of the printed text

        const auto row = [](const char* name, std::initializer_list<const char*> words, CommandLine::Action action,
                            const char* dir = "", const char* profile = "", const char* says = "") {
            QStringList args;
            for (const char* word : words)
                args += QString::fromUtf8(word);
            QTest::newRow(name) << args << action << QString::fromUtf8(dir) << QString::fromUtf8(profile)
                                << QString::fromUtf8(says);
        };
        using A = CommandLine;
        row("nothing", {}, A::Run);
        row("settings dir", {"--settings-dir", "/srv/panel a"}, A::Run, "/srv/panel a");
        row("settings dir with =", {"--settings-dir=rel/dir"}, A::Run, "rel/dir");
        row("profile", {"--profile", "studio 2"}, A::Run, "", "studio 2");
        row("profile with =", {"--profile=b"}, A::Run, "", "b");
        row("help", {"--help"}, A::Help, "", "", "--settings-dir DIR");
        row("short help", {"-h"}, A::Help, "", "", "--profile NAME");
        row("help beside an option", {"--profile", "a", "--help"}, A::Help, "", "", "--version");
        row("version", {"--version"}, A::Version, "", "", "tova-vantrel " TOVA_VERSION "\n");
        row("short version", {"-v"}, A::Version, "", "", TOVA_VERSION);
        row("unknown option", {"--bogus"}, A::Error, "", "", "'bogus'");
        row("Qt's own option", {"-platform", "offscreen"}, A::Error, "", "", "'platform'");
        row("missing value", {"--profile"}, A::Error, "", "", "--profile");
        row("both choices", {"--profile", "a", "--settings-dir", "b"}, A::Error, "", "", "cannot be used together");
        row("profile twice", {"--profile", "a", "--profile", "b"}, A::Error, "", "", "more than once");
        row("empty settings dir", {"--settings-dir="}, A::Error, "", "", "needs a directory");
        row("empty profile", {"--profile", ""}, A::Error, "", "", "plain name");
        row("profile with a slash", {"--profile", "../x"}, A::Error, "", "", "'../x'");
        row("profile ..", {"--profile", ".."}, A::Error, "", "", "plain name");
        row("stray argument", {"extra"}, A::Error, "", "", "'extra'");
    }
    void parse()
    {
        QFETCH(QStringList, args);
        QFETCH(CommandLine::Action, action);
        QFETCH(QString, settingsDir);
        QFETCH(QString, profile);
        QFETCH(QString, says);
        const CommandLine line = ParseCommandLine(QStringList{QStringLiteral("/usr/bin/tova-vantrel")} + args);
        QCOMPARE(line.action, action);
        QCOMPARE(line.dirs.settingsDir, settingsDir);
        QCOMPARE(line.dirs.profile, profile);
        QVERIFY2(line.text.contains(says), qPrintable(line.text));
        if (action == CommandLine::Error)
            QVERIFY(line.text.startsWith(QStringLiteral("tova-vantrel: ")) && line.text.contains(QStringLiteral("--help")));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
