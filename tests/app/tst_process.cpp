// The real program as a process: every way it is ended (SIGTERM, SIGINT, a second signal) runs
// the one shut-down, whatever start-up dialog is open and whatever the server share is doing;
// its command line; two of it side by side.

#include "support/Fakes.h"
#include "support/HungShare.h"
#include "support/SimFiles.h"

#include "SimServer.h"


#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

constexpr int Bound = 10000;     // ms, for starting processes
constexpr int ExitBound = 2000;  // ms a signalled panel may take to end

// The real program, run from a copy in a temporary directory (its own settings home), with the
// operator library preloaded: it names each window as it shows and presses OK in the first
// `answers` message boxes.
struct PanelProcess {
    QTemporaryDir dir;
    QProcess process;
    QByteArray err;

    explicit PanelProcess(const QByteArray& settings)
    {
        QFile::copy(QStringLiteral(TOVA_EXECUTABLE), dir.filePath(QStringLiteral("tova-vantrel")));
        if (!settings.isEmpty())
            WriteTestFile(dir.filePath(QStringLiteral("zebntpnl.ini")), settings);
    }
    bool start(int answers = 0)
    {
        QProcessEnvironment env = ProgramEnvironment(dir.path());
        env.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(OPERATOR_LIBRARY));
        env.insert(QStringLiteral("TOVA_ANSWER_BOXES"), QString::number(answers));
        process.setProcessEnvironment(env);
        process.start(dir.filePath(QStringLiteral("tova-vantrel")), {});
        return process.waitForStarted(Bound)
            && QTest::qWaitFor([this] { return CatchesSignal(process.processId(), SIGTERM); }, Bound);
    }
    void signal(int number) const { SignalProcess(process, number); }
    // Waits until the window that `shown` names (an objectName, or a box's quoted title) shows.
    bool shows(const QByteArray& shown)
    {
        const QByteArray line = "shown: " + shown;
        return QTest::qWaitFor([&] { return (err += process.readAllStandardError()).contains(line); }, Bound);
    }
    // Milliseconds until the process ended, or -1 after bound.
    qint64 endsWithin(int bound)
    {
        QElapsedTimer clock;
        clock.start();
        return process.waitForFinished(bound) ? clock.elapsed() : -1;
    }
    QByteArray settings() const { return ReadTestFile(dir.filePath(QStringLiteral("zebntpnl.ini"))); }
};

} // namespace

class TestProcess final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A signal while start-up waits for the operator, at each of its windows (the boxes answered
    // before it), ends the program as promptly as one while it runs, opens nothing more and
    // writes the settings (a damaged file, or unreadable server files).
    void signalDuringStartUpDialog_data()
    {
        Columns<bool, int, QByteArray>("damaged", "answers", "shown");
        QTest::newRow("Configuration Error") << true << 0 << QByteArray(" \"Configuration Error\"");
        QTest::newRow("login after it") << true << 1 << QByteArray("frmTovaLogin ");
        QTest::newRow("Error Reading File") << false << 0 << QByteArray(" \"Error Reading File\"");
        QTest::newRow("setup after Server Files not found") << false << 2 << QByteArray("frmTovaFile ");
    }
    void signalDuringStartUpDialog()
    {
        auto [damaged, answers, shown] = Fetch<bool, int, QByteArray>("damaged", "answers", "shown");
        QTemporaryDir emptyServer;
        const QByteArray settings = FileModeSettingsFile(emptyServer.path() + u'/');
        PanelProcess panel(damaged ? QByteArray(settings).replace("Refresh Rate=100", "Refresh Rate=100 ms") : settings);
        QVERIFY(panel.start(answers));
        // Both the window start-up waits at and the main window: every window shown so far is read.
        QVERIFY2(panel.shows(shown) && panel.shows("frmTovaMain "), panel.err.constData());
        const qsizetype before = panel.err.size();
        panel.signal(SIGTERM);
        QVERIFY(panel.endsWithin(ExitBound) >= 0);
        QCOMPARE(panel.process.exitCode(), 0);
        QVERIFY(!(panel.err + panel.process.readAllStandardError()).mid(before).contains("shown: "));
        QVERIFY(panel.settings().contains("Poll Rate=1\r\n"));  // a key only the shut-down writes
    }

    // On a share that stopped answering, the program still ends within the bound, with its
    // settings written; a second signal ends it at once.
    void hungShare_data()
    {
        QTest::addColumn<bool>("twice");
        QTest::newRow("one signal") << false;
        QTest::newRow("second signal") << true;
    }
    void hungShare()
    {
#ifndef HANGFS_EXECUTABLE
        QSKIP("built without libfuse3: no hung share to test with");
#else
        QFETCH(bool, twice);
        SimFiles files;
        QVERIFY(files.start());
        HungShare share;
        QString why;
        QVERIFY2(share.mount(files.dir.path(), &why), qPrintable(why));

        PanelProcess panel(FileModeSettingsFile(share.path()));
        QVERIFY(panel.start());
        QTest::qWait(500);
        share.hang();
        QTest::qWait(500);  // a poll tick's read is now stuck on the share
        panel.signal(SIGTERM);
        if (twice) {
            QTest::qWait(100);
            panel.signal(SIGTERM);
            QVERIFY(panel.endsWithin(500) >= 0);
            QCOMPARE(panel.process.exitCode(), 128 + SIGTERM);
        } else {
            QVERIFY(panel.endsWithin(ExitBound) >= 0);
            QCOMPARE(panel.process.exitCode(), 0);
        }
        QVERIFY(panel.settings().contains("Poll Rate=1\r\n"));  // a key only the shut-down writes
#endif
    }

    // Help, version and usage errors are answered before Qt starts: with no usable platform the
    // program would abort if it opened anything.
    void commandLineNeedsNoDisplay_data()
    {
        Columns<QString, int, QByteArray, QByteArray>("option", "exitCode", "out", "err");
        QTest::newRow("--help") << "--help" << 0 << QByteArray("--profile NAME") << QByteArray();
        QTest::newRow("--version") << "--version" << 0 << QByteArray("tova-vantrel " TOVA_VERSION "\n") << QByteArray();
        QTest::newRow("bad option") << "--bogus" << 2 << QByteArray() << QByteArray("'bogus'");
    }
    void commandLineNeedsNoDisplay()
    {
        auto [option, exitCode, out, err] = Fetch<QString, int, QByteArray, QByteArray>("option", "exitCode", "out", "err");
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
    // connect; ended by SIGTERM and SIGINT, each writes its own settings (every key now present)
    // and display list back into its own directory.
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
        const QProcessEnvironment env = ProgramEnvironment(home.path());

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
        for (int i = 0; i < 2; ++i) {
            QVERIFY(QTest::qWaitFor([&] { return CatchesSignal(panels[i]->processId(), SIGTERM); }, 20000));
            SignalProcess(*panels[i], i == 0 ? SIGTERM : SIGINT);
        }
        for (int i = 0; i < 2; ++i) {
            QVERIFY(panels[i]->waitForFinished(20000));
            QCOMPARE(panels[i]->exitStatus(), QProcess::NormalExit);
            QCOMPARE(panels[i]->exitCode(), 0);
            QFile ini(dirs[i] + QStringLiteral("/zebntpnl.ini"));
            QVERIFY(ini.open(QIODevice::ReadOnly));
            const QByteArray written = ini.readAll();
            QVERIFY2(written.contains("Output=" + QByteArray::number(outputs[i]) + "\r\n"), written.constData());
            QVERIFY2(written.contains("Poll Rate=1\r\n") && written.contains("Refresh Rate=1\r\n"), written.constData());
            // Its own files, and no error logged.
            QCOMPARE(QDir(dirs[i]).entryList(QDir::Files),
                     (QStringList{QStringLiteral("DisplayList.dat"), QStringLiteral("zebntpnl.ini")}));
        }
    }
};

QTEST_GUILESS_MAIN(TestProcess)
#include "tst_process.moc"
