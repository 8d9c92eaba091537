#include "support/Fakes.h"

#include "app/CommandLine.h"

#include <QTest>

Q_DECLARE_METATYPE(CommandLine::Action)

class TestCommandLine final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Each choice takes its own value; an empty directory or a profile name that is not plain is
    // an error.
    void parse_data()
    {
        Columns<QStringList, CommandLine::Action, QString, QString>("args", "action", "settingsDir", "profile");

        const auto row = [](const char* name, std::initializer_list<const char*> words, CommandLine::Action action,
                            const char* dir = "", const char* profile = "") {
            QStringList args;
            for (const char* word : words)
                args += QString::fromUtf8(word);
            QTest::newRow(name) << args << action << QString::fromUtf8(dir) << QString::fromUtf8(profile);
        };
        row("settings dir", {"--settings-dir", "/srv/panel a"}, CommandLine::Run, "/srv/panel a");
        row("profile", {"--profile", "studio 2"}, CommandLine::Run, "", "studio 2");
        row("empty settings dir", {"--settings-dir="}, CommandLine::Error);
        row("profile with a slash", {"--profile", "../x"}, CommandLine::Error);
        row("profile ..", {"--profile", ".."}, CommandLine::Error);
    }
    void parse()
    {
        auto [args, action, settingsDir, profile] = Fetch<QStringList, CommandLine::Action, QString, QString>("args", "action", "settingsDir", "profile");
        const CommandLine line = ParseCommandLine(QStringList{QStringLiteral("/usr/bin/tova-vantrel")} + args);
        QCOMPARE(line.action, action);
        QCOMPARE(line.dirs.settingsDir, settingsDir);
        QCOMPARE(line.dirs.profile, profile);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
