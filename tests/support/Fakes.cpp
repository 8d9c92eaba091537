#include "support/Fakes.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <csignal>

void RecordingView::setWindowOrder(int order)
{
    windowOrder = order;
    windowOrderLog << QString::number(order);
}

void ScriptedPrompts::showMessage(const QString& text, const QString& title, MsgIcon icon, MsgButtons,
                                  Answered done)
{
    asked.push_back({title, text, windowOrderNow ? windowOrderNow() : m_view.windowOrder, icon});
    answerOrHold(title, [this, done = std::move(done)] {
        MsgResult r = MsgResult::Ok;
        if (!answers.empty()) {
            r = answers.front();
            answers.erase(answers.begin());
        }
        done(r);
    });
}

void ScriptedPrompts::openDialog(Dialog dialog, const QString& tag, Closed done)
{
    const QString what = QStringLiteral("dialog:%1").arg(static_cast<int>(dialog));
    asked.push_back({what, tag, windowOrderNow ? windowOrderNow() : m_view.windowOrder});
    answerOrHold(what, [this, dialog, tag, done = std::move(done)] {
        done(dialogHandler ? dialogHandler(dialog, tag) : tag);
    });
}

void ScriptedPrompts::answerOrHold(const QString& what, std::function<void()> answer)
{
    if (hold)
        m_held.push_back({what, std::move(answer)});
    else
        answer();
}

bool ScriptedPrompts::answerOldest()
{
    if (m_held.empty())
        return false;
    const std::function<void()> answer = std::move(m_held.front().answer);
    m_held.erase(m_held.begin());
    answer();
    return true;
}

void ManualWorker::post(std::function<void()> job, std::function<void(bool)> done, int timeoutMs)
{
    ++posted;
    this->timeoutMs = timeoutMs;
    if (!hold) {
        job();
        done(true);
        return;
    }
    m_held.push_back({std::move(job), std::move(done), timeoutMs});
}

void ManualWorker::finishAll()
{
    std::vector<Held> held = std::move(m_held);
    m_held.clear();
    for (Held& h : held) {
        h.job();
        h.done(true);
    }
}

void ManualWorker::expireAll()
{
    std::vector<Held> kept;
    std::vector<Held> expired;
    for (Held& h : m_held)
        (h.timeoutMs > 0 ? expired : kept).push_back(std::move(h));
    m_held = std::move(kept);
    for (Held& h : expired)
        h.done(false);
}

QStringList ScriptedPrompts::titles() const
{
    QStringList out;
    for (const Asked& a : asked)
        out << a.what;
    return out;
}

void WriteTestFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray ReadTestFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList ErrorLogLines(const QString& appDir)
{
    QStringList lines = QString::fromLatin1(ReadTestFile(appDir + QStringLiteral("Errorlog.txt"))).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines.mid(11);
}

bool CatchesSignal(qint64 pid, int signal)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:")) {
            bool ok = false;
            const qulonglong mask = line.mid(7).trimmed().toULongLong(&ok, 16);
            return ok && (mask & (1ull << (signal - 1)));
        }
    }
    return false;
}

QByteArray TcpIpSettingsFile(int output, quint16 port, const QByteArray& config, const QByteArray& tcpIp)
{
    return "[CONFIG]\r\nOutput=" + QByteArray::number(output) + "\r\nTCP/IP Mode=Yes\r\n" + config + "[TCP/IP]\r\nIP Port="
        + QByteArray::number(port) + "\r\nIP Address=127.0.0.1\r\n" + tcpIp;
}

QByteArray FileModeSettingsFile(const QString& serverPath, int refreshMs, int timeOut)
{
    return "[CONFIG]\r\nOutput=3\r\nTCP/IP Mode=No\r\nHide Inhibits=Yes\r\nStay On Top=No\r\n[FILE]\r\nServer path="
        + serverPath.toLatin1() + "\r\nRefresh Rate=" + QByteArray::number(refreshMs) + "\r\nTime Out="
        + QByteArray::number(timeOut) + "\r\n[TCP/IP]\r\nIP Port=1250\r\n";
}

QProcessEnvironment ProgramEnvironment(const QString& home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    env.insert(QStringLiteral("XDG_CONFIG_DIRS"), home + QStringLiteral("/etc"));
    return env;
}

QByteArray I16(int v)
{
    const char bytes[2] = {static_cast<char>(v & 0xff), static_cast<char>((v >> 8) & 0xff)};
    return QByteArray(bytes, 2);
}

QByteArray ExtAlpha(int type, int n, int m)
{
    const auto names = [](char prefix, int count) {
        QByteArray b;
        for (int p = 0; p < count; ++p)
            b += QStringLiteral("%1%2").arg(QLatin1Char(prefix)).arg(p, 4, 10, QLatin1Char('0')).toLatin1().leftJustified(8, ' ');
        for (int p = 0; p < count; ++p)
            b += I16(p);
        return b;
    };
    return I16(type) + I16(n) + names('X', n) + I16(m) + names('Y', m);
}

bool WaitUntil(const std::function<bool()>& pred, int ms)
{
    const QDeadlineTimer deadline(ms);
    QTimer heartbeat;  // wakes the loop when nothing else does, so the deadline is seen
    heartbeat.start(20);
    while (!pred()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

QStringList Split(const QString& texts)
{
    return texts.isEmpty() ? QStringList() : texts.split(u'|');
}

QString DialogName(Dialog dialog)
{
    return QStringLiteral("dialog:%1").arg(static_cast<int>(dialog));
}

LoadedPanel::LoadedPanel(int type, const QStringList& sourceNames, QList<int> channels, const QString& displayList)
{
    InitVariables(s, server);
    s.TcpIpMode = s.PanelPopulated = true;
    s.PendingTables = 0;
    s.SystemType = type;
    s.OutputControlled = 4;
    s.NumOutputs = 8;
    s.OutputChannelList = {0, 1, 2, 3, 5, 6, 7, 4};
    s.OutputAlphaList.clear();
    for (int channel : s.OutputChannelList)
        s.OutputAlphaList.push_back(channel == 4 ? QStringLiteral("Studio A") : QStringLiteral("Dest %1").arg(channel + 1));
    s.OutputPosition = {0, 1, 2, 3, 7, 4, 5, 6};
    s.OutputStatus.assign(8, OutputStatusRecord{});
    QStringList names = sourceNames;
    if (type == 1301 || type == 1351) {
        channels << static_cast<int>(names.size());
        names << QStringLiteral("- OFF -");
    }
    s.NumInputs = static_cast<int>(names.size());
    s.InputAlphaList.assign(names.begin(), names.end());
    s.InputChannelList.assign(channels.begin(), channels.end());
    s.InputPosition.assign(names.size(), 0);
    for (int p = 0; p < channels.size(); ++p)
        s.InputPosition[static_cast<std::size_t>(channels[p])] = p;
    s.ComboAlphaList.assign(names.size(), QString());
    s.ComboChannelList.assign(names.size(), 0);
    s.resizeInhibitMap(s.NumInputs, s.NumOutputs);
    s.DisplayList = displayList;
}

void SignalProcess(const QProcess& process, int number)
{
    if (const qint64 pid = process.processId(); pid > 0)
        ::kill(static_cast<pid_t>(pid), number);
}
