#include "SimServer.h"
#include "support/Fakes.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

QProcessEnvironment offscreen()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return env;
}

} // namespace

// The real program, run from a copy in a temporary directory (its own settings home).
class TestProcess final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void terminationWritesSettings_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
    }
    void terminationWritesSettings()
    {
        QFETCH(int, signal);
        QTemporaryDir dir;
        const QString exe = dir.filePath(QStringLiteral("tova-vantrel"));
        QVERIFY(QFile::copy(QStringLiteral(TOVA_EXECUTABLE), exe));
        QFile ini(dir.filePath(QStringLiteral("zebntpnl.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[CONFIG]\r\nOutput=9\r\nTCP/IP Mode=Yes\r\n[TCP/IP]\r\nIP Port=1250\r\nIP Address=127.0.0.1\r\n");
        ini.close();

        QProcess panel;
        panel.setProcessEnvironment(offscreen());
        panel.start(exe, {});
        QVERIFY(panel.waitForStarted(10000));

        // Wait, bounded, until the program handles SIGTERM itself.
        QVERIFY(QTest::qWaitFor([&] { return CatchesSignal(panel.processId(), SIGTERM); }, 20000));

        ::kill(static_cast<pid_t>(panel.processId()), signal);
        QVERIFY(panel.waitForFinished(20000));
        QCOMPARE(panel.exitStatus(), QProcess::NormalExit);
        QCOMPARE(panel.exitCode(), 0);

        // Shut-down wrote the settings: every key is now present, the display list file too.
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QByteArray written = ini.readAll();
        QVERIFY2(written.contains("Output=9\r\n"), written.constData());
        QVERIFY2(written.contains("Poll Rate=1\r\n"), written.constData());
        QVERIFY2(written.contains("Refresh Rate=1\r\n"), written.constData());
        QCOMPARE(QFile(dir.filePath(QStringLiteral("DisplayList.dat"))).size(), 4 + 256);
    }

    // Help, version and usage errors are answered before Qt starts: with no usable platform the
    // program would abort if it opened anything.
    void commandLineNeedsNoDisplay_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");
        QTest::newRow("--help") << "--help" << 0 << QByteArray("--profile NAME") << QByteArray();
        QTest::newRow("--version") << "--version" << 0 << QByteArray("tova-vantrel " TOVA_VERSION "\n") << QByteArray();
        QTest::newRow("bad option") << "--bogus" << 2 << QByteArray() << QByteArray("'bogus'");
    }
    void commandLineNeedsNoDisplay()
    {
        QFETCH(QString, option);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("no-such-platform"));
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(TOVA_EXECUTABLE), {option});
        QVERIFY(program.waitForFinished(20000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), exitCode);
        const QByteArray stdOut = program.readAllStandardOutput();
        const QByteArray stdErr = program.readAllStandardError();
        QVERIFY2(out.isEmpty() ? stdOut.isEmpty() : stdOut.contains(out), stdOut.constData());
        QVERIFY2(err.isEmpty() ? stdErr.isEmpty() : stdErr.contains(err), stdErr.constData());
    }

    // Two panels at once against one server, each with its own directory and destination: both
    // connect, and each writes its own settings back into its own directory on SIGTERM.
    void twoPanelsSideBySide_data()
    {
        QTest::addColumn<QString>("option");
        QTest::newRow("profiles") << "--profile";
        QTest::newRow("settings directories") << "--settings-dir";
    }
    void twoPanelsSideBySide()
    {
        QFETCH(QString, option);
        SimServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        QTemporaryDir home;
        QProcessEnvironment env = offscreen();
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral(".config")));
        env.insert(QStringLiteral("XDG_CONFIG_DIRS"), home.filePath(QStringLiteral("etc")));

        const QStringList names{QStringLiteral("north"), QStringLiteral("south")};
        const int outputs[] = {3, 7};
        std::unique_ptr<QProcess> panels[2];
        QString dirs[2];
        for (int i = 0; i < 2; ++i) {
            dirs[i] = option == QStringLiteral("--profile")
                ? home.filePath(QStringLiteral(".config/ZEB/tova-vantrel/profiles/") + names[i])
                : home.filePath(QStringLiteral("panels/") + names[i]);
            QVERIFY(QDir().mkpath(dirs[i]));
            WriteTestFile(dirs[i] + QStringLiteral("/zebntpnl.ini"), TcpIpSettingsFile(outputs[i], server.serverPort()));
            panels[i] = std::make_unique<QProcess>();
            panels[i]->setProcessEnvironment(env);
            panels[i]->start(QStringLiteral(TOVA_EXECUTABLE), {option, option == QStringLiteral("--profile") ? names[i] : dirs[i]});
            QVERIFY(panels[i]->waitForStarted(10000));
        }

        // Both are connected and have talked to the server.
        QVERIFY(QTest::qWaitFor([&] {
            const auto sessions = server.sessions();
            return server.connectionCount() == 2 && sessions[0]->messagesReceived() > 0
                && sessions[1]->messagesReceived() > 0;
        }, 20000));
        for (auto& panel : panels) {
            QVERIFY(QTest::qWaitFor([&] { return CatchesSignal(panel->processId(), SIGTERM); }, 20000));
            ::kill(static_cast<pid_t>(panel->processId()), SIGTERM);
        }
        for (int i = 0; i < 2; ++i) {
            QVERIFY(panels[i]->waitForFinished(20000));
            QCOMPARE(panels[i]->exitCode(), 0);
            QFile ini(dirs[i] + QStringLiteral("/zebntpnl.ini"));
            QVERIFY(ini.open(QIODevice::ReadOnly));
            const QByteArray written = ini.readAll();
            QVERIFY2(written.contains("Output=" + QByteArray::number(outputs[i]) + "\r\n"), written.constData());
            QVERIFY2(written.contains("Poll Rate=1\r\n"), written.constData());
            // Its own files, and no error logged.
            QCOMPARE(QDir(dirs[i]).entryList(QDir::Files),
                     (QStringList{QStringLiteral("DisplayList.dat"), QStringLiteral("zebntpnl.ini")}));
        }
    }
};

QTEST_GUILESS_MAIN(TestProcess)
#include "tst_process.moc"
