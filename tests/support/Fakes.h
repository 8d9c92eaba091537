#pragma once

#include "state/Panel.h"

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <functional>
#include <tuple>
#include <type_traits>
#include <map>

// Records what the logic shows, as the main window would hold it.
class RecordingView final : public PanelView {
public:
    int windowOrder = 0;
    QStringList windowOrderLog;  // every order set, in sequence
    QStringList sourceItems;
    int sourceIndex = -1;
    QString sourceText;          // shown by setSourceText while no entry is selected
    bool sourceBoxEnabled = false;
    QStringList outputItems;
    int outputIndex = -1;
    QString status1 = QStringLiteral("Not Specified");
    QString status2 = QStringLiteral("NF");
    std::map<MenuCommand, bool> menuEnabled;
    std::map<MenuCommand, QString> menuCaption;
    int closeAllCount = 0;

    void setWindowOrder(int order) override;
    void clearSourceBox() override { sourceItems.clear(); sourceIndex = -1; sourceText.clear(); }
    void addSourceItem(const QString& text) override { sourceItems << text; }
    void setSourceIndex(int index) override { sourceIndex = index; sourceText.clear(); }
    int sourceCount() const override { return static_cast<int>(sourceItems.size()); }
    void addSourceItems(const QStringList& texts) override { sourceItems << texts; }
    void setSourceBoxFrozen(bool frozen) override { sourceBoxFrozen = frozen; }
    void setSalvoTimerEnabled(bool enabled) override { salvoTimerEnabled = enabled; }
    bool sourceBoxFrozen = false;
    bool salvoTimerEnabled = false;
    void setSourceText(const QString& text) override { sourceText = text; sourceIndex = -1; }
    void setSourceBoxEnabled(bool enabled) override { sourceBoxEnabled = enabled; }
    void clearOutputSelect() override { outputItems.clear(); outputIndex = -1; }
    void addOutputSelectItem(const QString& text) override { outputItems << text; }
    void setOutputSelectIndex(int index) override { outputIndex = index; }
    void setStatusText(int panel, const QString& text) override { (panel == 1 ? status1 : status2) = text; }
    void setMenuEnabled(MenuCommand c, bool enabled) override { menuEnabled[c] = enabled; }
    void setMenuCaption(MenuCommand c, const QString& caption) override { menuCaption[c] = caption; }
    void closeAllWindows() override { ++closeAllCount; }
};

// Answers message boxes and dialogs from a script and records every one asked, with the
// window order at that moment. By default each is answered inside the call; with hold set they
// stay open (as an operator would leave them) until the test answers them.
class ScriptedPrompts final : public Prompts {
public:
    struct Asked {
        QString what;   // message title, or "dialog:<n>"
        QString text;   // message text, or the Tag passed in
        int windowOrder;
        MsgIcon icon = MsgIcon::None;  // of a message
    };
    explicit ScriptedPrompts(RecordingView& view) : m_view(view) {}

    std::vector<Asked> asked;
    std::vector<MsgResult> answers;                                 // consumed in order; Ok when empty
    std::function<QString(Dialog, const QString&)> dialogHandler;  // returns the closing Tag
    std::function<int()> windowOrderNow;  // the order to record, when not the view's (a real window)

    bool hold = false;
    // Answers the oldest window held open (as the script says); false when none is.
    bool answerOldest();

    void closeDialog(Dialog dialog) override { closed.push_back(dialog); }
    std::vector<Dialog> closed;
    bool helpViewerAvailable = true;  // what openHelp answers
    bool openHelp() override { return helpViewerAvailable; }
    QString helpPage() const override { return QStringLiteral("/opt/tova/help/index.html"); }

    QStringList titles() const;

protected:
    void showMessage(const QString& text, const QString& title, MsgIcon icon, MsgButtons buttons,
                     Answered done) override;
    void openDialog(Dialog dialog, const QString& tag, Closed done) override;

private:
    struct Held {
        QString what;
        std::function<void()> answer;
    };
    void answerOrHold(const QString& what, std::function<void()> answer);

    RecordingView& m_view;
    std::vector<Held> m_held;
};

class FixedClock final : public Clock {
public:
    QDateTime time = QDateTime(QDate(2009, 10, 23), QTime(15, 45, 12));
    QDateTime now() const override { return time; }
};

// Runs each job inside the call, or with hold set keeps them (a share that stopped answering)
// until the test finishes or times them out.
class ManualWorker final : public Worker {
public:
    bool hold = false;
    int posted = 0;
    int timeoutMs = 0;  // of the last job posted
    void post(std::function<void()> job, std::function<void(bool)> done, int timeoutMs) override;
    int heldCount() const { return static_cast<int>(m_held.size()); }
    // Runs the held jobs in order, each followed by its done.
    void finishAll();
    // The held jobs with a time-out time out: done(false), and the job never runs.
    void expireAll();

private:
    struct Held {
        std::function<void()> job;
        std::function<void(bool)> done;
        int timeoutMs;
    };
    std::vector<Held> m_held;
};

class FakeServer final : public Server {
public:
    int connects = 0;
    int disconnects = 0;
    int reads = 0;
    bool filesReadable = true;
    void ConnectSocket() override { ++connects; }
    void DisconnectSocket() override { ++disconnects; }
    void SendCrosspointChange(int destination, int source) override { takes.push_back({destination, source}); }
    void SendSalvoExecute(int salvo) override { salvos.push_back(salvo); }
    std::vector<std::pair<int, int>> takes;  // (destination, source), in order
    std::vector<int> salvos;
    std::function<void(bool)> heldRead;  // with holdReads: the read's answer, for the test to give
    bool holdReads = false;
    void ReadNetworkFiles(std::function<void(bool)> then) override
    {
        ++reads;
        holdReads ? void(heldRead = std::move(then)) : then(filesReadable);
    }
    void PollCycle() override {}
    int pollInterval = 100;  // tmrFileCheck
    bool pollEnabled = true;
    void setPollInterval(int ms) override { pollInterval = ms; }
    void setPollEnabled(bool enabled) override { pollEnabled = enabled; }
};

// Records what the logic sends and does to the socket; the test plays the peer.
class RecordingLink final : public Link {
public:
    bool connected = false;
    bool refuseConnect = false;  // connectToHost fails at once
    int connectCalls = 0;
    int closeCalls = 0;
    QString address;
    int port = 0;
    QList<QByteArray> sent;      // every message written, in order

    bool connectToHost(const QString& a, int p) override
    {
        ++connectCalls;
        address = a;
        port = p;
        return !refuseConnect;
    }
    void close() override { ++closeCalls; connected = false; }
    bool isConnected() const override { return connected; }
    bool write(const QByteArray& bytes) override
    {
        sent << bytes;
        return true;
    }
    std::vector<int> reconnects;  // every automatic reconnect's delay, in order
    bool reconnectPending = false;
    void scheduleReconnect(int ms) override { reconnects.push_back(ms); reconnectPending = true; }
    void cancelReconnect() override { reconnectPending = false; }
    bool decodeTimerEnabled = true;  // tmrDecode
    void setDecodeTimerEnabled(bool enabled) override { decodeTimerEnabled = enabled; }
};

// Runs the event loop until pred holds, waking for each event (a worker's answer, a socket's
// bytes) rather than polling; false after ms milliseconds.
bool WaitUntil(const std::function<bool()>& pred, int ms = 5000);

// Bytes of the network data files: a 16-bit little-endian number, and an extended names file of
// n sources "X0000".. and m destinations "Y0000".., each at its own channel.
QByteArray I16(int v);
QByteArray ExtAlpha(int type, int n, int m);

// File helpers of the test panels.
void WriteTestFile(const QString& path, const QByteArray& bytes);
QByteArray ReadTestFile(const QString& path);
// The error log's lines after its header.
QStringList ErrorLogLines(const QString& appDir);
class QProcess;
// Sends a signal to a started program; nothing when it is not running (a process id of 0 would
// signal the test's own process group: ctest and whatever runs it).
void SignalProcess(const QProcess& process, int number);

// Helpers of the tests that run the real program.
// True once the process has installed its own handler for the signal (SigCgt in /proc).
bool CatchesSignal(qint64 pid, int signal);
// A settings file in TCP/IP mode for the destination "Output" (1-based), server 127.0.0.1:port;
// config and tcpIp: further lines of those sections, "Key=value\r\n" each.
QByteArray TcpIpSettingsFile(int output, quint16 port, const QByteArray& config = {}, const QByteArray& tcpIp = {});
// A settings file in File mode for destination 3, inhibited sources hidden, not topmost.
QByteArray FileModeSettingsFile(const QString& serverPath, int refreshMs = 100, int timeOut = 5);
class QProcessEnvironment;
// The environment of a started program: offscreen, with its own home and no system settings.
QProcessEnvironment ProgramEnvironment(const QString& home);

// A link of the given kind: the real one raises its events on the panel, a recording one needs none.
template <class LinkT>
LinkT MakeLink(Panel& panel)
{
    if constexpr (std::is_constructible_v<LinkT, Panel&>)
        return LinkT(panel);
    else
        return LinkT();
}

// A fresh state and recording ports, with AppDir in a temporary directory. The link is a
// RecordingLink (TestPanel), or the real socket link in the integration tests.
template <class LinkT>
struct BasicTestPanel {
    QTemporaryDir dir;
    PanelState s;
    RecordingView view;
    ScriptedPrompts prompts{view};
    FixedClock clock;
    FakeServer server;
    ManualWorker worker;
    Panel panel{s, view, prompts, clock, server, link, worker};
    LinkT link = MakeLink<LinkT>(panel);

    BasicTestPanel() { s.AppDir = dir.path() + QDir::separator(); }
    QString path(const QString& name) const { return s.AppDir + name; }
    void writeFile(const QString& name, const QByteArray& bytes) const { WriteTestFile(path(name), bytes); }
    QByteArray readFile(const QString& name) const { return ReadTestFile(path(name)); }
    QStringList logLines() const { return ErrorLogLines(s.AppDir); }
};
using TestPanel = BasicTestPanel<RecordingLink>;

// A data table's columns in one statement, and the current row's values of them:
//   Columns<int, QString>("type", "names");   auto [type, names] = Fetch<int, QString>("type", "names");
template <class... T, class... Names>
void Columns(Names... names)
{
    static_assert(sizeof...(T) == sizeof...(Names));
    (QTest::addColumn<T>(names), ...);
}
template <class... T, class... Names>
std::tuple<T...> Fetch(Names... names)
{
    static_assert(sizeof...(T) == sizeof...(Names));
    return {*static_cast<T*>(QTest::qData(names, qMetaTypeId<T>()))...};
}

// "a|b|c" as a list of texts; "" is no text at all.
QStringList Split(const QString& texts);
// A dialog as ScriptedPrompts records it: "dialog:<n>".
QString DialogName(Dialog dialog);

// A TCP/IP panel with every table loaded, controlling destination 4 ("Studio A", sorted last of
// eight destinations "Dest n" at channel n - 1). Sources come in display order with their
// channels; types 1301/1351 add the OFF source "- OFF -" after them.
struct LoadedPanel : TestPanel {
    explicit LoadedPanel(int type = 0, const QStringList& names = Split(QStringLiteral("Aux|Mic|Tape")),
                         QList<int> channels = {2, 0, 1}, const QString& displayList = QStringLiteral("111"));
};

Q_DECLARE_METATYPE(MsgResult)
