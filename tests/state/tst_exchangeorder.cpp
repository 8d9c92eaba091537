#include "state/ExchangeOrder.h"

#include <QString>
#include <QTest>

#include <random>

// The fast order must be the exchange sort's, entry for entry, including where equal keys land.
class TestExchangeOrder : public QObject {
    Q_OBJECT

    static std::vector<std::size_t> Reference(std::vector<QString> keys)
    {
        std::vector<std::size_t> order(keys.size());
        for (std::size_t i = 0; i < order.size(); ++i)
            order[i] = i;
        for (std::size_t i = 0; i < keys.size(); ++i)
            for (std::size_t j = i + 1; j < keys.size(); ++j)
                if (QString::compare(keys[i], keys[j]) > 0) {
                    std::swap(keys[i], keys[j]);
                    std::swap(order[i], order[j]);
                }
        return order;
    }

    // count names of length letters drawn from the first alphabet letters of "ABCDEFGH..."
    static std::vector<QString> Random(int count, int length, int alphabet, unsigned seed)
    {
        std::mt19937 gen(seed);
        std::uniform_int_distribution<int> letter(0, alphabet - 1);
        std::vector<QString> keys;
        for (int i = 0; i < count; ++i) {
            QString k;
            for (int c = 0; c < length; ++c)
                k += QChar(u'A' + letter(gen));
            keys.push_back(k);
        }
        return keys;
    }

    static std::vector<QString> Names(std::initializer_list<const char*> names)
    {
        std::vector<QString> out;
        for (const char* n : names)
            out.push_back(QString::fromLatin1(n));
        return out;
    }

private Q_SLOTS:
    void matchesExchangeSort_data()
    {
        QTest::addColumn<std::vector<QString>>("keys");
        std::vector<QString> sorted = Random(300, 8, 26, 1);
        std::sort(sorted.begin(), sorted.end());
        std::vector<QString> reversed(sorted.rbegin(), sorted.rend());

        QTest::newRow("empty") << std::vector<QString>{};
        QTest::newRow("one") << std::vector<QString>{QStringLiteral("A")};
        QTest::newRow("distinct, random") << Random(500, 8, 26, 2);
        QTest::newRow("already sorted") << sorted;
        QTest::newRow("reversed") << reversed;
        QTest::newRow("few duplicates") << Random(400, 2, 26, 3);
        QTest::newRow("duplicate-heavy") << Random(400, 2, 3, 4);
        QTest::newRow("two values") << Random(200, 1, 2, 5);
        QTest::newRow("all equal") << std::vector<QString>(50, QStringLiteral("MIC"));
        QTest::newRow("padded names") << Names({"MIC 2   ", "MIC 10  ", "MIC 2   ", "        ", "MIC 1   ", "{IC 1   "});
    }
    void matchesExchangeSort()
    {
        QFETCH(std::vector<QString>, keys);
        const auto less = [](const QString& a, const QString& b) { return QString::compare(a, b) < 0; };
        QCOMPARE(ExchangeSortOrder(keys, less), Reference(keys));
    }

    void applyOrderMovesItems()
    {
        std::vector<QString> items = Names({"c", "a", "b"});
        ApplyOrder(items, {1, 2, 0});
        QCOMPARE(items, Names({"a", "b", "c"}));
    }
};

QTEST_APPLESS_MAIN(TestExchangeOrder)
#include "tst_exchangeorder.moc"
