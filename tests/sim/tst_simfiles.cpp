// The simulator's File mode as the panel's tests meet it (tests/support/SimFiles.h), driven by
// calling scan() directly: the files' layouts byte for byte, the map's stamp, the command files.

#include "NetworkFiles.h"
#include "support/Fakes.h"
#include "support/SimFiles.h"

#include <QFile>
#include <QSignalSpy>

namespace {

// Classic: the 256 x 256 router of type 1201, source 1 inhibited on destination 1. Extended:
// sources MIC, aux, CD (name order aux, CD, MIC), 2 destinations, type 1351 (OFF source = channel
// 3), source 2 inhibited on destination 1, destination 1 on OFF.
std::unique_ptr<SimFiles> started(bool classic = false)
{
    const RouterModel::Config config = classic ? RouterModel::Config{.sources = 256, .destinations = 256, .inhibits = {{1, 1}}, .salvos = {}}
                                               : RouterModel::Config{.sources = 3, .destinations = 2, .systemType = 1351,
                                                                     .inhibits = {{2, 1}}, .salvos = {}};
    auto f = std::make_unique<SimFiles>(config);
    if (!classic) {
        f->model.setSourceName(0, "MIC");
        f->model.setSourceName(1, "aux");
        f->model.setSourceName(2, "CD");
        f->model.route(3, 1);
    }
    [&] { QVERIFY(f->start()); }();
    return f;
}

QByteArray map(const SimFiles& f) { return ReadTestFile(f.path() + f.server.dataFiles()[1]); }

} // namespace

class TestSimFiles final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Hand-computed from the layouts; stamp 1 is the first map.
    void bytes_data()
    {
        Columns<bool, QString, int, int, QByteArray>("classic", "file", "size", "offset", "expected");
        const auto row = [](const char* name, bool classic, const char* file, int size, int offset, const char* hex) {
            QTest::newRow(name) << classic << QString::fromLatin1(file) << size << offset << QByteArray::fromHex(hex);
        };
        row("lAlpha", false, "lAlpha.ndf", 56, 0,
            "4705 0300 6175782020202020 4344202020202020 4D49432020202020 0100 0200 0000"
            " 0200 4453542030312020 4453542030322020 0000 0100");
        row("lXptmap", false, "lXptmap.ndf", 9, 0, "01 0200 0100 0000 0000");
        row("lInhbt", false, "lInhbt.ndf", 10, 0, "0200 0300 303030 303031");
        row("Status", false, "Status.ndf", 1, 0, "01");
        row("Alpha sources", true, "Alpha.ndf", 4608, 0, "5352432030312020 5352432030322020");
        row("Alpha source channels in name order", true, "Alpha.ndf", 4608, 2048 + 8, "08 09 63 64");
        row("Alpha destinations", true, "Alpha.ndf", 4608, 2304, "4453542030312020 4453542030322020");
        row("Alpha last destination channel", true, "Alpha.ndf", 4608, 4607, "62");
        row("Xptmap", true, "Xptmap.ndf", 257, 0, "01 00 01 02");
        row("Inhbt row 1", true, "Inhbt.ndf", 65536, 255, "00 00 01 00");
        row("classic Status", true, "Status.ndf", 1, 0, "01");
    }
    void bytes()
    {
        QFETCH(bool, classic);
        QFETCH(QString, file);
        QFETCH(int, offset);
        QFETCH(QByteArray, expected);
        const auto f = started(classic);
        const QByteArray bytes = ReadTestFile(f->path() + file);
        QTEST(int(bytes.size()), "size");
        QCOMPARE(bytes.mid(offset, expected.size()).toHex(' '), expected.toHex(' '));
    }

    // The first map goes on from a stamp an earlier run left; every rewrite changes it, never to 0
    // (the panel's start value).
    void stamps()
    {
        SimFiles f;
        WriteTestFile(f.path() + QStringLiteral("lXptmap.ndf"), "\x07" "old");
        QVERIFY(f.start());
        for (int i = 0; i < 300; ++i) {
            QCOMPARE(int(quint8(map(f).at(0))), (7 + i) % 255 + 1);
            f.server.crosspointsChanged();
        }
    }

    // A command file, in either letter case, is carried out as a take (unless refused) and
    // removed; the map is rewritten for a take only.
    void commands_data()
    {
        Columns<QString, QByteArray, int, int, bool>("file", "bytes", "source", "destination", "done");
        const auto row = [](const char* name, const char* file, const char* hex, int s, int d, bool done) {
            QTest::newRow(name) << QString::fromLatin1(file) << QByteArray::fromHex(hex) << s << d << done;
        };
        row("narrow with tail", "xpt00001.wcf", "02000707", 2, 0, true);
        row("wide with tail", "xpt00002.wcf", "010000000505", 1, 0, true);
        row("wide OFF source", "xpt00002.wcf", "03000000", 3, 0, true);
        row("upper-case name", "XPT00002.WCF", "01000000", 1, 0, true);
        row("inhibited", "xpt00002.wcf", "02000100", 2, 1, false);
        row("destination out of range", "xpt00002.wcf", "00000500", 0, 5, false);
    }
    void commands()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(int, source);
        QFETCH(int, destination);
        QFETCH(bool, done);
        const auto f = started();
        const QByteArray before = map(*f);
        QSignalSpy consumed(&f->server, &FileServer::commandConsumed);
        WriteTestFile(f->path() + file, bytes);
        f->server.scan();
        QCOMPARE(consumed, QList<QVariantList>{(QVariantList{file, source, destination, done})});
        QVERIFY(!QFile::exists(f->path() + file));
        QCOMPARE(map(*f) != before, done);
        QCOMPARE(map(*f), NetworkFiles::ExtendedCrosspointFile(f->model, quint8(map(*f).at(0))));
        QCOMPARE(f->model.sourceOf(destination) == source, done);
    }
};

QTEST_GUILESS_MAIN(TestSimFiles)
#include "tst_simfiles.moc"
