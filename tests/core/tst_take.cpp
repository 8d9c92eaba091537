#include "support/Fakes.h"

#include "core/Take.h"

#include <QTest>

namespace {

using Takes = std::vector<std::pair<int, int>>;

const QString SendFailed = QStringLiteral("Error Sending Crosspoint Command To Server!");

// Sources 5, 300, 7 and the last one, 3, in a box of four entries showing entry 2; destination 2
// is controlled. File mode with the temporary directory as ServerPath.
struct TakePanel : TestPanel {
    explicit TakePanel(int type)
    {
        InitVariables(s, server);
        s.SystemType = type;
        s.NumInputs = 4;
        s.ComboChannelList = {5, 300, 7, 3};
        s.OffListIndex = type == 1301 || type == 1351 ? 3 : 5;
        s.SourceListIndex = 2;
        s.OutputControlled = 2;
        s.ServerPath = dir.path();
        s.PanelPopulated = true;
        view.addSourceItems(QStringList(4, QStringLiteral("x")));
    }
};

} // namespace

Q_DECLARE_METATYPE(Takes)

class TestTake final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void commandFile_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("pathEnd");  // appended to ServerPath
        QTest::addColumn<int>("index");
        QTest::addColumn<QByteArray>("existing");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content");  // empty: the take failed

        QTest::newRow("1201: 05 02") << 1201 << "" << 0 << QByteArray() << "xpt00001.wcf" << QByteArray::fromHex("0502");
        QTest::newRow("1351: 2C 01 02 00") << 1351 << "" << 1 << QByteArray() << "xpt00002.wcf" << QByteArray::fromHex("2c010200");
        QTest::newRow("path ends in a separator") << 0 << "/" << 2 << QByteArray() << "xpt00002.wcf" << QByteArray::fromHex("07000200");
        QTest::newRow("longer file keeps its tail") << 1201 << "" << 0 << QByteArray("ABCDEF") << "xpt00001.wcf"
                                                    << QByteArray::fromHex("050243444546");
        QTest::newRow("1301: OFF is the last source") << 1301 << "" << 3 << QByteArray() << "xpt00002.wcf" << QByteArray::fromHex("03000200");
        QTest::newRow("1201: channel above 255") << 1201 << "" << 1 << QByteArray() << "xpt00001.wcf" << QByteArray();
        QTest::newRow("directory missing") << 0 << "/missing" << 0 << QByteArray() << "xpt00002.wcf" << QByteArray();
    }
    void commandFile()
    {
        QFETCH(int, type);
        QFETCH(QString, pathEnd);
        QFETCH(int, index);
        QFETCH(QByteArray, existing);
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        TakePanel t(type);
        t.s.ServerPath += pathEnd;
        if (!existing.isEmpty())
            t.writeFile(file, existing);
        cmboSourceSelect_Click(t.panel, index, QStringLiteral("Source"));

        QCOMPARE(t.readFile(file), content);
        QCOMPARE(t.prompts.titles(), content.isEmpty() ? QStringList{QStringLiteral("Command Error")} : QStringList());
        if (content.isEmpty()) {
            QCOMPARE(t.prompts.asked[0].text, SendFailed);
            QCOMPARE(t.prompts.asked[0].icon, MsgIcon::Critical);
        }
        QVERIFY(t.server.takes.empty());
        QCOMPARE(t.view.sourceIndex, 2);
        QVERIFY(!t.s.Updating);
    }

    // On a share that stopped answering a command file is not written in time: the take fails
    // (one box while it is open, however often the operator tries) and is never written later.
    void commandFileTimesOut()
    {
        TakePanel t(1351);
        t.worker.hold = true;
        t.prompts.hold = true;
        cmboSourceSelect_Click(t.panel, 1, QStringLiteral("Source"));
        cmboSourceSelect_Click(t.panel, 0, QStringLiteral("Source"));
        QVERIFY(t.prompts.asked.empty());
        QCOMPARE(t.view.sourceIndex, 2);
        t.worker.expireAll();
        QCOMPARE(t.prompts.titles(), QStringList{QStringLiteral("Command Error")});
        QCOMPARE(t.prompts.asked[0].text, SendFailed);
        t.worker.finishAll();
        QVERIFY(!QFile::exists(t.path(QStringLiteral("xpt00002.wcf"))));
    }

    void clicks_data()
    {
        QTest::addColumn<bool>("tcp");
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("updating");
        QTest::addColumn<int>("salvo");      // 1: salvo list, 2: key list, 3: not populated yet
        QTest::addColumn<int>("listIndex");  // SourceListIndex
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("text");
        QTest::addColumn<Takes>("takes");
        QTest::addColumn<int>("selected");   // -2: left to the salvo choice
        QTest::addColumn<QString>("message");

        const QString refused = QStringLiteral("Invalid or Hidden Source selected\rTake Command Will Not Be Processed.");
        QTest::newRow("TCP/IP: entry's channel") << true << 0 << false << 0 << 2 << 1 << "B" << Takes{{2, 300}} << 2 << "";
        QTest::newRow("TCP/IP: OFF is NumInputs - 1") << true << 1301 << false << 0 << 2 << 3 << "- OFF -" << Takes{{2, 3}} << 2 << "";
        QTest::newRow("current beyond the box: OFF shown") << true << 1351 << false << 0 << 7 << 0 << "A" << Takes{{2, 5}} << 3 << "";
        QTest::newRow("current and OFF beyond the box") << true << 0 << false << 0 << 7 << 0 << "A" << Takes{{2, 5}} << -1 << "";
        QTest::newRow("hidden entry refused") << true << 0 << false << 0 << 2 << 1 << "{ic   (ch 2)" << Takes{} << 2 << refused;
        QTest::newRow("entry beyond the tables") << true << 0 << false << 0 << 2 << 9 << "x" << Takes{} << 2 << SendFailed;
        QTest::newRow("selection by code") << true << 0 << true << 0 << 2 << 1 << "B" << Takes{} << -1 << "";
        QTest::newRow("File mode, no server path") << false << 0 << false << 0 << 2 << 1 << "B" << Takes{} << -1 << "";
        QTest::newRow("salvo list") << true << 0 << false << 1 << 2 << 1 << "B" << Takes{} << -2 << "";
        QTest::newRow("salvo keys") << true << 0 << false << 2 << 2 << 1 << "B" << Takes{} << -2 << "";
        QTest::newRow("TCP/IP, tables not in yet") << true << 0 << false << 3 << 2 << 0 << "No System" << Takes{} << -1 << "";
    }
    void clicks()
    {
        QFETCH(int, type);
        QFETCH(bool, updating);
        QFETCH(int, salvo);
        QFETCH(int, selected);
        QFETCH(QString, message);
        TakePanel t(type);
        QFETCH(bool, tcp);
        t.s.TcpIpMode = tcp;
        t.s.ServerPath.clear();  // File mode is not configured; TCP/IP mode does not use it
        t.s.Updating = updating;
        t.s.SalvoMode = salvo == 1 || salvo == 2;
        t.s.SalvoKeysShown = salvo == 2;
        t.s.PanelPopulated = salvo != 3;
        QFETCH(int, listIndex);
        t.s.SourceListIndex = listIndex;
        QFETCH(int, index);
        QFETCH(QString, text);
        cmboSourceSelect_Click(t.panel, index, text);

        QTEST(t.server.takes, "takes");
        if (selected != -2)
            QCOMPARE(t.view.sourceIndex, selected);
        QCOMPARE(t.s.Updating, updating);
        if (salvo == 0 || salvo == 3) {
            QCOMPARE(t.prompts.asked.size(), message.isEmpty() ? 0u : 1u);
            if (!message.isEmpty())
                QCOMPARE(t.prompts.asked[0].text, message);
        }
        QVERIFY(QDir(t.dir.path()).entryList({QStringLiteral("xpt*")}).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestTake)
#include "tst_take.moc"
