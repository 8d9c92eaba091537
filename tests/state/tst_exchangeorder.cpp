#include "state/ExchangeOrder.h"

#include <QString>
#include <QTest>

#include <random>

using Keys = std::vector<QString>;

// The fast order must be the exchange sort's, entry for entry, including where equal keys land.
class TestExchangeOrder : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void matchesExchangeSort_data()
    {
        // Keys of the given length drawn from the first letters of the alphabet.
        const auto random = [](int count, int length, int letters, unsigned seed) {
            std::mt19937 gen(seed);
            Keys keys(static_cast<std::size_t>(count));
            for (QString& k : keys)
                while (k.size() < length)
                    k += QChar(u'A' + std::uniform_int_distribution<int>(0, letters - 1)(gen));
            return keys;
        };
        QTest::addColumn<Keys>("keys");
        QTest::newRow("distinct, random") << random(500, 8, 26, 2);
        QTest::newRow("duplicate-heavy") << random(400, 2, 3, 4);
    }
    void matchesExchangeSort()
    {
        QFETCH(Keys, keys);
        std::vector<std::size_t> order(keys.size());
        Keys exchanged = keys;
        for (std::size_t i = 0; i < keys.size(); ++i)
            order[i] = i;
        for (std::size_t i = 0; i < keys.size(); ++i)
            for (std::size_t j = i + 1; j < keys.size(); ++j)
                if (QString::compare(exchanged[i], exchanged[j]) > 0)
                    std::swap(exchanged[i], exchanged[j]), std::swap(order[i], order[j]);
        QCOMPARE(ExchangeSortOrder(keys, [](const QString& a, const QString& b) { return QString::compare(a, b) < 0; }), order);
        ApplyOrder(keys, order);
        QCOMPARE(keys, exchanged);
    }
};

QTEST_APPLESS_MAIN(TestExchangeOrder)
#include "tst_exchangeorder.moc"
