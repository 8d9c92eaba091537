// The Debian package as an operator gets it: built with cpack from this build, checked with the
// desktop's own validators, unpacked into a temporary root and started there against the
// simulator. The unpacked program must behave as installed: its settings come from the file
// provisioned beside it and go to the per-user directory, and nothing is written beside it.

#include "SimServer.h"
#include "storage/AppDir.h"
#include "support/Fakes.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/stat.h>

namespace {

const QString AppId = QStringLiteral("com.zeb.TovaVantrel");

struct Run {
    int exitCode = -1;
    QByteArray out;
};

// Runs a tool to its end; a tool that cannot be started fails the test with its name.
Run run(const QString& program, const QStringList& args, const QString& workDir = {},
        const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.setWorkingDirectory(workDir);
    p.setProcessEnvironment(env);
    p.start(program, args);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit)
        return {-1, program.toLocal8Bit() + " did not run (scripts/deps.sh installs it): " + p.errorString().toLocal8Bit()};
    return {p.exitCode(), p.readAll()};
}

} // namespace

class TestPackage final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        const Run cpack = run(QStringLiteral(CPACK_COMMAND),
                              {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("-B"), m_tmp.filePath(QStringLiteral("out"))},
                              QStringLiteral(BUILD_DIR));
        QVERIFY2(cpack.exitCode == 0, cpack.out.constData());
        const QStringList debs = QDir(m_tmp.filePath(QStringLiteral("out"))).entryList({QStringLiteral("*.deb")});
        QCOMPARE(debs.size(), 1);
        m_deb = m_tmp.filePath(QStringLiteral("out/") + debs.first());
        m_root = m_tmp.filePath(QStringLiteral("root"));
        const Run extract = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), m_deb, m_root});
        QVERIFY2(extract.exitCode == 0, extract.out.constData());
    }

    // Every library package the binaries need, and each is one this Debian knows.
    void dependencies()
    {
        const Run depends = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), m_deb, QStringLiteral("Depends")});
        QCOMPARE(depends.exitCode, 0);
        QStringList names;
        for (const QByteArray& entry : depends.out.trimmed().split(','))
            names += QString::fromLatin1(entry.trimmed().split(' ').first());
        for (const char* needed : {"libqt6core6", "libqt6gui6", "libqt6widgets6", "libqt6network6", "libstdc++6", "libc6"})
            QVERIFY2(names.contains(QLatin1String(needed)), depends.out.constData());
        const Run known = run(QStringLiteral("dpkg-query"), QStringList{QStringLiteral("-W")} + names);
        QVERIFY2(known.exitCode == 0, known.out.constData());
    }

    void layoutAndMetadata()
    {
        const QDir r(m_root);
        for (const QString& path : {QStringLiteral("usr/bin/tova-vantrel"), QStringLiteral("usr/bin/zeb-server-sim"),
                                    QStringLiteral("usr/share/icons/hicolor/scalable/apps/") + AppId + QStringLiteral(".svg"),
                                    QStringLiteral("usr/share/doc/tova-vantrel/README.md")})
            QVERIFY2(r.exists(path), qPrintable(path));
        QCOMPARE(HelpPagePath(r.filePath(QStringLiteral("usr/bin"))),
                 r.filePath(QStringLiteral("usr/share/doc/tova-vantrel/help/index.html")));

        const QString desktop = r.filePath(QStringLiteral("usr/share/applications/") + AppId + QStringLiteral(".desktop"));
        const Run validDesktop = run(QStringLiteral("desktop-file-validate"), {desktop});
        QVERIFY2(validDesktop.exitCode == 0 && validDesktop.out.isEmpty(), validDesktop.out.constData());
        // The metainfo with its desktop file and icon, as software centres read the tree.
        QVERIFY(r.exists(QStringLiteral("usr/share/metainfo/") + AppId + QStringLiteral(".metainfo.xml")));
        const Run validTree = run(QStringLiteral("appstreamcli"), {QStringLiteral("validate-tree"), QStringLiteral("--no-net"), m_root});
        QVERIFY2(validTree.exitCode == 0, validTree.out.constData());

        const Run sim = run(r.filePath(QStringLiteral("usr/bin/zeb-server-sim")), {QStringLiteral("--version")});
        QVERIFY2(sim.exitCode == 0 && sim.out.contains(TOVA_VERSION), sim.out.constData());
    }

    void unpackedPanelRunsAsInstalled()
    {
        SimServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        const QString bin = m_root + QStringLiteral("/usr/bin");
        const QByteArray provisioned = TcpIpSettingsFile(5, server.serverPort());
        WriteTestFile(bin + QStringLiteral("/zebntpnl.ini"), provisioned);
        const QString home = m_tmp.filePath(QStringLiteral("home"));
        QProcess panel;
        panel.setProcessEnvironment(ProgramEnvironment(home));
        panel.start(bin + QStringLiteral("/tova-vantrel"), {});
        QVERIFY(panel.waitForStarted(10000));
        QVERIFY(QTest::qWaitFor([&] {
            return server.connectionCount() == 1 && server.sessions()[0]->messagesReceived() > 0;
        }, 20000));
        QVERIFY(QTest::qWaitFor([&] { return CatchesSignal(panel.processId(), SIGTERM); }, 20000));
        SignalProcess(panel, SIGTERM);
        QVERIFY(panel.waitForFinished(20000));
        QCOMPARE(panel.exitCode(), 0);

        // The settings went to the per-user directory, owner-only; the provisioned file is as it was.
        const QString user = home + QStringLiteral("/.config/ZEB/tova-vantrel/");
        const QByteArray written = ReadTestFile(user + QStringLiteral("zebntpnl.ini"));
        QVERIFY2(written.contains("Output=5\r\n") && written.contains("Poll Rate=1\r\n"), written.constData());
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(user + QStringLiteral("zebntpnl.ini")).constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 0777), 0600);
        QCOMPARE(QDir(user).entryList(QDir::Files), (QStringList{QStringLiteral("DisplayList.dat"), QStringLiteral("zebntpnl.ini")}));
        QCOMPARE(ReadTestFile(bin + QStringLiteral("/zebntpnl.ini")), provisioned);
        QCOMPARE(QDir(bin).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{QStringLiteral("tova-vantrel"), QStringLiteral("zeb-server-sim"), QStringLiteral("zebntpnl.ini")}));
    }

private:
    QTemporaryDir m_tmp;
    QString m_deb;
    QString m_root;
};

QTEST_GUILESS_MAIN(TestPackage)
#include "tst_package.moc"
