// The simulator's File mode on a temporary directory, driven by calling scan() directly: the
// files' layouts byte for byte and what the panel's poll relies on (stamps, modification times).

#include "FileServer.h"
#include "NetworkFiles.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int Timeout = 10000;

QString L(const char* text) { return QString::fromLatin1(text); }

QByteArray read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QStringList sorted(QStringList names)
{
    names.sort();
    return names;
}

qint64 mtime(const QString& path) { return QFileInfo(path).lastModified().toSecsSinceEpoch(); }

// Classic: 2 x 2, type 1201 (classic on request), source 1 inhibited on destination 1.
// Extended: sources MIC, aux, CD (display order aux, CD, MIC), 2 destinations, type 1351 (OFF
// source = channel 3), source 2 inhibited on destination 1, destination 1 on OFF.
RouterModel::Config config(bool classic)
{
    RouterModel::Config c;
    c.sources = classic ? 2 : 3;
    c.destinations = 2;
    c.systemType = classic ? 1201 : 1351;
    c.inhibits = {{classic ? 1 : 2, 1}};
    return c;
}

struct Fixture {
    explicit Fixture(bool classic = false) : model(config(classic))
    {
        if (!classic) {
            model.setSourceName(0, "MIC");
            model.setSourceName(1, "aux");
            model.setSourceName(2, "CD");
            model.route(3, 1);
        }
        server = std::make_unique<FileServer>(model, FileServerOptions{dir.path(), classic, true, 0});
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    QByteArray map() const { return read(server->path(server->dataFiles()[1])); }
    quint8 mapStamp() const { return map().isEmpty() ? 0 : quint8(map()[0]); }

    QTemporaryDir dir;
    RouterModel model;
    std::unique_ptr<FileServer> server;
};

} // namespace

class TestSimFiles final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void layoutChoice_data()
    {
        QTest::addColumn<int>("sources");
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("classic");
        QTest::newRow("1201 256x256") << 256 << 1201 << false << true;
        QTest::newRow("1351 256x256") << 256 << 1351 << false << false;
        QTest::newRow("1201 255x256") << 255 << 1201 << false << false;
        QTest::newRow("asked, fits") << 16 << 1301 << true << true;
        QTest::newRow("asked, OFF overflows") << 256 << 1301 << true << false;
    }
    void layoutChoice()
    {
        QFETCH(int, sources);
        QFETCH(int, type);
        QFETCH(bool, asked);
        QFETCH(bool, classic);
        RouterModel::Config c;
        c.sources = sources;
        c.destinations = 256;
        c.systemType = type;
        QCOMPARE(FileServer::chooseLayout(RouterModel(c), asked) == FileServer::Layout::Classic, classic);
    }

    // Hand-computed from the layout tables; stamp 1 is the first map.
    void bytes_data()
    {
        QTest::addColumn<bool>("classic");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QByteArray>("expected");
        const auto row = [](const char* name, bool classic, const char* file, int size, int offset, const char* hex) {
            QTest::newRow(name) << classic << L(file) << size << offset << QByteArray::fromHex(hex);
        };
        row("lAlpha", false, "lAlpha.ndf", 56, 0,
            "4705 0300 6175782020202020 4344202020202020 4D49432020202020 0100 0200 0000"
            " 0200 4453542030312020 4453542030322020 0000 0100");
        row("lXptmap", false, "lXptmap.ndf", 9, 0, "01 0200 0100 0000 0000");
        row("lInhbt", false, "lInhbt.ndf", 10, 0, "0200 0300 303030 303031");
        row("Status", false, "Status.ndf", 1, 0, "01");
        row("Alpha sources", true, "Alpha.ndf", 4608, 0, "5352432030312020 5352432030322020 7B7B7B7B7B7B7B7B");
        row("Alpha source channels", true, "Alpha.ndf", 4608, 2048, "00010203");
        row("Alpha last source channel", true, "Alpha.ndf", 4608, 2303, "FF");
        row("Alpha destinations", true, "Alpha.ndf", 4608, 2304, "4453542030312020 4453542030322020 7B7B7B7B7B7B7B7B");
        row("Alpha destination channels", true, "Alpha.ndf", 4608, 4352, "000102");
        row("Alpha last destination channel", true, "Alpha.ndf", 4608, 4607, "FF");
        row("Xptmap", true, "Xptmap.ndf", 257, 0, "01 00 01 00");
        row("Inhbt row 1", true, "Inhbt.ndf", 65536, 255, "00 000100");
        row("classic Status", true, "Status.ndf", 1, 0, "01");
    }
    void bytes()
    {
        QFETCH(bool, classic);
        QFETCH(QString, file);
        QFETCH(int, size);
        QFETCH(int, offset);
        QFETCH(QByteArray, expected);
        Fixture f(classic);
        QVERIFY(f.server->start());
        const QByteArray bytes = read(f.path(file));
        QCOMPARE(bytes.size(), size);
        QCOMPARE(bytes.mid(offset, expected.size()).toHex(' '), expected.toHex(' '));
    }

    // The first map goes on from a stamp an earlier run left; every rewrite changes it, never to 0.
    void stamps_data()
    {
        QTest::addColumn<int>("previous");
        QTest::addColumn<int>("first");
        QTest::newRow("none") << -1 << 1;
        QTest::newRow("7") << 7 << 8;
        QTest::newRow("255 wraps past 0") << 255 << 1;
    }
    void stamps()
    {
        QFETCH(int, previous);
        QFETCH(int, first);
        Fixture f;
        if (previous >= 0)
            write(f.path(L("lXptmap.ndf")), QByteArray(1, char(previous)) + "old");
        QVERIFY(f.server->start());
        QCOMPARE(int(f.mapStamp()), first);
        for (int i = 0, last = first; i < 300; ++i, last = f.mapStamp()) {
            f.server->crosspointsChanged();
            QCOMPARE(int(f.mapStamp()), last % 255 + 1);
        }
    }

    // Readers compare whole-second modification times: each rewrite of the status (or names,
    // inhibits) file shows a new one however fast they come, and a take touches none of them.
    void statusAndModificationTimes()
    {
        Fixture f;
        QVERIFY(f.server->start());
        const QString status = f.path(L("Status.ndf"));
        for (const bool connected : {false, true, false, true}) {
            const qint64 before = mtime(status);
            f.server->setConnected(connected);
            QCOMPARE(read(status), QByteArray(1, char(connected)));
            QVERIFY(mtime(status) != before);
        }
        QVERIFY(mtime(status) <= QDateTime::currentSecsSinceEpoch() + 4);

        QList<QDateTime> before;
        for (const QString& name : f.server->dataFiles())
            before.append(QFileInfo(f.path(name)).lastModified());
        write(f.path(L("xpt00002.wcf")), QByteArray::fromHex("01000000"));
        f.server->scan();
        QCOMPARE(f.model.sourceOf(0), 1);
        for (int i : {0, 2, 3})
            QCOMPARE(QFileInfo(f.path(f.server->dataFiles()[i])).lastModified(), before[i]);
    }

    void commands_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("source");
        QTest::addColumn<int>("destination");
        QTest::addColumn<bool>("done");
        const auto row = [](const char* name, const char* file, const char* hex, int s, int d, bool done) {
            QTest::newRow(name) << L(file) << QByteArray::fromHex(hex) << s << d << done;
        };
        row("narrow with tail", "xpt00001.wcf", "02000707", 2, 0, true);
        row("wide with tail", "xpt00002.wcf", "010000000505", 1, 0, true);
        row("wide OFF source", "xpt00002.wcf", "03000000", 3, 0, true);
        row("upper-case name", "XPT00002.WCF", "01000000", 1, 0, true);
        row("inhibited", "xpt00002.wcf", "02000100", 2, 1, false);
        row("destination out of range", "xpt00002.wcf", "00000500", 0, 5, false);
        row("negative source", "xpt00002.wcf", "FFFF0000", -1, 0, false);
    }
    void commands()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(int, source);
        QFETCH(int, destination);
        QFETCH(bool, done);
        Fixture f;
        QVERIFY(f.server->start());
        const QByteArray map = f.map();
        QSignalSpy consumed(f.server.get(), &FileServer::commandConsumed);
        write(f.path(file), bytes);
        f.server->scan();
        QCOMPARE(consumed.size(), 1);
        QCOMPARE(consumed[0], (QVariantList{file, source, destination, done}));
        QCOMPARE(sorted(QDir(f.dir.path()).entryList(QDir::Files | QDir::Hidden)), sorted(f.server->dataFiles()));
        QCOMPARE(f.map() != map, done);
        QCOMPARE(f.map(), NetworkFiles::ExtendedCrosspointFile(f.model, f.mapStamp()));
        QCOMPARE(f.model.sourceOf(destination) == source, done);
    }

    // A short command file may still be being written: it is left alone for a while.
    void shortCommand()
    {
        Fixture f;
        QVERIFY(f.server->start());
        const QString file = f.path(L("xpt00002.wcf"));
        write(file, QByteArray::fromHex("0100"));
        f.server->scan();
        QVERIFY(QFileInfo::exists(file));
        QFile old(file);
        QVERIFY(old.open(QIODevice::ReadWrite));
        QVERIFY(old.setFileTime(QDateTime::currentDateTime().addSecs(-10), QFileDevice::FileModificationTime));
        old.close();
        f.server->scan();
        QVERIFY(!QFileInfo::exists(file));
    }

    // Files of the other layout, or ours in another letter case, would mislead a panel.
    void strayFilesRemoved()
    {
        Fixture f;
        for (const char* name : {"Alpha.ndf", "XPTMAP.NDF", "LALPHA.NDF", ".taking-xpt00001.wcf", "notes.txt"})
            write(f.path(L(name)), "old");
        QVERIFY(f.server->start());
        QCOMPARE(sorted(QDir(f.dir.path()).entryList(QDir::Files | QDir::Hidden)),
                 sorted(f.server->dataFiles() << L("notes.txt")));
    }

    void outage_data()
    {
        QTest::addColumn<bool>("remove");
        QTest::newRow("removed") << true;
        QTest::newRow("unreadable") << false;
    }
    void outage()
    {
        QFETCH(bool, remove);
        Fixture f;
        QVERIFY(f.server->start());
        const quint8 stamp = f.mapStamp();
        f.server->beginOutage(remove ? FileServer::Outage::Removed : FileServer::Outage::Unreadable);
        for (const QString& name : f.server->dataFiles()) {
            const QFileInfo info(f.path(name));
            QCOMPARE(info.exists(), !remove);
            QVERIFY(!(info.permissions() & (QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther)));
        }
        // The server is down: commands wait, changes are only remembered.
        write(f.path(L("xpt00002.wcf")), QByteArray::fromHex("01000000"));
        f.server->scan();
        QVERIFY(QFileInfo::exists(f.path(L("xpt00002.wcf"))));
        QCOMPARE(f.model.route(2, 0), RouterModel::RouteResult::Done);
        f.server->crosspointsChanged();
        f.server->setConnected(false);

        f.server->endOutage();
        QCOMPARE(read(f.path(L("lAlpha.ndf"))), NetworkFiles::ExtendedAlphaFile(f.model));
        QCOMPARE(read(f.path(L("lInhbt.ndf"))), NetworkFiles::ExtendedInhibitFile(f.model));
        QCOMPARE(read(f.path(L("Status.ndf"))), NetworkFiles::StatusFile(false));
        QVERIFY(f.mapStamp() != stamp);
        QCOMPARE(f.map(), NetworkFiles::ExtendedCrosspointFile(f.model, f.mapStamp()));
        f.server->scan();
        QCOMPARE(f.model.sourceOf(0), 1);
    }

    // The program itself, files only.
    void program()
    {
        QTemporaryDir dir;
        const QString files = dir.filePath(L("server"));
        QProcess sim;
        sim.start(L(SIM_EXECUTABLE), {L("--files"), files, L("--no-tcp"), L("--absent"), L("--type"), L("1301")});
        QByteArray out;
        QTRY_VERIFY_WITH_TIMEOUT((out += sim.readAllStandardOutput()).contains('\n'), Timeout);
        QCOMPARE(out, "zeb-server-sim serving files in " + files.toLocal8Bit() + '\n');
        QCOMPARE(read(files + L("/Status.ndf")), QByteArray(1, '\0'));
        write(files + L("/xpt00002.wcf"), QByteArray::fromHex("20000000"));  // OFF (32) to 0
        QTRY_COMPARE_WITH_TIMEOUT(read(files + L("/lXptmap.ndf")).mid(3, 2), QByteArray(2, '\0'), Timeout);
        sim.terminate();
        QVERIFY(sim.waitForFinished(Timeout));
        QCOMPARE(sim.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestSimFiles)
#include "tst_simfiles.moc"
