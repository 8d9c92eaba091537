// The worker thread: a job whose time ran out is reported failed and never runs afterwards (a
// take reported failed must not write its command file late).

#include "app/QtWorker.h"

#include <QTest>

#include <atomic>
#include <semaphore>

class TestQtWorker final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void expiredJobNeverRuns()
    {
        QtWorker worker;
        std::binary_semaphore release(0);
        std::atomic<int> ran = 0;
        std::vector<bool> done;
        worker.post([&] { release.acquire(); ++ran; }, [&](bool finished) { done.push_back(finished); }, 0);
        worker.post([&] { ran += 10; }, [&](bool finished) { done.push_back(finished); }, 50);
        QTRY_COMPARE(done, std::vector<bool>{false});  // the second, queued behind the hung one
        release.release();
        worker.post([] {}, [&](bool finished) { done.push_back(finished); }, 0);  // runs after the second
        QTRY_COMPARE(done, (std::vector<bool>{false, true, true}));
        QCOMPARE(ran.load(), 1);
    }
};

QTEST_GUILESS_MAIN(TestQtWorker)
#include "tst_qtworker.moc"
