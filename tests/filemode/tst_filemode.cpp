#include "support/Fakes.h"

#include "filemode/NetworkFiles.h"
#include "filemode/PollCycle.h"
#include "filemode/VerifyServerLocation.h"
#include "dialogs/Setup.h"

#include <QFile>

#include <map>

namespace {

using Files = std::map<QString, QByteArray>;
using Edit = std::function<void(Files&)>;
using namespace Qt::StringLiterals;

// Not a file: the share holds every job until its time runs out, as one that stopped answering.
const QString Hung = u"(no answer)"_s;

// Sources "S0000".. (or another prefix) and destinations "D0000".., each at its own channel.
QByteArray ClassicAlpha(const QString& prefix = QStringLiteral("S"))
{
    QByteArray b;
    for (const QString& p : {prefix, QStringLiteral("D")}) {
        for (int n = 0; n < 256; ++n)
            b += QStringLiteral("%1%2").arg(p).arg(n, 4, 10, QLatin1Char('0')).toLatin1().leftJustified(8, ' ');
        for (int n = 0; n < 256; ++n)
            b += static_cast<char>(n);
    }
    return b;
}

// Every destination d fed by source (d + 3) % 256; destination 0 by first.
QByteArray ClassicXpt(int stamp, int first)
{
    QByteArray b(1, static_cast<char>(stamp));
    for (int d = 0; d < 256; ++d)
        b += static_cast<char>(d == 0 ? first : (d + 3) % 256);
    return b;
}

QByteArray ExtXpt(int stamp, const std::vector<std::vector<int>>& records)
{
    QByteArray b = QByteArray(1, static_cast<char>(stamp)) + I16(static_cast<int>(records.size()));
    for (const auto& r : records) {
        b += I16(static_cast<int>(r.size()));
        for (int src : r)
            b += I16(src);
    }
    return b;
}

// An inhibit map with one mark, classic (256 x 256, byte 1) or extended (rows x columns, "1").
QByteArray Inhibits(int rows, int columns, int destination, int source, char mark)
{
    QByteArray b = rows ? I16(rows) + I16(columns) + QByteArray(rows * columns, '0') : QByteArray(65536, '\0');
    b[(rows ? 4 : 0) + destination * (rows ? columns : 256) + source] = mark;
    return b;
}

// The classic files: source 9 is inhibited on destination 0, which source 7 feeds.
Files Classic()
{
    return {{QStringLiteral("Alpha.ndf"), ClassicAlpha()}, {QStringLiteral("Xptmap.ndf"), ClassicXpt(1, 7)},
            {QStringLiteral("Inhbt.ndf"), Inhibits(0, 0, 0, 9, 1)}, {QStringLiteral("Status.ndf"), QByteArray(1, 1)}};
}

// File mode on a server directory inside the temporary directory, controlling destination 0,
// every source on the display list.
struct FilePanel : TestPanel {
    const QString server = dir.path() + QStringLiteral("/server/");
    const QDateTime start = QDateTime::currentDateTime();
    explicit FilePanel(const Files& files = Classic())
    {
        InitVariables(s, TestPanel::server);
        QDir().mkpath(server);
        s.ServerPath = server;
        s.DisplayList = QString(256, u'1');
        put(files);
    }
    void put(const Files& files, int seconds = 0) const
    {
        for (const auto& [name, bytes] : files) {
            if (name == Hung)
                continue;
            writeFile(QStringLiteral("server/") + name, bytes);
            QFile f(server + name);
            QVERIFY(seconds == 0 || (f.open(QIODevice::ReadWrite) && f.setFileTime(start.addSecs(seconds), QFileDevice::FileModificationTime)));
        }
    }
    void ticks(int n)
    {
        for (int i = 0; i < n; ++i)
            FilePollTick(panel);
    }
    // The one-time read, answered at once.
    bool read()
    {
        std::optional<bool> result;
        ReadNetworkFiles(panel, [&result](bool ok) { result = ok; });
        worker.expireAll();
        return result.value();
    }
    QString shown() const { return view.sourceItems.value(view.sourceIndex); }
};

} // namespace

Q_DECLARE_METATYPE(Edit)

class TestFileMode final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The classic files changed by a row: the message of a failure (no table changes then), and
    // "sources|destinations|source 5 inhibited on destination 2".
    void readNetworkFiles_data()
    {
        Columns<Edit, QString, QString>("edit", "message", "seen");
        const QString alpha = QStringLiteral("Error Reading Alpha Information File!");
        const QString xpt = QStringLiteral("Error Reading Crosspoint Map Information File!");
        const QString inhibit = QStringLiteral("Error Reading Inhibit Information File!");
        const auto ext = [](Files& f) { f[u"lAlpha.ndf"_s] = ExtAlpha(1351, 300, 200), f[u"lXptmap.ndf"_s] = ExtXpt(4, {{}, {5, 6}}), f[u"lInhbt.ndf"_s] = Inhibits(200, 300, 0, 0, '0'); };
        QTest::newRow("extended wins, 1351 gains OFF") << Edit(ext) << "" << "301|200|0";
        QTest::newRow("extended map of empty records") << Edit([ext](Files& f) { ext(f), f[u"lXptmap.ndf"_s] = ExtXpt(4, {{}, {}}); }) << "" << "301|200|0";
        QTest::newRow("classic names short") << Edit([](Files& f) { f[u"Alpha.ndf"_s].chop(1); }) << alpha << "256|256|0";
        QTest::newRow("names in other letter case") << Edit([](Files& f) { f = {{u"ALPHA.NDF"_s, f[u"Alpha.ndf"_s]}, {u"xptMAP.ndf"_s, f[u"Xptmap.ndf"_s]}, {u"inhbt.NDF"_s, f[u"Inhbt.ndf"_s]}}; }) << "" << "256|256|0";
        // Position 0 claims channel 20 of 0..19.
        QTest::newRow("source channel beyond the table") << Edit([](Files& f) { (f[u"lAlpha.ndf"_s] = ExtAlpha(0, 20, 10))[4 + 8 * 20] = 20; }) << alpha << "256|256|0";
        QTest::newRow("classic map short") << Edit([](Files& f) { f[u"Xptmap.ndf"_s].chop(1); }) << xpt << "256|256|0";
        // Source 5 on destination 18, far into the file: nothing on destination 2.
        QTest::newRow("classic inhibit in a later block") << Edit([](Files& f) { f[u"Inhbt.ndf"_s] = Inhibits(0, 0, 18, 5, 1); }) << "" << "256|256|0";
        QTest::newRow("classic inhibit short") << Edit([](Files& f) { f[u"Inhbt.ndf"_s].chop(1); }) << inhibit << "256|256|0";
        QTest::newRow("extended inhibit: '1'") << Edit([](Files& f) { f[u"lInhbt.ndf"_s] = Inhibits(4, 10, 2, 5, '1'); }) << "" << "256|256|1";
        QTest::newRow("no answer within Time Out") << Edit([](Files& f) { f[Hung] = {}; }) << alpha << "256|256|0";
    }
    void readNetworkFiles()
    {
        auto [edit, message, seen] = Fetch<Edit, QString, QString>("edit", "message", "seen");
        Files files = Classic();
        edit(files);
        FilePanel t(files);
        t.worker.hold = files.count(Hung) > 0;
        t.s.FileTimeOut = 7;
        QCOMPARE(t.read(), message.isEmpty());
        QCOMPARE(t.worker.timeoutMs, 7000);
        QCOMPARE(t.prompts.titles(), message.isEmpty() ? QStringList() : QStringList{QStringLiteral("Error Reading File")});
        QVERIFY(message.isEmpty() || (t.prompts.asked[0].text == message && t.prompts.asked[0].icon == MsgIcon::Critical && t.view.sourceItems.isEmpty()));
        QCOMPARE(QStringLiteral("%1|%2|%3").arg(t.s.NumInputs).arg(t.s.NumOutputs).arg(int(t.s.inhibit(5, 2))), seen);
        QVERIFY(t.s.InputAlphaList.size() == std::size_t(t.s.NumInputs) && t.logLines().isEmpty());
        if (t.s.NumInputs == 301) {
            // The OFF source, routed where a destination has no source; destination 1 fed by 5
            // and 6 unless the records are empty.
            const OutputStatusRecord& r = t.s.OutputStatus[1];
            const bool empty = files.at(u"lXptmap.ndf"_s) == ExtXpt(4, {{}, {}});
            QVERIFY(t.shown() == u"- OFF -" && t.view.sourceIndex == t.view.sourceItems.size() - 1
                    && (empty ? r.SourceCount == 0 : r.SourceCount == 2 && r.Sources[1] == 6));
        } else if (message.isEmpty())
            QVERIFY(t.s.SystemType == 1201 && t.shown() == u"S0007      (ch 8)" && t.view.status1 == u"Destination: D0000    [001]");
    }

    // One tick after a file changed, seen as "source shown|first entry|entries|status text (it
    // was "before")|misses (there were 7)". A map counts only with a new stamp, names, inhibits and
    // the status file only with a new time; a hidden source leads to a box of every source.
    void tick_data()
    {
        Columns<QString, QByteArray, int, QString>("name", "bytes", "seconds", "seen");  // seconds: the file's new time, the old being -100
        const QString classic = QStringLiteral("S0007      (ch 8)|S0000      (ch 1)|255|");
        QTest::newRow("map: same stamp, other route") << "Xptmap.ndf" << ClassicXpt(1, 12) << -100 << classic + u"OK|0"_s;
        QTest::newRow("map: new stamp, hidden source") << "Xptmap.ndf" << ClassicXpt(2, 9) << -100 << "{0009      (ch 10)|S0000      (ch 1)|256|OK|0";
        QTest::newRow("names: new time") << "Alpha.ndf" << ClassicAlpha(QStringLiteral("N")) << -90 << "N0007      (ch 8)|N0000      (ch 1)|255|OK|0";
        // The inhibits' new time is the names' time: still a new one for the inhibit file.
        QTest::newRow("inhibits: new time, the names' time") << "Inhbt.ndf" << Inhibits(0, 0, 0, 0, 1) << -100
                                                             << "S0007      (ch 8)|S0001      (ch 2)|255|OK|0";
        QTest::newRow("status: other value leaves the text") << "Status.ndf" << QByteArray("\x02\x01", 2) << -90 << classic + u"before|0"_s;
        QTest::newRow("status: same time, not read again") << "Status.ndf" << QByteArray("\x00\x01", 2) << -100 << classic + u"OK|0"_s;
        // A failed map step ends the tick before the status file is looked at.
        QTest::newRow("map missing: a miss") << "Xptmap.ndf" << QByteArray() << -100 << classic + u"before|8"_s;
        QTest::newRow("no server path: nothing") << "" << QByteArray() << -100 << classic + u"before|7"_s;
    }
    void tick()
    {
        auto [name, bytes, seconds, seen] = Fetch<QString, QByteArray, int, QString>("name", "bytes", "seconds", "seen");
        FilePanel t;
        t.put({{QStringLiteral("Alpha.ndf"), ClassicAlpha()}, {QStringLiteral("Status.ndf"), QByteArray(1, 1)}}, -100);
        QVERIFY(t.read());
        if (name == u"Status.ndf")
            t.ticks(1);  // the status file has been read once
        bytes.isEmpty() ? void(QFile::remove(t.server + name)) : t.put({{name, bytes}}, seconds);
        t.s.ServerPath = name.isEmpty() ? QString() : t.s.ServerPath;
        t.view.status2 = QStringLiteral("before");
        t.s.FileMissCount = 7;
        t.ticks(name.isEmpty() ? 600 : 1);
        const QStringList& items = t.view.sourceItems;
        QCOMPARE(QStringList({t.shown(), items.value(0), QString::number(items.size()), t.view.status2, QString::number(t.s.FileMissCount)}).join(u'|'), seen);
        QVERIFY(!t.s.Updating && t.prompts.asked.empty());
    }

    // Ten seconds unreachable with a 5 s time-out at 100 ms: "NF" after the 51st and the 102nd
    // failed tick, one box for the whole outage, and the first good tick shows the status again.
    void outage()
    {
        FilePanel t;
        QVERIFY(t.read());
        t.s.FileTimeOutTicks = 50;
        const QString moved = t.dir.path() + QStringLiteral("/away");
        QVERIFY(QDir().rename(t.server, moved));
        for (const int ticks : {50, 1, 50, 1}) {
            t.view.status2.clear();
            t.ticks(ticks);
            QCOMPARE(t.view.status2, ticks == 1 ? QStringLiteral("NF") : QString());
        }
        QCOMPARE(t.prompts.titles(), QStringList{QStringLiteral("Error Reading Network Files")});
        // Back with the server no longer on the switcher.
        QVERIFY(QDir().rename(moved, t.server));
        t.put({{QStringLiteral("Status.ndf"), QByteArray(1, 0)}}, 5);
        t.ticks(1);
        QVERIFY(t.view.status2 == QStringLiteral("NC") && t.s.FileMissCount == 0 && !t.s.FileErrorShown);
    }

    // A share that stopped answering: the tick's files stay out, and each tick that finds them so
    // counts as a tick without the files, so "NF" and the box come after the time-out as for
    // missing files. Files that come back while the box is open are applied.
    void filesStillOutCountAsMisses()
    {
        FilePanel t;
        QVERIFY(t.read());
        t.s.FileTimeOutTicks = 3;
        t.worker.hold = t.prompts.hold = true;
        t.view.status2.clear();
        t.ticks(4);
        QCOMPARE(t.view.status2, QString());
        t.ticks(1);
        QCOMPARE(t.worker.heldCount(), 1);  // one read out at a time
        QCOMPARE(t.view.status2, QStringLiteral("NF"));
        QCOMPARE(t.prompts.titles(), QStringList{QStringLiteral("Error Reading Network Files")});
        t.put({{QStringLiteral("Xptmap.ndf"), ClassicXpt(9, 12)}});
        t.worker.finishAll();
        QVERIFY(t.view.status2 == QStringLiteral("OK") && t.s.FileMissCount == 0 && t.s.CurrentSource == 12);
        // Files read for a directory that is no longer the server's are dropped.
        t.put({{QStringLiteral("Xptmap.ndf"), ClassicXpt(10, 20)}});
        t.ticks(1);
        t.s.ServerPath = t.dir.path() + QStringLiteral("/elsewhere/");
        t.worker.finishAll();
        QCOMPARE(t.s.CurrentSource, 12);
    }

    // The setup dialog's Verify of another directory (5 destinations) leaves the panel's own
    // reading alone; the destination index it had is kept while it exists. A status byte 0 shows
    // "NC", 1 "OK".
    void verify_data()
    {
        // files: what differs from the set below; seen: the titles, then the index.
        Columns<QString, int, int, QString>("files", "previous", "result", "seen");
        const QString verified = QStringLiteral("Server Location Verified|");
        QTest::newRow("extended only, last index kept") << "" << 4 << int(VerifyResult::Verified) << verified + u"4"_s;
        QTest::newRow("index one past the destinations, status 0") << "status 0" << 5 << int(VerifyResult::Verified) << verified + u"Channel Error|0"_s;
        QTest::newRow("no crosspoint map") << "no map" << 2 << int(VerifyResult::CrosspointMissing) << "Error Reading File|2";
        QTest::newRow("no answer in time") << "hung" << 2 << int(VerifyResult::NamesMissing) << "Error Reading File|2";
    }
    void verify()
    {
        auto [change, previous, result, seen] = Fetch<QString, int, int, QString>("files", "previous", "result", "seen");
        FilePanel t;
        QVERIFY(t.read());
        t.s.OutputControlled = 9;
        Files files{{u"lAlpha.ndf"_s, ExtAlpha(0, 20, 5)}, {u"LINHBT.NDF"_s, Inhibits(5, 20, 0, 0, '0')}, {u"lXptmap.ndf"_s, ExtXpt(3, {{1}})}, {u"Status.ndf"_s, QByteArray(1, change != u"status 0")}};
        if (change == u"no map")
            files.erase(u"lXptmap.ndf"_s);
        for (const auto& [name, bytes] : files)
            t.writeFile(name, bytes);
        t.worker.hold = change == u"hung";
        int index = previous;
        std::optional<VerifyResult> done;
        VerifyServerLocation(t.panel, t.dir.path(), index, [&done](VerifyResult r) { done = r; });
        t.worker.expireAll();
        QCOMPARE(t.worker.timeoutMs, ServerFileTimeout);
        QCOMPARE(int(done.value()), result);
        QCOMPARE((t.prompts.titles() << QString::number(index)).join(u'|'), seen);
        QCOMPARE(t.s.ServerPath, t.server);
        if (*done == VerifyResult::Verified)
            QVERIFY(t.view.outputItems.size() == 5 && t.view.outputItems[4] == u"Y0004      (ch 5)" && t.view.outputIndex == index
                    && t.view.status2 == (change.isEmpty() ? u"OK" : u"NC"));
        else
            QCOMPARE(t.s.NumOutputs, 256);
        QVERIFY(seen.count(u'|') == 1 || t.prompts.asked[1].text == u"Ch. 10 is an invalid Output Channel.\rPlease select a new output channel");
    }

    // Setup OK waits for the files without blocking; an OK the operator has cancelled meanwhile
    // goes no further when they come: no settings file written, the dialog not hidden.
    void setupOkWaitsForTheFiles_data()
    {
        Columns<bool>("cancelled");
        QTest::newRow("answered") << false;
        QTest::newRow("answered after Cancel") << true;
    }
    void setupOkWaitsForTheFiles()
    {
        auto [cancelled] = Fetch<bool>("cancelled");
        FilePanel t;
        SetupForm form;
        form.Tag = SetupInitialTag;
        Setup_Activate(t.panel, form, [] {});
        FakeServer& server = t.TestPanel::server;
        server.holdReads = true;
        std::optional<bool> hide;
        Setup_Ok(t.panel, form, [&hide](bool h) { hide = h; });
        if (cancelled)
            Setup_Cancel(form);
        QVERIFY(!hide && server.heldRead);
        server.heldRead(true);
        QCOMPARE(hide, cancelled ? std::nullopt : std::optional<bool>(true));
        QCOMPARE(QFile::exists(t.path(u"zebntpnl.ini"_s)), !cancelled);
    }
};

QTEST_GUILESS_MAIN(TestFileMode)
#include "tst_filemode.moc"
