#include "support/Fakes.h"

#include "filemode/NetworkFiles.h"
#include "filemode/PollCycle.h"
#include "filemode/VerifyServerLocation.h"

#include <QFile>
#include <QTest>

#include <map>

namespace {

using Files = std::map<QString, QByteArray>;

QByteArray Name(const QString& n) { return n.toLatin1().leftJustified(8, ' ', true); }

// Sources "S0000".. and destinations "D0000".., each at the position of its own channel.
QByteArray ClassicAlpha(const QString& prefix = QStringLiteral("S"))
{
    QByteArray b;
    for (int p = 0; p < 256; ++p)
        b += Name(prefix + QString::number(p).rightJustified(4, u'0'));
    for (int p = 0; p < 256; ++p)
        b += static_cast<char>(p);
    for (int p = 0; p < 256; ++p)
        b += Name(QStringLiteral("D%1").arg(p, 4, 10, QLatin1Char('0')));
    for (int p = 0; p < 256; ++p)
        b += static_cast<char>(p);
    return b;
}

// Every destination d fed by source (d + shift) % 256; destination 0 by first.
QByteArray ClassicXpt(int stamp, int first, int shift = 3)
{
    QByteArray b(1, static_cast<char>(stamp));
    for (int d = 0; d < 256; ++d)
        b += static_cast<char>(d == 0 ? first : (d + shift) % 256);
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

QByteArray ClassicInhibit(int destination = -1, int source = -1, char mark = 1)
{
    QByteArray b(65536, '\0');
    if (destination >= 0)
        b[destination * 256 + source] = mark;
    return b;
}

QByteArray ExtInhibit(int rows, int columns, int destination = -1, int source = -1, char mark = '1')
{
    QByteArray b = I16(rows) + I16(columns) + QByteArray(rows * columns, '0');
    if (destination >= 0)
        b[4 + destination * columns + source] = mark;
    return b;
}

Files Classic(int stamp = 1, int first = 7)
{
    return {{QStringLiteral("Alpha.ndf"), ClassicAlpha()}, {QStringLiteral("Xptmap.ndf"), ClassicXpt(stamp, first)},
            {QStringLiteral("Inhbt.ndf"), ClassicInhibit(0, 9)}, {QStringLiteral("Status.ndf"), QByteArray(1, 1)}};
}

const QString ReadTitle = QStringLiteral("Error Reading File");

// File mode on a server directory inside the temporary directory. Source 9 is inhibited on the
// controlled destination 0 in the classic set, and every source is on the display list.
struct FilePanel : TestPanel {
    QString server;
    FilePanel()
    {
        InitVariables(s, TestPanel::server);
        server = dir.path() + QStringLiteral("/server/");
        QDir().mkpath(server);
        s.ServerPath = server;
        s.DisplayList = QString(256, u'1');
    }
    void put(const Files& files) const
    {
        for (const auto& [name, bytes] : files)
            writeFile(QStringLiteral("server/") + name, bytes);
    }
    // Gives the file a modification time the given number of seconds from now.
    void age(const QString& name, int seconds) const
    {
        QFile f(server + name);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(seconds), QFileDevice::FileModificationTime));
    }
    void ticks(int n)
    {
        for (int i = 0; i < n; ++i)
            FilePollTick(panel);
    }
    // The one-time read, answered at once; its result, or nothing while its files are held.
    std::optional<bool> read()
    {
        std::optional<bool> result;
        ReadNetworkFiles(panel, [&result](bool ok) { result = ok; });
        return result;
    }
    std::optional<VerifyResult> verify(const QString& directory, int& setupIndex)
    {
        std::optional<VerifyResult> result;
        VerifyServerLocation(panel, directory, setupIndex, [&result](VerifyResult r) { result = r; });
        return result;
    }
};

} // namespace

Q_DECLARE_METATYPE(Files)

class TestFileMode final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readNetworkFiles_data()
    {
        QTest::addColumn<Files>("files");
        QTest::addColumn<QString>("message");  // empty: success
        QTest::addColumn<int>("inputs");
        QTest::addColumn<int>("outputs");

        const QString alpha = QStringLiteral("Error Reading Alpha Information File!");
        const QString xpt = QStringLiteral("Error Reading Crosspoint Map Information File!");
        const QString inhibit = QStringLiteral("Error Reading Inhibit Information File!");
        Files f = Classic();
        QTest::newRow("classic") << f << QString() << 256 << 256;
        f[QStringLiteral("lAlpha.ndf")] = ExtAlpha(1351, 300, 200);
        f[QStringLiteral("lXptmap.ndf")] = ExtXpt(4, {{}, {5, 6}});
        f[QStringLiteral("lInhbt.ndf")] = ExtInhibit(200, 300);
        QTest::newRow("extended wins, 1351 gains OFF") << f << QString() << 301 << 200;
        QTest::newRow("names in other letter case")
            << Files{{QStringLiteral("ALPHA.NDF"), ClassicAlpha()}, {QStringLiteral("xptMAP.ndf"), ClassicXpt(1, 7)},
                     {QStringLiteral("inhbt.NDF"), ClassicInhibit()}}
            << QString() << 256 << 256;

        f = Classic();
        f[QStringLiteral("Alpha.ndf")].chop(1);
        QTest::newRow("classic alpha one byte short") << f << alpha << 256 << 256;
        f = Classic();
        f[QStringLiteral("lAlpha.ndf")] = ExtAlpha(0, 20, 10).left(4 + 10 * 20 + 2 + 10 * 10 - 1);
        QTest::newRow("extended alpha short: classic not used") << f << alpha << 256 << 256;
        f[QStringLiteral("lAlpha.ndf")] = ExtAlpha(0, -3, 10);
        QTest::newRow("negative source count") << f << alpha << 256 << 256;
        QByteArray badChannel = ExtAlpha(0, 20, 10);
        badChannel[4 + 8 * 20] = 20;  // position 0 claims channel 20 of 0..19
        f[QStringLiteral("lAlpha.ndf")] = badChannel;
        QTest::newRow("source channel beyond the table") << f << alpha << 256 << 256;
        f = Classic();
        f.erase(QStringLiteral("Alpha.ndf"));
        QTest::newRow("no alpha file") << f << alpha << 256 << 256;

        f = Classic();
        f.erase(QStringLiteral("Xptmap.ndf"));
        QTest::newRow("no crosspoint file") << f << xpt << 256 << 256;
        f = Classic();
        f[QStringLiteral("Xptmap.ndf")].chop(1);
        QTest::newRow("classic map short") << f << xpt << 256 << 256;
        f[QStringLiteral("lXptmap.ndf")] = ExtXpt(1, {{1}, std::vector<int>(65, 2)});
        QTest::newRow("extended record of 65 sources") << f << xpt << 256 << 256;
        f[QStringLiteral("lXptmap.ndf")] = ExtXpt(1, {{1}, {2, 3}}).chopped(1);
        QTest::newRow("extended map short") << f << xpt << 256 << 256;

        f = Classic();
        f[QStringLiteral("Inhbt.ndf")].chop(1);
        QTest::newRow("classic inhibit short") << f << inhibit << 256 << 256;
        f[QStringLiteral("lInhbt.ndf")] = ExtInhibit(2, 257);
        QTest::newRow("more inhibit columns than sources") << f << inhibit << 256 << 256;
        f[QStringLiteral("lInhbt.ndf")] = ExtInhibit(3, 256).chopped(1);
        QTest::newRow("extended inhibit short") << f << inhibit << 256 << 256;
    }
    void readNetworkFiles()
    {
        QFETCH(Files, files);
        QFETCH(QString, message);
        QFETCH(int, inputs);
        QFETCH(int, outputs);
        FilePanel t;
        t.put(files);

        QCOMPARE(t.read(), std::optional<bool>(message.isEmpty()));
        QCOMPARE(t.prompts.titles(), message.isEmpty() ? QStringList() : QStringList{ReadTitle});
        if (!message.isEmpty()) {
            QCOMPARE(t.prompts.asked[0].text, message);
            QCOMPARE(t.prompts.asked[0].icon, MsgIcon::Critical);
            QVERIFY(t.view.sourceItems.isEmpty());  // no display refresh
        }
        QCOMPARE(t.s.NumInputs, inputs);
        QCOMPARE(t.s.NumOutputs, outputs);
        QCOMPARE(int(t.s.InputAlphaList.size()), inputs);
        QVERIFY(t.logLines().isEmpty());
        if (inputs == 301) {
            QCOMPARE(t.s.InputAlphaList[300], QStringLiteral("- OFF -"));
            QCOMPARE(t.s.InputChannelList[300], 300);
            QCOMPARE(t.s.InputPosition[300], 300);
            QCOMPARE(t.s.DisplayList.size(), 301);
            QCOMPARE(t.s.OutputStatus.size(), std::size_t(2));
            QCOMPARE(t.s.OutputStatus[0].SourceCount, 0);
            QCOMPARE(t.s.OutputStatus[0].Sources[0], 300);  // count 0: the OFF source
            QCOMPARE(t.s.OutputStatus[1].Sources[1], 6);
            QCOMPARE(t.view.sourceItems.last(), QStringLiteral("- OFF -"));
            QCOMPARE(t.view.sourceIndex, t.view.sourceItems.size() - 1);
        } else if (message.isEmpty()) {
            QCOMPARE(t.s.SystemType, 1201);
            QCOMPARE(t.view.sourceItems.value(t.view.sourceIndex), QStringLiteral("S0007      (ch 8)"));
            QCOMPARE(t.view.status1, QStringLiteral("Destination: D0000    [001]"));
        }
    }

    void emptyServerPath()
    {
        FilePanel t;
        t.put(Classic());
        t.s.ServerPath.clear();
        QCOMPARE(t.read(), std::optional<bool>(false));
        t.ticks(600);
        QVERIFY(t.prompts.asked.empty());
        QCOMPARE(t.view.status2, QStringLiteral("NF"));
        QCOMPARE(t.s.FileMissCount, 0);
    }

    void inhibitValues_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("inhibited");  // source 5 on destination 2
        QTest::newRow("classic byte 2 x 256 + 5") << "Inhbt.ndf" << ClassicInhibit(2, 5) << true;
        QTest::newRow("classic byte 2") << "Inhbt.ndf" << ClassicInhibit(2, 5, 2) << false;
        QTest::newRow("extended '1'") << "lInhbt.ndf" << ExtInhibit(4, 10, 2, 5) << true;
        QTest::newRow("extended '2'") << "lInhbt.ndf" << ExtInhibit(4, 10, 2, 5, '2') << false;
        QTest::newRow("extended, more rows than destinations") << "lInhbt.ndf" << ExtInhibit(300, 6, 2, 5) << true;
    }
    void inhibitValues()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, inhibited);
        FilePanel t;
        Files f = Classic();
        f[file] = bytes;
        t.put(f);
        QCOMPARE(t.read(), std::optional<bool>(true));
        QVERIFY(t.s.inhibitInRange(5, 2));
        QCOMPARE(t.s.inhibit(5, 2), inhibited);
        QVERIFY(!t.s.inhibit(4, 2));
        QVERIFY(t.s.InhibitDestinations <= t.s.NumOutputs);
    }

    // A rewritten map counts only with a new stamp; a source the box hides leads to a rebuild
    // that lists every source.
    void crosspointTick_data()
    {
        QTest::addColumn<int>("stamp");
        QTest::addColumn<int>("source");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("showsAll");
        QTest::newRow("same stamp, other route") << 1 << 12 << "S0007      (ch 8)" << false;
        QTest::newRow("new stamp") << 2 << 12 << "S0012      (ch 13)" << false;
        QTest::newRow("new stamp, hidden source") << 2 << 9 << "{0009      (ch 10)" << true;
    }
    void crosspointTick()
    {
        QFETCH(int, stamp);
        QFETCH(int, source);
        QFETCH(QString, shown);
        QFETCH(bool, showsAll);
        FilePanel t;
        t.put(Classic(1, 7));
        QCOMPARE(t.read(), std::optional<bool>(true));
        QCOMPARE(t.view.sourceItems.size(), 255);
        t.put({{QStringLiteral("Xptmap.ndf"), ClassicXpt(stamp, source)}});
        t.ticks(1);
        QCOMPARE(t.view.sourceItems.value(t.view.sourceIndex), shown);
        QCOMPARE(t.s.ListShowsAll, showsAll);
        QCOMPARE(t.view.sourceItems.size(), showsAll ? 256 : 255);
        QCOMPARE(t.s.OutputStatus[0].Sources[0], stamp == 1 ? 7 : source);
        QCOMPARE(t.view.status2, QStringLiteral("OK"));
        QVERIFY(!t.s.Updating);
    }

    void namesTick_data()
    {
        QTest::addColumn<int>("seconds");  // new modification time, from now
        QTest::addColumn<QString>("first");
        QTest::newRow("same time") << 0 << "S0000      (ch 1)";
        QTest::newRow("new time") << 10 << "N0000      (ch 1)";
    }
    void namesTick()
    {
        QFETCH(int, seconds);
        QFETCH(QString, first);
        FilePanel t;
        t.put(Classic());
        t.age(QStringLiteral("Alpha.ndf"), -100);
        QCOMPARE(t.read(), std::optional<bool>(true));
        t.put({{QStringLiteral("Alpha.ndf"), ClassicAlpha(QStringLiteral("N"))}});
        t.age(QStringLiteral("Alpha.ndf"), seconds - 100);
        t.ticks(1);
        QCOMPARE(t.view.sourceItems.value(0), first);
    }

    void statusByte_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("text");
        QTest::newRow("connected") << 1 << "OK";
        QTest::newRow("not connected") << 0 << "NC";
        QTest::newRow("other value leaves the text") << 2 << "before";
    }
    void statusByte()
    {
        QFETCH(int, status);
        QFETCH(QString, text);
        FilePanel t;
        Files f = Classic();
        f[QStringLiteral("Status.ndf")] = QByteArray(1, static_cast<char>(status)) + "\x01";
        t.put(f);
        QCOMPARE(t.read(), std::optional<bool>(true));
        t.view.status2 = QStringLiteral("before");
        t.s.FileMissCount = 7;
        t.ticks(1);
        QCOMPARE(t.view.status2, text);
        QCOMPARE(t.s.ServerStatus, status);
        QCOMPARE(t.s.FileMissCount, 0);
    }

    // Ten seconds unreachable at 100 ms with a 5 s time-out: "NF" after the 51st and the 102nd
    // failed tick, one box for the whole outage, and the first good tick shows the status again.
    void outage()
    {
        FilePanel t;
        t.put(Classic());
        QCOMPARE(t.read(), std::optional<bool>(true));
        t.s.RefreshRate = 100;
        t.s.FileTimeOut = 5;
        t.s.FileTimeOutTicks = 50;
        t.ticks(1);
        QCOMPARE(t.view.status2, QStringLiteral("OK"));
        const QString moved = t.dir.path() + QStringLiteral("/away");
        QVERIFY(QDir().rename(t.server, moved));

        t.ticks(50);
        QCOMPARE(t.view.status2, QStringLiteral("OK"));
        QVERIFY(t.prompts.asked.empty());
        t.ticks(1);
        QCOMPARE(t.view.status2, QStringLiteral("NF"));
        QCOMPARE(t.prompts.titles(), QStringList{QStringLiteral("Error Reading Network Files")});
        QVERIFY(t.prompts.asked[0].text.startsWith(QStringLiteral("Error Reading ZEB Server Network Data Files!\r\r")));
        QCOMPARE(t.prompts.asked[0].text.count(u'\r'), 4);
        t.view.status2.clear();
        t.ticks(50);
        QCOMPARE(t.view.status2, QString());
        t.ticks(1);
        QCOMPARE(t.view.status2, QStringLiteral("NF"));
        QCOMPARE(t.prompts.asked.size(), std::size_t(1));

        // Back with the server no longer on the switcher.
        QVERIFY(QDir().rename(moved, t.server));
        t.put({{QStringLiteral("Status.ndf"), QByteArray(1, 0)}});
        t.age(QStringLiteral("Status.ndf"), 5);
        t.ticks(1);
        QCOMPARE(t.view.status2, QStringLiteral("NC"));
        QCOMPARE(t.s.FileMissCount, 0);
        QVERIFY(!t.s.FileErrorShown);
    }

    // A share that stopped answering: the tick's files stay out, and each tick that finds them so
    // counts as a tick without the files, so "NF" and the box come after the time-out as for
    // missing files. The box does not stop the ticks; files that come back are applied.
    void filesStillOutCountAsMisses()
    {
        FilePanel t;
        t.put(Classic());
        QCOMPARE(t.read(), std::optional<bool>(true));
        t.s.FileTimeOutTicks = 3;
        t.worker.hold = true;
        t.prompts.hold = true;
        t.view.status2.clear();
        t.ticks(4);
        QCOMPARE(t.view.status2, QString());
        t.ticks(1);
        QCOMPARE(t.worker.heldCount(), 1);  // one read out at a time
        QCOMPARE(t.view.status2, QStringLiteral("NF"));
        QCOMPARE(t.prompts.titles(), QStringList{QStringLiteral("Error Reading Network Files")});

        t.put({{QStringLiteral("Xptmap.ndf"), ClassicXpt(9, 12)}});
        t.worker.finishAll();
        QCOMPARE(t.view.status2, QStringLiteral("OK"));
        QCOMPARE(t.s.FileMissCount, 0);
        QCOMPARE(t.s.CurrentSource, 12);
        QCOMPARE(t.prompts.openCount(), 1);  // the box is still open
        t.ticks(1);
        QCOMPARE(t.worker.heldCount(), 1);
    }

    // A failed map step ends the tick before the status file is looked at.
    void missAtCrosspointStep()
    {
        FilePanel t;
        t.put(Classic());
        QCOMPARE(t.read(), std::optional<bool>(true));
        QFile::remove(t.server + QStringLiteral("Xptmap.ndf"));
        t.ticks(1);
        QCOMPARE(t.s.FileMissCount, 1);
        QCOMPARE(t.view.status2, QStringLiteral("NF"));
        QCOMPARE(t.s.StatusFileTime, 0);
    }

    void verify_data()
    {
        QTest::addColumn<Files>("files");
        QTest::addColumn<int>("previous");  // SetupOutputListIndex before the check
        QTest::addColumn<int>("result");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<int>("index");
        const Files extended{{QStringLiteral("lAlpha.ndf"), ExtAlpha(0, 20, 5)},
                             {QStringLiteral("LINHBT.NDF"), ExtInhibit(5, 20)},
                             {QStringLiteral("lXptmap.ndf"), ExtXpt(3, {{1}})},
                             {QStringLiteral("Status.ndf"), QByteArray(1, 1)}};
        const QString verified = QStringLiteral("Server Location Verified");
        const QString channel = QStringLiteral("Channel Error");
        QTest::newRow("extended only, channel 10 absent, index kept")
            << extended << 2 << int(VerifyResult::Verified) << QStringList{verified} << 2;
        QTest::newRow("index beyond the new destinations")
            << extended << 7 << int(VerifyResult::Verified) << QStringList{verified, channel} << 0;
        Files f = extended;
        f.erase(QStringLiteral("lXptmap.ndf"));
        QTest::newRow("no crosspoint file") << f << 2 << int(VerifyResult::CrosspointMissing) << QStringList{ReadTitle} << 2;
        f = extended;
        f[QStringLiteral("Status.ndf")] = QByteArray();
        QTest::newRow("empty status file") << f << 2 << int(VerifyResult::StatusMissing) << QStringList{ReadTitle} << 2;
        f = extended;
        f[QStringLiteral("lAlpha.ndf")].chop(1);
        QTest::newRow("names unreadable") << f << 2 << int(VerifyResult::NamesMissing) << QStringList{ReadTitle} << 2;
    }
    void verify()
    {
        QFETCH(Files, files);
        QFETCH(int, previous);
        QFETCH(int, result);
        QFETCH(QStringList, titles);
        QFETCH(int, index);
        FilePanel t;
        t.put(Classic());
        QCOMPARE(t.read(), std::optional<bool>(true));
        const qint64 alphaTime = t.s.AlphaFileTime;
        t.s.OutputControlled = 9;
        QTemporaryDir other;
        for (const auto& [name, bytes] : files) {
            QFile out(other.path() + u'/' + name);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(bytes);
        }
        int setupIndex = previous;
        QCOMPARE(int(t.verify(other.path(), setupIndex).value()), result);
        QCOMPARE(t.prompts.titles(), titles);
        QCOMPARE(setupIndex, index);
        QCOMPARE(t.s.ServerPath, t.server);
        QCOMPARE(t.s.AlphaFileTime, alphaTime);
        if (result == int(VerifyResult::Verified)) {
            QCOMPARE(t.view.outputItems.size(), 5);
            QCOMPARE(t.view.outputItems[4], QStringLiteral("Y0004      (ch 5)"));
            QCOMPARE(t.view.outputIndex, index);
            QCOMPARE(t.view.status2, QStringLiteral("OK"));
            if (titles.size() > 1)
                QCOMPARE(t.prompts.asked[1].text, QStringLiteral("Ch. 10 is an invalid Output Channel.\rPlease select a new output channel"));
        } else {
            QCOMPARE(t.s.NumOutputs, 256);
        }
    }
};

QTEST_GUILESS_MAIN(TestFileMode)
#include "tst_filemode.moc"
