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
    // right row 1; then OK. Seen: the right-hand rows (key, text), then the list built.
    void editing_data()
    {
        Columns<QString, QString, QString>("stored", "steps", "seen");
        QTest::newRow("opens from the list, only 1 shown") << "10120" << "" << "Ch.0001 S1 (Ch.0001)|Ch.0003 S3 (Ch.0003)|10100";
        QTest::newRow("the OFF row has no channel") << "00001" << "" << "Ch.0005 - Off -|00001";
        QTest::newRow("add appends in left order, once") << "00100" << "a1,0,2"
                                                        << "Ch.0003 S3 (Ch.0003)|Ch.0001 S1 (Ch.0001)|Ch.0002 S2 (Ch.0002)|11100";
        QTest::newRow("remove selected, out of range ignored") << "11100" << "r0,2,7" << "Ch.0002 S2 (Ch.0002)|01000";
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
            step.startsWith(u'a') ? e.add(rows) : e.remove(rows);
        }
        QStringList rows;
        for (const DisplayListRow& r : e.current())
            rows << r.key + u' ' + r.text;
        e.ok(t.s);
        QCOMPARE((rows << t.s.DisplayList).join(u'|'), seen);
    }

    // A name of 16 of the widest letters shows whole in both lists, in both columns; Add lists the
    // selected source.
    void namesWhole()
    {
        Sources t(3, QStringLiteral("1000"));
        t.s.InputAlphas[1] = u"WWWWWWWWWWWWWWWW"_s;
        DisplayListDialog d(t.panel);
        QStringList cut;
        int added = 0;  // entries once the second source is added alone
        QTimer::singleShot(0, &d, [&] {
            d.findChild<QTreeWidget*>(u"lvChannel"_s)->topLevelItem(1)->setSelected(true);
            d.findChild<QPushButton*>(u"cmdAdd"_s)->click();
            added = d.findChild<QTreeWidget*>(u"lvList"_s)->topLevelItemCount();
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
        QCOMPARE(added, 2);
    }
};

QTEST_MAIN(TestDisplayList)
#include "tst_displaylist.moc"
