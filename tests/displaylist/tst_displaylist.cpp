#include "support/Fakes.h"

#include "support/RunDialog.h"

#include "displaylist/DisplayList.h"
#include "displaylist/DisplayListDialog.h"

#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace {

// Sources "S1".."Sn", the last one "- Off -".
struct Sources : TestPanel {
    Sources(int n, const QString& displayList)
    {
        InitVariables(s, server);
        s.NumInputs = n;
        s.InputAlphas.clear();
        for (int c = 1; c <= n; ++c)
            s.InputAlphas.push_back(c == n ? QStringLiteral("- Off -") : QStringLiteral("S%1").arg(c));
        s.DisplayList = displayList;
    }
};

} // namespace

class TestDisplayList final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The editor opened on the stored list, then: "a2,0" adds left rows 2 and 0, "r1" removes
    // right row 1, "A" adds all, "R" removes all, "n4" leaves four sources; then OK. Seen: the
    // right-hand rows (key, text), then the list built.
    void editing_data()
    {
        Columns<QString, QString, QString>("stored", "steps", "seen");
        QTest::newRow("opens from the list, only 1 shown") << "10120" << "" << "Ch.0001 S1 (Ch.0001)|Ch.0003 S3 (Ch.0003)|10100";
        QTest::newRow("short list, rest left out") << "01" << "" << "Ch.0002 S2 (Ch.0002)|01000";
        QTest::newRow("the OFF row has no channel") << "00001" << "" << "Ch.0005 - Off -|00001";
        QTest::newRow("add appends in left order") << "00100" << "a1,0" << "Ch.0003 S3 (Ch.0003)|Ch.0001 S1 (Ch.0001)|Ch.0002 S2 (Ch.0002)|11100";
        QTest::newRow("add of a present source adds nothing") << "10000" << "a0,0" << "Ch.0001 S1 (Ch.0001)|10000";
        QTest::newRow("add all brings back the missing") << "01000" << "A" << "Ch.0002 S2 (Ch.0002)|Ch.0001 S1 (Ch.0001)|Ch.0003 S3 (Ch.0003)|"
                                                                                "Ch.0004 S4 (Ch.0004)|Ch.0005 - Off -|11111";
        QTest::newRow("remove selected, out of range ignored") << "11100" << "r0,2,7" << "Ch.0002 S2 (Ch.0002)|01000";
        QTest::newRow("remove all then OK is all zero") << "11111" << "R" << "00000";
        QTest::newRow("sources shrank: existing channels only") << "00011" << "n4" << "Ch.0004 S4 (Ch.0004)|Ch.0005 - Off -|0001";
    }
    void editing()
    {
        auto [stored, steps, seen] = Fetch<QString, QString, QString>("stored", "steps", "seen");
        Sources t(5, stored);
        DisplayListEditor e;
        e.activate(t.s);
        QCOMPARE(int(e.master().size()), 5);
        for (const QString& step : steps.split(u' ', Qt::SkipEmptyParts)) {
            std::vector<int> rows;
            for (const QString& n : step.mid(1).split(u',', Qt::SkipEmptyParts))
                rows.push_back(n.toInt());
            switch (step.at(0).unicode()) {
            case 'a': e.add(rows); break;
            case 'r': e.remove(rows); break;
            case 'A': e.addAll(); break;
            case 'R': e.removeAll(); break;
            case 'n': t.s.NumInputs = rows.at(0); break;
            }
        }
        QStringList rows;
        for (const DisplayListRow& r : e.current())
            rows << r.key + u' ' + r.text;
        e.ok(t.s);
        QCOMPARE((rows << t.s.DisplayList).join(u'|'), seen);
    }

    // Names of 16 characters show whole in both lists, in both columns, even of the widest letters.
    void namesWhole_data()
    {
        Columns<QString>("name");
        QTest::newRow("studio name") << u"STUDIO A PGM OUT"_s;
        QTest::newRow("widest letters") << u"WWWWWWWWWWWWWWWW"_s;
        QTest::newRow("wide and narrow") << u"MWMWMWMWMWMWMWMW"_s;
    }
    void namesWhole()
    {
        auto [name] = Fetch<QString>("name");
        Sources t(3, QStringLiteral("1000"));
        t.s.InputAlphas[1] = name;
        DisplayListDialog d(t.panel);
        QStringList cut;
        QTimer::singleShot(0, &d, [&] {
            d.findChild<QPushButton*>(u"cmdAddAll"_s)->click();
            for (const char* object : {"lvChannel", "lvList"}) {
                auto* list = d.findChild<QTreeWidget*>(QLatin1String(object));
                const int margin = 2 * (list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1);
                for (int row = 0; row < list->topLevelItemCount(); ++row)
                    for (int column : {0, 1}) {
                        const QString text = list->topLevelItem(row)->text(column);
                        if (list->fontMetrics().horizontalAdvance(text) + margin > list->columnWidth(column))
                            cut << text;
                    }
            }
            d.findChild<QPushButton*>(u"cmdCancel"_s)->click();
        });
        RunDialog(d, QString());
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(u" | ")));
    }
};

QTEST_MAIN(TestDisplayList)
#include "tst_displaylist.moc"
