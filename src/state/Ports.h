#pragma once

// The small interfaces through which the panel's logic reaches the outside world.
// The application implements them with Qt; tests implement them with recorders and scripts.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QSet>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <set>

// Commands of the main window's menu bar.
enum class MenuCommand { Setup, Password, DisplayList, SalvoMode, Connect, Exit, Contents, About };

// What the main window shows and the timers it owns.
class PanelView {
public:
    virtual ~PanelView() = default;

    // TopMost (-1) or NotTopMost (-2); position and size stay as they are.
    virtual void setWindowOrder(int order) = 0;

    // cmboSourceSelect.
    virtual void clearSourceBox() = 0;
    virtual void addSourceItem(const QString& text) = 0;
    virtual void setSourceIndex(int index) = 0;
    // Number of entries the box holds.
    virtual int sourceCount() const = 0;
    // Adds many entries at once (a router can have thousands of sources).
    virtual void addSourceItems(const QStringList& texts) = 0;
    // While frozen the box is not redrawn, so a rebuild shows only its result.
    virtual void setSourceBoxFrozen(bool frozen) = 0;
    // tmrSalvoMsg: ends the salvo result message the box shows, after one interval (1000 ms).
    virtual void setSalvoTimerEnabled(bool enabled) = 0;
    // Shows a text that is none of the box's entries (a destination feeding the controlled one);
    // no entry is selected meanwhile.
    virtual void setSourceText(const QString& text) = 0;
    virtual void setSourceBoxEnabled(bool enabled) = 0;

    // The setup dialog's destination box cmboOutputSelect.
    virtual void clearOutputSelect() = 0;
    virtual void addOutputSelectItem(const QString& text) = 0;
    virtual void setOutputSelectIndex(int index) = 0;

    // StatusBar1: panel 1 (destination) or panel 2 (connection state).
    virtual void setStatusText(int panel, const QString& text) = 0;

    virtual void setMenuEnabled(MenuCommand command, bool enabled) = 0;
    virtual void setMenuCaption(MenuCommand command, const QString& caption) = 0;

    // Closes every window of the program, the main window last.
    virtual void closeAllWindows() = 0;
};

enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgButtons { Ok, OkCancel, YesNo };
enum class MsgResult { Ok, Cancel, Yes, No };

// The modal dialogs of the panel.
enum class Dialog { Login, Setup, Password, About, DisplayList, ServerPassword };
// Tags an opener gives a dialog: the setup dialog fills itself from the settings ("Initial"); the
// login takes a first user name and password ("new").
inline const QString InitialTag = QStringLiteral("Initial");
inline const QString NewLoginTag = QStringLiteral("new");

// Message boxes and dialogs, answered by the operator or by a test. Nothing here waits for the
// answer: each call shows its window and returns at once, and what follows the answer runs in
// the continuation when the answer comes, so that the link, the timers and the poll go on while a
// window is open. A continuation never runs once shut-down has begun.
class Prompts {
public:
    using Answered = std::function<void(MsgResult)>;
    using Closed = std::function<void(const QString& tag)>;

    virtual ~Prompts() = default;

    // Shows a message box. Lines of text are separated by "\r", as the panel's messages have always
    // been written. A box with the same title and text that is still open is not shown twice: the
    // second call does nothing and its continuation never runs.
    void message(const QString& text, const QString& title, MsgIcon icon, MsgButtons buttons,
                 Answered then = {});
    // Shows a dialog with the given Tag; then runs with the Tag it closed with. A dialog that is
    // already open is not opened again: the second call does nothing.
    void showDialog(Dialog dialog, const QString& tag, Closed then = {});
    // Shut-down has begun: no continuation runs any more and nothing new is shown.
    void endAll() { m_ended = true; }

    // Closes a dialog that is open (as if cancelled without its own action); nothing otherwise.
    virtual void closeDialog(Dialog dialog) = 0;
    // Opens the panel's help page in the platform's viewer without waiting for it; false when no
    // viewer could be started.
    virtual bool openHelp() = 0;
    // Where the help page lies, for a message when it cannot be opened.
    virtual QString helpPage() const = 0;

protected:
    // Show the window and return at once; call done exactly once when it has closed (and never
    // after shut-down).
    virtual void showMessage(const QString& text, const QString& title, MsgIcon icon, MsgButtons buttons,
                             Answered done) = 0;
    virtual void openDialog(Dialog dialog, const QString& tag, Closed done) = 0;

private:
    QSet<QString> m_openMessages;  // title + "\n" + text of every box on screen
    std::set<Dialog> m_openDialogs;
    bool m_ended = false;
};

// Local time, for the error log.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

// The TCP client socket to the Server Module. Its events (connected, connect failed, data
// arrived, closed by the peer) come back in as calls of the link's event operations.
class Link {
public:
    virtual ~Link() = default;
    // Starts a non-blocking connect; false when it cannot even be started (for example a bad
    // address), in which case no event follows.
    virtual bool connectToHost(const QString& address, int port) = 0;
    // Closes or abandons the connection at once; no event follows.
    virtual void close() = 0;
    virtual bool isConnected() const = 0;
    // Queues the whole message; it reaches the peer whole, once and in order. False when the
    // socket refused it.
    virtual bool write(const QByteArray& bytes) = 0;
    // After the delay, once, raises scktServer_ReconnectDue; a new call replaces a pending one.
    virtual void scheduleReconnect(int milliseconds) = 0;
    virtual void cancelReconnect() = 0;
    // tmrDecode: calls tmrDecode_Timer every DecodeInterval while enabled.
    virtual void setDecodeTimerEnabled(bool enabled) = 0;
};

// Work that may block on the outside world for minutes (a network share that stopped answering)
// runs here, off the GUI thread: one job at a time, in the order posted.
class Worker {
public:
    virtual ~Worker() = default;
    // Runs job off the GUI thread, then done(true) on the GUI thread. With a time-out in
    // milliseconds (0: none), done(false) runs instead when the job has not finished in time, and
    // a job that has not started by then never runs. job works only on what it captured, never on
    // the panel's state.
    virtual void post(std::function<void()> job, std::function<void(bool finished)> done, int timeoutMs = 0) = 0;
};

// How long a command file's write, or a look at the server directory, may take before it counts as
// failed (ms).
inline constexpr int ServerFileTimeout = 2000;

// Runs job on the worker and hands its result to done on the GUI thread; nothing when it timed out.
template <class Result, class Job, class Done>
void RunOffThread(Worker& worker, Job job, Done done, int timeoutMs = 0)
{
    auto result = std::make_shared<std::optional<Result>>();
    worker.post([result, job = std::move(job)]() mutable { result->emplace(job()); },
                [result, done = std::move(done)](bool finished) mutable {
                    done(finished && result->has_value() ? std::move(*result) : std::optional<Result>());
                },
                timeoutMs);
}

// The router's server software as the panel core uses it: the TCP/IP link and the File-mode readers.
class Server {
public:
    virtual ~Server() = default;
    virtual void ConnectSocket() = 0;
    virtual void DisconnectSocket() = 0;
    // A take and a salvo run, in whichever way the mode sends them.
    virtual void SendCrosspointChange(int destination, int source) = 0;
    virtual void SendSalvoExecute(int salvo) = 0;
    // Reads the network data files once; then(true) when they were read and the display rebuilt.
    virtual void ReadNetworkFiles(std::function<void(bool read)> then) = 0;
    // One tick of tmrFileCheck: the link poll in TCP/IP mode, the file poll in File mode.
    virtual void PollCycle() = 0;
    // tmrFileCheck: File-mode poll (RefreshRate ms) or TCP/IP link poll (PollRate s).
    virtual void setPollInterval(int milliseconds) = 0;
    virtual void setPollEnabled(bool enabled) = 0;
};
