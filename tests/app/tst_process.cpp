// The real program as a process: every way it is ended (SIGTERM, SIGINT, a second signal) runs
// the one shut-down, whatever start-up dialog is open and whatever the server share is doing.

#include "support/Fakes.h"
#include "support/HungShare.h"
#include "support/SimFiles.h"


#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

constexpr int Bound = 10000;     // ms, for starting processes
constexpr int ExitBound = 2000;  // ms a signalled panel may take to end

// True once the process has installed its own SIGTERM handler (SigCgt in /proc).
bool catchesSigterm(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:")) {
            bool ok = false;
            const qulonglong mask = line.mid(7).trimmed().toULongLong(&ok, 16);
            return ok && (mask & (1ull << (SIGTERM - 1)));
        }
    }
    return false;
}

// The real program, run from a copy in a temporary directory (its own settings home).
struct PanelProcess {
    QTemporaryDir dir;
    QProcess process;

    explicit PanelProcess(const QByteArray& settings)
    {
        QFile::copy(QStringLiteral(TOVA_EXECUTABLE), dir.filePath(QStringLiteral("tova-vantrel")));
        if (!settings.isEmpty())
            WriteTestFile(dir.filePath(QStringLiteral("zebntpnl.ini")), settings);
    }
    bool start()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(env);
        process.start(dir.filePath(QStringLiteral("tova-vantrel")), {});
        return process.waitForStarted(Bound)
            && QTest::qWaitFor([this] { return catchesSigterm(process.processId()); }, Bound);
    }
    void signal(int number) const { ::kill(static_cast<pid_t>(process.processId()), number); }
    // Milliseconds until the process ended, or -1 after bound.
    qint64 endsWithin(int bound)
    {
        QElapsedTimer clock;
        clock.start();
        return process.waitForFinished(bound) ? clock.elapsed() : -1;
    }
    QByteArray settings() const { return ReadTestFile(dir.filePath(QStringLiteral("zebntpnl.ini"))); }
};

QByteArray FileModeSettings(const QString& serverPath)
{
    return "[CONFIG]\r\nOutput=3\r\nTCP/IP Mode=No\r\n[FILE]\r\nServer path=" + serverPath.toLatin1()
        + "\r\nRefresh Rate=100\r\nTime Out=5\r\n[TCP/IP]\r\nIP Port=1250\r\n";
}

} // namespace

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
        PanelProcess panel("[CONFIG]\r\nOutput=9\r\nTCP/IP Mode=Yes\r\n[TCP/IP]\r\nIP Port=1250\r\nIP Address=127.0.0.1\r\n");
        QVERIFY(panel.start());
        panel.signal(signal);
        QVERIFY(panel.endsWithin(ExitBound) >= 0);
        QCOMPARE(panel.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(panel.process.exitCode(), 0);

        // Shut-down wrote the settings: every key is now present, the display list file too.
        const QByteArray written = panel.settings();
        QVERIFY2(written.contains("Output=9\r\n"), written.constData());
        QVERIFY2(written.contains("Poll Rate=1\r\n"), written.constData());
        QVERIFY2(written.contains("Refresh Rate=1\r\n"), written.constData());
        QCOMPARE(QFile(panel.dir.filePath(QStringLiteral("DisplayList.dat"))).size(), 4 + 256);
    }

    // --version answers without a window, a display or a file of its own.
    void printsVersion()
    {
        PanelProcess panel({});
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("no-such-platform"));
        panel.process.setProcessEnvironment(env);
        panel.process.start(panel.dir.filePath(QStringLiteral("tova-vantrel")), {QStringLiteral("--version")});
        QVERIFY(panel.process.waitForFinished(Bound));
        QCOMPARE(panel.process.exitCode(), 0);
        QCOMPARE(panel.process.readAllStandardOutput(), QByteArray("tova-vantrel " TOVA_VERSION "\n"));
        QCOMPARE(QDir(panel.dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("tova-vantrel")});

        QFile help(QFileInfo(QStringLiteral(TOVA_EXECUTABLE)).dir().filePath(QStringLiteral("help/index.html")));
        QVERIFY(help.open(QIODevice::ReadOnly));
        QVERIFY(help.readAll().contains("Tova Vantrel " TOVA_VERSION));
    }

    // A signal while start-up waits for the operator (the first-run message, the message of
    // unreadable server files) ends the program as promptly as one while it runs.
    void signalDuringStartUpDialog_data()
    {
        QTest::addColumn<bool>("configured");
        QTest::newRow("Configuration Error") << false;
        QTest::newRow("Error Reading File") << true;
    }
    void signalDuringStartUpDialog()
    {
        QFETCH(bool, configured);
        QTemporaryDir emptyServer;
        PanelProcess panel(configured ? FileModeSettings(emptyServer.path() + u'/') : QByteArray());
        QVERIFY(panel.start());
        QTest::qWait(300);  // start-up has opened its message
        panel.signal(SIGTERM);
        QVERIFY(panel.endsWithin(ExitBound) >= 0);
        QCOMPARE(panel.process.exitCode(), 0);
        if (configured)
            QVERIFY(panel.settings().contains("Poll Rate=1\r\n"));  // written at shut-down
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

        PanelProcess panel(FileModeSettings(share.path()));
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
        QVERIFY(panel.settings().contains("Server path=" + share.path().toLatin1()));
#endif
    }
};

QTEST_GUILESS_MAIN(TestProcess)
#include "tst_process.moc"
