#include "support/Fakes.h"
#include "support/RunDialog.h"

#include "displaylist/DisplayList.h"
#include "displaylist/DisplayListDialog.h"

#include <QApplication>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace {

// A panel whose sources are named "S1".."Sn" (the last one "- Off -" when asked).
struct Sources : TestPanel {
    Sources(int n, const QString& displayList, bool withOff = false)
    {
        InitVariables(s, server);
        s.NumInputs = n;
        s.InputAlphas.clear();
        for (int c = 0; c < n; ++c)
            s.InputAlphas.push_back(QStringLiteral("S%1").arg(c + 1));
        if (withOff)
            s.InputAlphas.back() = QStringLiteral("- Off -");
        s.DisplayList = displayList;
    }
};

QStringList keys(const std::vector<DisplayListRow>& rows)
{
    QStringList out;
    for (const DisplayListRow& r : rows)
        out << r.key.mid(3);  // "0001"
    return out;
}

// Runs "a0,2 r1 A R" (add rows, remove rows, add all, remove all) on the editor.
void play(DisplayListEditor& e, const QString& script)
{
    for (const QString& step : script.split(u' ', Qt::SkipEmptyParts)) {
        std::vector<int> rows;
        for (const QString& n : step.mid(1).split(u',', Qt::SkipEmptyParts))
            rows.push_back(n.toInt());
        switch (step.at(0).unicode()) {
        case 'a': e.add(rows); break;
        case 'r': e.remove(rows); break;
        case 'A': e.addAll(); break;
        case 'R': e.removeAll(); break;
        }
    }
}

} // namespace

class TestDisplayList final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rows_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<bool>("off");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("text");
        QTest::newRow("first") << 0 << false << u"Ch.0001"_s << u"S1 (Ch.0001)"_s;
        QTest::newRow("fourth digit") << 9 << false << u"Ch.0010"_s << u"S10 (Ch.0010)"_s;
        QTest::newRow("off slot") << 9 << true << u"Ch.0010"_s << u"- Off -"_s;
    }
    void rows()
    {
        QFETCH(int, channel);
        QFETCH(bool, off);
        Sources t(10, QString(), off);
        const DisplayListRow row = DisplayListRowOf(t.s, channel);
        QTEST(row.key, "key");
        QTEST(row.text, "text");
        QCOMPARE(row.channel, channel);
    }

    void editing_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("current");  // right-hand keys, in order
        QTest::addColumn<QString>("built");

        QTest::newRow("opens from the list") << u"10120"_s << u""_s << QStringList{u"0001"_s, u"0003"_s} << u"10100"_s;
        QTest::newRow("short list, rest left out") << u"01"_s << u""_s << QStringList{u"0002"_s} << u"01000"_s;
        QTest::newRow("add appends in left order") << u"00001"_s << u"a2,0"_s << QStringList{u"0005"_s, u"0001"_s, u"0003"_s} << u"10101"_s;
        QTest::newRow("add of a present source adds nothing") << u"11000"_s << u"a1,1 a0"_s << QStringList{u"0001"_s, u"0002"_s} << u"11000"_s;
        QTest::newRow("add all brings back the missing") << u"11111"_s << u"r1,3 A"_s << QStringList{u"0001"_s, u"0003"_s, u"0005"_s, u"0002"_s, u"0004"_s} << u"11111"_s;
        QTest::newRow("remove selected only") << u"11111"_s << u"r0,2,4"_s << QStringList{u"0002"_s, u"0004"_s} << u"01010"_s;
        QTest::newRow("remove out of range ignored") << u"11000"_s << u"r7"_s << QStringList{u"0001"_s, u"0002"_s} << u"11000"_s;
        QTest::newRow("remove all then OK is all zero") << u"11111"_s << u"R"_s << QStringList{} << u"00000"_s;
        QTest::newRow("all listed") << u"11111"_s << u""_s << QStringList{u"0001"_s, u"0002"_s, u"0003"_s, u"0004"_s, u"0005"_s} << u"11111"_s;
    }
    void editing()
    {
        QFETCH(QString, stored);
        QFETCH(QString, script);
        Sources t(5, stored);
        DisplayListEditor e;
        e.activate(t.s);
        QCOMPARE(keys(e.master()), (QStringList{u"0001"_s, u"0002"_s, u"0003"_s, u"0004"_s, u"0005"_s}));
        play(e, script);
        QTEST(keys(e.current()), "current");
        e.ok(t.s);
        QTEST(t.s.DisplayList, "built");
    }

    // The source count shrank while the editor was open: OK keeps only existing channels.
    void okAfterSourcesShrank()
    {
        Sources t(5, QStringLiteral("00011"));
        DisplayListEditor e;
        e.activate(t.s);
        t.s.NumInputs = 4;
        e.ok(t.s);
        QCOMPARE(t.s.DisplayList, QStringLiteral("0001"));
    }

    void dialog_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("result");
        QTest::newRow("ok") << u"cmdOk"_s << u"1101"_s;
        QTest::newRow("cancel") << u"cmdCancel"_s << u"0100"_s;
    }
    // The window forwards its lists' selections and writes DisplayList only on OK.
    void dialog()
    {
        QFETCH(QString, button);
        Sources t(4, QStringLiteral("0100"));
        DisplayListDialog d(t.panel);
        int rightRows = -1;
        QTimer::singleShot(0, &d, [&] {
            auto* left = d.findChild<QTreeWidget*>(QStringLiteral("lvChannel"));
            auto* right = d.findChild<QTreeWidget*>(QStringLiteral("lvList"));
            left->topLevelItem(0)->setSelected(true);
            left->topLevelItem(3)->setSelected(true);
            d.findChild<QPushButton*>(QStringLiteral("cmdAdd"))->click();
            rightRows = right->topLevelItemCount();
            d.findChild<QPushButton*>(button)->click();
        });
        QCOMPARE(RunDialog(d, QStringLiteral("tag")), QStringLiteral("tag"));
        QCOMPARE(rightRows, 3);
        QTEST(t.s.DisplayList, "result");
        QCOMPARE(d.findChild<QTreeWidget*>(QStringLiteral("lvList"))->topLevelItemCount(), 0);
    }

    // Names of 16 characters show whole in both lists, in both columns, even of the widest letters.
    void namesWhole_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("studio name") << u"STUDIO A PGM OUT"_s;
        QTest::newRow("widest letters") << u"WWWWWWWWWWWWWWWW"_s;
        QTest::newRow("wide and narrow") << u"MWMWMWMWMWMWMWMW"_s;
    }
    void namesWhole()
    {
        QFETCH(QString, name);
        Sources t(2, QStringLiteral("1000"));
        t.s.InputAlphas[1] = name;
        DisplayListDialog d(t.panel);
        QStringList cut;
        QTimer::singleShot(0, &d, [&] {
            d.findChild<QPushButton*>(QStringLiteral("cmdAddAll"))->click();
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
            d.findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
        });
        RunDialog(d, QString());
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(u" | ")));
    }
};

QTEST_MAIN(TestDisplayList)
#include "tst_displaylist.moc"
