#include "support/Fakes.h"

#include "core/Display.h"
#include "core/Take.h"

#include <QRegularExpression>
#include <QTest>

#include <functional>

namespace {

using Ints = QList<int>;
using Takes = std::vector<std::pair<int, int>>;
using Breakage = std::function<void(PanelState&)>;

const QString Off = QStringLiteral("- OFF -");

// "a|b|c" as a list of texts; "OFF" stands for the "- OFF -" entry.
QStringList list(const char* texts)
{
    QStringList out = QString::fromUtf8(texts).split(u'|');
    out.replaceInStrings(QRegularExpression(QStringLiteral("^OFF$")), Off);
    return out;
}

// A TCP/IP panel with every table loaded, controlling destination 4 ("Studio A", sorted last of
// eight). Sources come in display order with their channels; types 1301/1351 add the OFF source.
struct Router : TestPanel {
    explicit Router(int type = 0, QStringList names = list("Aux|Mic|Tape"), Ints channels = {2, 0, 1},
                    const QString& displayList = QStringLiteral("111"))
    {
        InitVariables(s, server);
        s.TcpIpMode = s.PanelPopulated = true;
        s.PendingTables = 0;
        s.SystemType = type;
        s.OutputControlled = 4;
        s.NumOutputs = 8;
        s.OutputChannelList = {0, 1, 2, 3, 5, 6, 7, 4};
        s.OutputAlphaList.clear();
        for (int channel : s.OutputChannelList)
            s.OutputAlphaList.push_back(channel == 4 ? QStringLiteral("Studio A") : QStringLiteral("Dest %1").arg(channel + 1));
        s.OutputPosition = {0, 1, 2, 3, 7, 4, 5, 6};
        s.OutputStatus.assign(8, OutputStatusRecord{});
        if (type == 1301 || type == 1351) {
            channels << static_cast<int>(names.size());
            names << Off;
        }
        s.NumInputs = static_cast<int>(names.size());
        s.InputAlphaList.assign(names.begin(), names.end());
        s.InputChannelList.assign(channels.begin(), channels.end());
        s.InputPosition.assign(names.size(), 0);
        for (int p = 0; p < channels.size(); ++p)
            s.InputPosition[channels[p]] = p;
        s.ComboAlphaList.assign(names.size(), QString());
        s.ComboChannelList.assign(names.size(), 0);
        s.resizeInhibitMap(s.NumInputs, s.NumOutputs);
        s.DisplayList = displayList;
    }
};

} // namespace

Q_DECLARE_METATYPE(Breakage)

class TestDisplay final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Sources Aux (ch 3), Mic (ch 1), Tape (ch 2) in display order unless a row names others.
    void fillings_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("names");  // empty: Aux, Mic, Tape
        QTest::addColumn<QString>("displayList");
        QTest::addColumn<int>("inhibited");      // channel inhibited to the destination, or -1
        QTest::addColumn<bool>("hideInhibits");
        QTest::addColumn<int>("current");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<int>("selected");
        QTest::addColumn<bool>("showsAll");

        const QStringList none;
        const QStringList limited = list("Aux   (ch 3)|Tape   (ch 2)");
        const QStringList all = list("Aux   (ch 3)|Mic   (ch 1)|Tape   (ch 2)");
        QTest::newRow("all offered, no re-sort") << 0 << list("Mic 2|Mic 1|Tape") << "111" << -1 << true << 0
                                                 << list("Mic 2   (ch 3)|Mic 1   (ch 1)|Tape   (ch 2)") << 1 << false;
        QTest::newRow("display list 0 hides") << 0 << none << "011" << -1 << true << 1 << limited << 1 << false;
        QTest::newRow("non-digit hides, 9 offers") << 0 << none << "x91" << -1 << true << 2 << limited << 0 << false;
        QTest::newRow("inhibit hides") << 0 << none << "111" << 0 << true << 1 << limited << 1 << false;
        QTest::newRow("inhibits shown when not hidden") << 0 << none << "111" << 0 << false << 0 << all << 1 << false;
        QTest::newRow("beyond the display list always offered") << 0 << none << "11" << 2 << true << 1 << all << 2 << false;
        QTest::newRow("current hidden: full list") << 0 << none << "011" << -1 << true << 0
                                                   << list("Aux   (ch 3)|Tape   (ch 2)|{ic   (ch 1)") << 2 << true;
        QTest::newRow("1301: OFF current, limited list") << 1301 << none << "0111" << -1 << true << 3
                                                         << list("Aux   (ch 3)|Tape   (ch 2)|OFF") << 2 << false;
        QTest::newRow("1351: OFF current, nothing hidden") << 1351 << none << "1111" << -1 << true << 3 << all + list("OFF") << 3 << false;
        // The hidden current source sorts to the index that "- OFF -" has in the limited list:
        // that index is in the box, so the limited list stays, with "- OFF -" selected.
        QTest::newRow("1301: current hidden at OFF's index") << 1301 << none << "0111" << -1 << true << 0
                                                             << list("Aux   (ch 3)|Tape   (ch 2)|OFF") << 2 << false;
        QTest::newRow("1351: current hidden past OFF's index, full list") << 1351 << none << "1001" << -1 << true << 2
                                                                         << list("Mic   (ch 1)|{ape   (ch 2)|{ux   (ch 3)|OFF") << 2 << true;
        // Hidden names keep 8 characters, so these two become equal; the exchange sort reverses them.
        QTest::newRow("equal hidden names, not stable") << 0 << list("Mic 1 left|MIC 1 level|Tape") << "010" << -1 << true << 2
                                                        << list("Tape   (ch 2)|{IC 1 le   (ch 1)|{ic 1 le   (ch 3)") << 2 << true;
        QTest::newRow("name above { stays before hidden") << 0 << list("Aux|Mic|Écho") << "011" << -1 << true << 1
                                                          << list("Aux   (ch 3)|Écho   (ch 2)") << 1 << false;
    }
    void fillings()
    {
        QFETCH(int, type);
        QFETCH(QStringList, names);
        QFETCH(QString, displayList);
        QFETCH(int, inhibited);
        QFETCH(QStringList, items);
        QFETCH(int, selected);
        Router t(type, names.isEmpty() ? list("Aux|Mic|Tape") : names, {2, 0, 1}, displayList);
        if (inhibited >= 0)
            t.s.InhibitMap[t.s.inhibitIndex(inhibited, 4)] = 1;
        QFETCH(bool, hideInhibits);
        t.s.HideInhibits = hideInhibits;
        QFETCH(int, current);
        t.s.OutputStatus[4].Sources[0] = current;
        UpdateAlphaData(t.panel);

        QCOMPARE(t.view.sourceItems, items);
        QCOMPARE(t.view.sourceIndex, selected);
        QTEST(t.s.ListShowsAll, "showsAll");
        QCOMPARE(t.s.CurrentSource, current);
        QCOMPARE(t.s.OffListIndex, items.last() == Off ? int(items.size()) - 1 : t.s.NumInputs + 1);
        QCOMPARE(t.view.status1, QStringLiteral("Destination: Studio A [005]"));
        QCOMPARE(t.view.outputItems.size(), 8);
        QCOMPARE(t.view.outputItems[7], QStringLiteral("Studio A   (ch 5)"));
        QCOMPARE(t.view.outputIndex, 7);
        QVERIFY(!t.s.Updating && !t.view.sourceBoxFrozen && t.logLines().isEmpty());

        // Choosing entry k routes the source that entry names; "{" entries are refused.
        const QRegularExpression number(QStringLiteral("\\(ch (\\d+)\\)$"));
        for (int k = 0; k < items.size(); ++k) {
            t.server.takes.clear();
            cmboSourceSelect_Click(t.panel, k, items[k]);
            const int source = items[k] == Off ? t.s.NumInputs - 1 : number.match(items[k]).captured(1).toInt() - 1;
            QCOMPARE(t.server.takes, (items[k].startsWith(u'{') ? Takes{} : Takes{{4, source}}));
            QCOMPARE(t.view.sourceIndex, selected);
        }
    }

    void fedByDestination()
    {
        Router t;
        OutputStatusRecord& r = t.s.OutputStatus[4];
        r.SourceCount = r.OutputSourceCount = 1;
        r.OutputSources[0] = 2;
        UpdateAlphaData(t.panel);
        QCOMPARE(t.view.sourceText, QStringLiteral("Dest 3  (ch 3)"));
        QCOMPARE(t.view.sourceIndex, -1);
        QCOMPARE(t.view.sourceItems.size(), 3);
    }

    void invalidDestination_data()
    {
        QTest::addColumn<bool>("tcp");
        QTest::addColumn<bool>("populated");
        QTest::addColumn<int>("controlled");
        QTest::addColumn<bool>("loggedIn");
        QTest::addColumn<QStringList>("asked");

        const QStringList login = list("Channel Error|dialog:0");
        const QStringList setup = list("Channel Error|dialog:0|dialog:1");
        QTest::newRow("channel 300: login refused") << false << false << 300 << false << login;
        QTest::newRow("channel 300: setup chooses") << false << false << 300 << true << setup;
        QTest::newRow("placeholder name") << false << false << 6 << true << setup;
        QTest::newRow("TCP/IP loading: count checked") << true << false << 300 << false << login;
        QTest::newRow("TCP/IP loading: names not yet") << true << false << 6 << true << QStringList{};
        QTest::newRow("TCP/IP loaded: placeholder") << true << true << 6 << false << login;
    }
    void invalidDestination()
    {
        QFETCH(bool, tcp);
        QFETCH(bool, populated);
        QFETCH(int, controlled);
        QFETCH(bool, loggedIn);
        QFETCH(QStringList, asked);
        Router t;
        t.s.TcpIpMode = tcp;
        t.s.PanelPopulated = populated;
        t.s.OutputAlphaList[6] = PlaceholderName;  // placeholders follow the destinations that exist
        t.s.OutputControlled = controlled;
        t.view.setWindowOrder(TopMost);
        t.prompts.dialogHandler = [&](Dialog d, const QString& tag) {
            if (d == Dialog::Login)
                t.s.LoggedIn = loggedIn;
            else
                t.s.OutputControlled = 4;
            return tag;
        };
        UpdateAlphaData(t.panel);

        QCOMPARE(t.prompts.titles(), asked);
        const auto& a = t.prompts.asked;
        if (!a.empty()) {
            QCOMPARE(a[0].text, QStringLiteral("Ch. %1 is an invalid Output Channel.\rPlease select a new output channel").arg(controlled + 1));
            QCOMPARE(a[0].icon, MsgIcon::Critical);
            QCOMPARE(a[1].text, QString());
            QCOMPARE(a[1].windowOrder, NotTopMost);
            QCOMPARE(a.back().text, a.size() == 3 ? QStringLiteral("Initial") : QString());
            QCOMPARE(t.view.windowOrderLog, list("-1|-2|-1"));
        }
        const bool rebuilt = asked.size() == 3;
        QCOMPARE(t.view.status1 == QStringLiteral("Destination: Studio A [005]"), rebuilt);
        QCOMPARE(t.s.OutputControlled, rebuilt ? 4 : asked.isEmpty() ? controlled : 0);
    }

    // While the message is open the tables keep arriving: no second message, and the destination
    // changes only once it has been answered.
    void invalidDestinationAsksOnce()
    {
        Router t;
        t.s.OutputControlled = 300;
        t.prompts.hold = true;
        UpdateAlphaData(t.panel);
        UpdateAlphaData(t.panel);
        QCOMPARE(t.prompts.titles(), list("Channel Error"));
        QCOMPARE(t.s.OutputControlled, 300);
        QVERIFY(t.prompts.answerOldest());
        QCOMPARE(t.s.OutputControlled, 0);
        QCOMPARE(t.prompts.titles(), list("Channel Error|dialog:0"));
    }

    // The server sends no inhibits for sources beyond its map (the panel's own OFF source).
    void sourcesBeyondTheInhibitMapAreOffered()
    {
        Router t(0, list("Aux|Mic|Tape"), {2, 0, 1}, QStringLiteral("111"));
        t.s.HideInhibits = true;
        t.s.resizeInhibitMap(2, t.s.NumOutputs);
        UpdateAlphaData(t.panel);
        QVERIFY(t.logLines().isEmpty());
        QCOMPARE(t.view.sourceItems.size(), 3);
    }

    // Tables that disagree with the counts end the operation with its logged failure.
    void inconsistentTables_data()
    {
        QTest::addColumn<Breakage>("tables");
        QTest::addColumn<QString>("logged");

        const QString displayList = QStringLiteral("Inhibit Sort Error Error using Display List");
        const QString display = QStringLiteral("Alpha Error Error Updating Display");
        QTest::newRow("NoSystem source names") << Breakage([](PanelState& s) { s.InputAlphaList.assign(1, QString()); }) << displayList;
        QTest::newRow("inhibit map short of the destination") << Breakage([](PanelState& s) { s.resizeInhibitMap(3, 2); }) << displayList;
        QTest::newRow("combo names short of the sort") << Breakage([](PanelState& s) {
            s.ComboAlphaList.resize(1);
            s.InputPosition.assign(3, 0);
        }) << "Inhibit Sort Error Error Preparing limited list";
        QTest::newRow("NoSystem destination names") << Breakage([](PanelState& s) { s.OutputAlphaList.assign(1, QString()); }) << display;
        QTest::newRow("current source in no entry, no OFF") << Breakage([](PanelState& s) {
            s.OutputStatus[4].Sources[0] = 99;
            s.SourceListIndex = 50;
        }) << display;
    }
    void inconsistentTables()
    {
        QFETCH(Breakage, tables);
        QFETCH(QString, logged);
        Router t(0, list("Aux|Mic|Tape"), {2, 0, 1}, QStringLiteral("011"));
        tables(t.s);
        UpdateAlphaData(t.panel);
        const QStringList lines = t.logLines();
        QVERIFY(std::any_of(lines.begin(), lines.end(), [&](const QString& l) { return l.simplified().contains(logged); }));
        QVERIFY(!t.s.Updating && !t.view.sourceBoxFrozen);
    }
};

QTEST_GUILESS_MAIN(TestDisplay)
#include "tst_display.moc"
