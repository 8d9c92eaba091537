#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

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
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        panel.setProcessEnvironment(env);
        panel.start(exe, {});
        QVERIFY(panel.waitForStarted(10000));

        // Wait, bounded, until the program handles SIGTERM itself.
        QVERIFY(QTest::qWaitFor([&] { return catchesSigterm(panel.processId()); }, 20000));

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

    // --version prints the build's version and ends before any window or file is touched (a
    // platform that cannot exist would abort the program otherwise). The help page names it too.
    void printsVersion()
    {
        QTemporaryDir dir;
        const QString exe = dir.filePath(QStringLiteral("tova-vantrel"));
        QVERIFY(QFile::copy(QStringLiteral(TOVA_EXECUTABLE), exe));
        QProcess panel;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("no-such-platform"));
        panel.setProcessEnvironment(env);
        panel.start(exe, {QStringLiteral("--version")});
        QVERIFY(panel.waitForFinished(20000));
        QCOMPARE(panel.exitCode(), 0);
        QCOMPARE(panel.readAllStandardOutput(), QByteArray("tova-vantrel " TOVA_VERSION "\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("tova-vantrel")});

        QFile help(QFileInfo(QStringLiteral(TOVA_EXECUTABLE)).dir().filePath(QStringLiteral("help/index.html")));
        QVERIFY(help.open(QIODevice::ReadOnly));
        QVERIFY(help.readAll().contains("Tova Vantrel " TOVA_VERSION));
    }
};

QTEST_GUILESS_MAIN(TestProcess)
#include "tst_process.moc"
