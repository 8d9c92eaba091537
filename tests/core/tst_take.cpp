#include "support/Fakes.h"

#include "core/Take.h"

#include <QFile>

namespace {

const QString SendFailed = QStringLiteral("Error Sending Crosspoint Command To Server!");

// Sources 200, 300, 7 and the last one, 3, in a box of four entries showing entry 2; destination
// 2 is controlled. File mode with the temporary directory as ServerPath.
struct TakePanel : TestPanel {
    explicit TakePanel(int type)
    {
        InitVariables(s, server);
        s.SystemType = type;
        s.NumInputs = 4;
        s.ComboChannelList = {200, 300, 7, 3};
        s.OffListIndex = type == 1301 || type == 1351 ? 3 : 5;
        s.SourceListIndex = 2;
        s.OutputControlled = 2;
        s.ServerPath = dir.path();
        s.PanelPopulated = true;
        view.addSourceItems(QStringList(4, QStringLiteral("x")));
    }
};

} // namespace

class TestTake final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // What a choice in the source box sends: a take over TCP/IP ("2>300"), a command file
    // ("xpt00001.wcf:0502", its bytes in hex) or nothing; the message shown; the entry selected
    // after it (the current source's: a take shows only once the server reports it).
    void choice_data()
    {
        Columns<int, QString, int, QString, QString, QString, int>("type", "setup", "index", "text", "sent", "message", "selected");
        QTest::newRow("1351: little-endian") << 1351 << "" << 1 << "B" << "xpt00002.wcf:2c010200" << "" << 2;
        QTest::newRow("longer file keeps its tail") << 1201 << "tail" << 0 << "A" << "xpt00001.wcf:c80243444546" << "" << 2;
        QTest::newRow("1201: channel above 255") << 1201 << "" << 1 << "B" << "" << SendFailed << 2;
        QTest::newRow("TCP/IP, tables not in yet") << 0 << "tcp loading" << 0 << "No System" << "" << "" << -1;
        // On a share that stopped answering the file is not written in time: the take fails (one
        // box while it is open, however often the operator tries) and is never written later.
        QTest::newRow("share not answering") << 1351 << "held" << 1 << "B" << "" << SendFailed << 2;
    }
    void choice()
    {
        auto [type, setup, index, text, sent, message, selected] =
            Fetch<int, QString, int, QString, QString, QString, int>("type", "setup", "index", "text", "sent", "message", "selected");
        TakePanel t(type);
        const auto has = [&setup](const char* word) { return setup.split(u' ').contains(QLatin1String(word)); };
        std::tie(t.s.TcpIpMode, t.s.PanelPopulated) = std::tuple(has("tcp"), !has("loading"));
        const QString file = type == 1201 ? QStringLiteral("xpt00001.wcf") : QStringLiteral("xpt00002.wcf");
        if (has("tail"))
            t.writeFile(file, "ABCDEF");
        t.worker.hold = t.prompts.hold = has("held");
        cmboSourceSelect_Click(t.panel, index, text);
        if (has("held")) {
            cmboSourceSelect_Click(t.panel, 0, text);
            QVERIFY(t.prompts.asked.empty() && t.view.sourceIndex == 2);
            t.worker.expireAll();
            t.worker.finishAll();
        }

        QString done;
        for (const auto& [destination, source] : t.server.takes)
            done += QStringLiteral("%1>%2").arg(destination).arg(source);
        if (QFile::exists(t.path(file)))
            done = file + u':' + QString::fromLatin1(t.readFile(file).toHex());
        QCOMPARE(done, sent);
        QCOMPARE(t.prompts.titles(), message.isEmpty() ? QStringList() : QStringList{QStringLiteral("Command Error")});
        QVERIFY(message.isEmpty() || (t.prompts.asked[0].text == message && t.prompts.asked[0].icon == MsgIcon::Critical));
        QVERIFY(t.view.sourceIndex == selected && !t.s.Updating);
    }

};

QTEST_GUILESS_MAIN(TestTake)
#include "tst_take.moc"
