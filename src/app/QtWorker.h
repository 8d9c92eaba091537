#pragma once

#include "state/Ports.h"

#include <QObject>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

class QThread;

// The Worker port on one thread of its own. Jobs run one at a time in the order posted; each
// done comes back to the GUI thread through the event loop.
class QtWorker final : public QObject, public Worker {
public:
    QtWorker();
    ~QtWorker() override;

    void post(std::function<void()> job, std::function<void(bool finished)> done, int timeoutMs) override;

    // Shut-down: jobs not yet started are dropped and no done runs any more; waits at most waitMs for
    // the job that is running. False when it still runs (blocked on a share that does not answer):
    // the thread is then left to the end of the process, which must not wait for it.
    bool shutDown(int waitMs);

private:
    struct Item;
    void run();
    void finish(const std::shared_ptr<Item>& item);

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::shared_ptr<Item>> m_queue;
    bool m_stopping = false;  // under m_mutex
    bool m_ended = false;     // GUI thread: no more done
    QThread* m_thread = nullptr;
};
