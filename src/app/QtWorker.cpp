#include "app/QtWorker.h"

#include <QThread>
#include <QTimer>

#include <atomic>

struct QtWorker::Item {
    std::function<void()> job;
    std::function<void(bool)> done;
    std::atomic<bool> expired{false};  // its time ran out: done(false) has run, the job is dropped
    bool answered = false;             // GUI thread: done has run
};

QtWorker::QtWorker()
{
    m_thread = QThread::create([this] { run(); });
    m_thread->setObjectName(QStringLiteral("file worker"));
    m_thread->start();
}

QtWorker::~QtWorker()
{
    if (!shutDown(0))
        return;  // still blocked: left running, and the process ends without waiting for it
    delete m_thread;
}

void QtWorker::post(std::function<void()> job, std::function<void(bool finished)> done, int timeoutMs)
{
    if (m_ended)
        return;
    auto item = std::make_shared<Item>();
    item->job = std::move(job);
    item->done = std::move(done);
    if (timeoutMs > 0) {
        QTimer::singleShot(timeoutMs, this, [this, item] {
            if (item->answered || m_ended)
                return;
            item->expired = true;
            item->answered = true;
            item->done(false);
        });
    }
    {
        const std::lock_guard lock(m_mutex);
        m_queue.push_back(std::move(item));
    }
    m_wake.notify_one();
}

void QtWorker::run()
{
    for (;;) {
        std::shared_ptr<Item> item;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
            if (m_stopping)
                return;
            item = std::move(m_queue.front());
            m_queue.pop_front();
        }
        if (item->expired)
            continue;
        item->job();
        QMetaObject::invokeMethod(this, [this, item] { finish(item); }, Qt::QueuedConnection);
    }
}

void QtWorker::finish(const std::shared_ptr<Item>& item)
{
    if (item->answered || m_ended)
        return;
    item->answered = true;
    item->done(true);
}

bool QtWorker::shutDown(int waitMs)
{
    m_ended = true;
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_queue.clear();
    }
    m_wake.notify_one();
    return m_thread->wait(QDeadlineTimer(waitMs));
}
