#pragma once

// A server directory behind a FUSE mount (tools/hangfs.c) that stops answering on demand, as
// a network share does when its server goes away: while hung, every call on it waits.

#include <QDir>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <unistd.h>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class HungShare {
public:
    // Mounts source; false (with the reason) when FUSE is not available here.
    bool mount(const QString& source, QString* why)
    {
        m_mountPoint = m_dir.filePath(QStringLiteral("share"));
        m_flag = m_dir.filePath(QStringLiteral("hung"));
        QDir().mkpath(m_mountPoint);
        m_daemon.setProcessChannelMode(QProcess::MergedChannels);
        m_daemon.start(QStringLiteral(HANGFS_EXECUTABLE), {source, m_mountPoint, m_flag});
        const bool mounted = m_daemon.waitForStarted(5000) && QTest::qWaitFor([this] { return isMounted(); }, 5000);
        if (!mounted && why)
            *why = QString::fromLocal8Bit(m_daemon.readAll());
        return mounted;
    }
    ~HungShare()
    {
        resume();
        QProcess::execute(QStringLiteral("fusermount3"), {QStringLiteral("-u"), QStringLiteral("-z"), m_mountPoint});
        m_daemon.terminate();
        m_daemon.waitForFinished(5000);
    }

    // The directory as the panel sees it, with a trailing separator.
    QString path() const { return m_mountPoint + QLatin1Char('/'); }
    // The share stops answering; after at most limitMs it answers again by itself, so that a
    // test whose own thread got stuck on it fails instead of hanging.
    void hang(int limitMs = 15000)
    {
        resume();
        QFile(m_flag).open(QIODevice::WriteOnly);
        m_released = false;
        m_watchdog = std::thread([this, limitMs, flag = m_flag.toStdString()] {
            std::unique_lock lock(m_mutex);
            m_wake.wait_for(lock, std::chrono::milliseconds(limitMs), [this] { return m_released; });
            ::unlink(flag.c_str());
        });
    }
    void resume()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_released = true;
        }
        m_wake.notify_all();
        if (m_watchdog.joinable())
            m_watchdog.join();
        QFile::remove(m_flag);
    }

private:
    bool isMounted() const
    {
        QFile mounts(QStringLiteral("/proc/self/mounts"));
        return mounts.open(QIODevice::ReadOnly) && mounts.readAll().contains(" " + m_mountPoint.toLocal8Bit() + " fuse");
    }

    QTemporaryDir m_dir;
    QString m_mountPoint;
    QString m_flag;
    QProcess m_daemon;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_released = true;
    std::thread m_watchdog;
};
