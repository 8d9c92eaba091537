#include "support/Fakes.h"

#include "core/Display.h"
#include "core/Take.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

using Takes = std::vector<std::pair<int, int>>;
static const QString StudioA = QStringLiteral("Destination: Studio A [005]");

class TestDisplay final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The source box for the current source, from sources Aux (ch 3), Mic (ch 1), Tape (ch 2) in
    // display order unless a row names others. Tables: "inhibit 0": channel 0 is inhibited on the
    // destination, "shown": inhibits are not hidden, "2 rows": the map holds 2 sources only, "fed":
    // destination 3 feeds the controlled one.
    void fillings_data()
    {
        Columns<int, QString, QString, QString, int, QString, int, bool>("type", "names", "displayList", "tables", "current", "items", "selected", "showsAll");
        const QString amt = QStringLiteral("Aux|Mic|Tape"), limited = QStringLiteral("Aux   (ch 3)|Tape   (ch 2)");
        const QString all = QStringLiteral("Aux   (ch 3)|Mic   (ch 1)|Tape   (ch 2)");
        QTest::newRow("all offered, no re-sort") << 0 << "Mic 2|Mic 1|Tape" << "111" << "" << 0 << "Mic 2   (ch 3)|Mic 1   (ch 1)|Tape   (ch 2)" << 1 << false;
        QTest::newRow("non-digit hides, 9 offers, sort ignores case") << 0 << "aux|Mic|Tape" << "x91" << "" << 1 << "aux   (ch 3)|Tape   (ch 2)" << 1 << false;
        QTest::newRow("inhibits shown when not hidden") << 0 << amt << "111" << "inhibit 0, shown" << 0 << all << 1 << false;
        QTest::newRow("beyond the inhibit map offered") << 0 << amt << "111" << "2 rows" << 1 << all << 2 << false;
        QTest::newRow("fed by another destination") << 0 << amt << "111" << "fed" << 0 << all << -1 << false;
        QTest::newRow("1301: OFF current, limited list") << 1301 << amt << "0111" << "" << 3 << limited + u"|- OFF -"_s << 2 << false;
        // The hidden current source sorts to the index that "- OFF -" has in the limited list:
        // that index is in the box, so the limited list stays, with "- OFF -" selected.
        QTest::newRow("1301: current hidden at OFF's index") << 1301 << amt << "0111" << "" << 0 << limited + u"|- OFF -"_s << 2 << false;
        QTest::newRow("1351: current hidden past OFF's index, full list") << 1351 << amt << "1001" << "" << 2
            << "Mic   (ch 1)|{ape   (ch 2)|{ux   (ch 3)|- OFF -" << 2 << true;
        QTest::newRow("name above { stays before hidden") << 0 << "Aux|Mic|Écho" << "011" << "" << 1 << "Aux   (ch 3)|Écho   (ch 2)" << 1 << false;
    }
    void fillings()
    {
        auto [type, names, displayList, tables, current, items, selected, showsAll] = Fetch<int, QString, QString, QString, int, QString, int, bool>(
            "type", "names", "displayList", "tables", "current", "items", "selected", "showsAll");
        LoadedPanel t(type, Split(names), {2, 0, 1}, displayList);
        if (tables.startsWith(u"inhibit"))
            t.s.InhibitMap[t.s.inhibitIndex(tables.at(8).digitValue(), 4)] = 1;
        t.s.HideInhibits = !tables.contains(u"shown");
        if (tables.contains(u"rows"))
            t.s.resizeInhibitMap(2, t.s.NumOutputs);
        OutputStatusRecord& r = t.s.OutputStatus[4];
        std::tie(r.Sources[0], r.SourceCount, r.OutputSourceCount, r.OutputSources[0]) = std::tuple(current, tables == u"fed", tables == u"fed", 2);
        UpdateAlphaData(t.panel);

        const QStringList entries = Split(items);
        const int offIndex = items.endsWith(u"- OFF -") ? int(entries.size()) - 1 : t.s.NumInputs + 1;
        QCOMPARE(t.view.sourceItems, entries);
        QCOMPARE(QList<int>({t.view.sourceIndex, t.s.ListShowsAll, t.s.CurrentSource, t.s.OffListIndex, t.view.outputIndex}),
                 QList<int>({selected, showsAll, current, offIndex, 7}));
        QCOMPARE(t.view.sourceText, tables == u"fed" ? QStringLiteral("Dest 3  (ch 3)") : QString());
        QVERIFY(t.view.status1 == StudioA && t.view.outputItems.value(7) == QStringLiteral("Studio A   (ch 5)"));
        QVERIFY(!t.s.Updating && !t.view.sourceBoxFrozen && t.logLines().isEmpty());
        // Choosing entry k routes the source that entry names; "{" entries are refused.
        for (int k = 0; k < entries.size() && selected >= 0; ++k) {
            t.server.takes.clear();
            cmboSourceSelect_Click(t.panel, k, entries[k]);
            const int source = k == offIndex ? t.s.NumInputs - 1 : QRegularExpression(QStringLiteral("(\\d+)\\)$")).match(entries[k]).captured(1).toInt() - 1;
            QVERIFY(t.server.takes == (entries[k].startsWith(u'{') ? Takes{} : Takes{{4, source}}) && t.view.sourceIndex == selected);
        }
    }

    // A destination that does not exist (the last one does): the message, then behind the login
    // the setup dialog, then the display again; with the message held open the tables keep
    // arriving and ask nothing more.
    void invalidDestination_data()
    {
        Columns<int, bool, bool, QString>("controlled", "loggedIn", "held", "asked");
        const QString login = QStringLiteral("Channel Error|dialog:0");
        QTest::newRow("one past the last: login refused") << 8 << false << false << login;
        QTest::newRow("placeholder name") << 6 << true << false << login + u"|dialog:1"_s;
        QTest::newRow("message held open") << 300 << true << true << login + u"|dialog:1"_s;
    }
    void invalidDestination()
    {
        auto [controlled, loggedIn, held, asked] = Fetch<int, bool, bool, QString>("controlled", "loggedIn", "held", "asked");
        LoadedPanel t;
        std::tie(t.s.TcpIpMode, t.s.PanelPopulated, t.s.OutputControlled) = std::tuple(false, false, controlled);
        t.s.OutputAlphaList[6] = PlaceholderName;  // placeholders follow the destinations that exist
        t.s.OutputControlled = 7;  // the last destination
        UpdateAlphaData(t.panel);
        QVERIFY(t.prompts.asked.empty());
        t.s.OutputControlled = controlled;
        t.view.setWindowOrder(TopMost);
        t.prompts.hold = held;
        t.prompts.dialogHandler = [&t, loggedIn = loggedIn](Dialog d, const QString& tag) {
            t.s.LoggedIn = loggedIn;
            t.s.OutputControlled = d == Dialog::Setup ? 4 : t.s.OutputControlled;
            return tag;
        };
        UpdateAlphaData(t.panel);
        if (t.prompts.hold) {
            UpdateAlphaData(t.panel);
            QVERIFY(t.prompts.titles() == QStringList{QStringLiteral("Channel Error")} && t.s.OutputControlled == 300);
            t.prompts.hold = false;
            QVERIFY(t.prompts.answerOldest());
        }
        const auto& a = t.prompts.asked;
        QCOMPARE(t.prompts.titles(), Split(asked));
        QVERIFY(a[0].text == QStringLiteral("Ch. %1 is an invalid Output Channel.\rPlease select a new output channel").arg(controlled + 1)
                && a[0].icon == MsgIcon::Critical && a[1].windowOrder == NotTopMost && a[1].text.isEmpty()
                && a.back().text == (a.size() == 3 ? QStringLiteral("Initial") : QString())
                && t.view.windowOrderLog == Split(QStringLiteral("-1|-2|-1")));
        QCOMPARE(t.view.status1 == StudioA, a.size() == 3);
        QCOMPARE(t.s.OutputControlled, a.size() == 3 ? 4 : 0);
    }

    // Tables that disagree with the counts end the operation with its logged failure.
    void inconsistentTables()
    {
        const QString failures[] = {QStringLiteral("Inhibit Sort Error Error using Display List"),
                                    QStringLiteral("Inhibit Sort Error Error Preparing limited list"), QStringLiteral("Alpha Error Error Updating Display")};
        for (int breakage = 0; breakage < 5; ++breakage) {
            LoadedPanel t(0, Split(QStringLiteral("Aux|Mic|Tape")), {2, 0, 1}, QStringLiteral("011"));
            PanelState& s = t.s;
            switch (breakage) {
            case 0: s.resizeInhibitMap(3, 2); break;                                        // short of the destination
            case 1: s.ComboAlphaList.resize(1), s.InputPosition.assign(3, 0); break;        // short of the sort
            case 2: s.OutputAlphaList.assign(1, QString()); break;                          // no destination names
            case 3: s.OutputStatus[4].Sources[0] = 99, s.SourceListIndex = 50; break;      // a source in no entry
            case 4: s.OutputAlphaList.resize(5); break;                                     // names end after this one
            }
            UpdateAlphaData(t.panel);
            QVERIFY2(t.logLines().join(u'|').simplified().contains(failures[std::min(breakage, 2)]), qPrintable(t.logLines().join(u'|')));
            // A box whose rebuild failed (1, 3, 4) takes no choice until it is rebuilt.
            const bool halfBuilt = breakage == 1 || breakage >= 3;
            cmboSourceSelect_Click(t.panel, 0, t.view.sourceItems.value(0));
            QVERIFY(t.s.Updating == halfBuilt && t.server.takes.empty() == halfBuilt && !t.view.sourceBoxFrozen);
        }
    }
};

QTEST_GUILESS_MAIN(TestDisplay)
#include "tst_display.moc"
