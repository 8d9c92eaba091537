#pragma once

// The small interfaces through which the panel's logic reaches the outside world.
// The application implements them with Qt; tests implement them with recorders and scripts.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

// Commands of the main window's menu bar.
enum class MenuCommand { Setup, Password, DisplayList, SalvoMode, Connect, Exit, Contents, About };

// What the main window shows and the timers it owns.
class PanelView {
public:
    virtual ~PanelView() = default;

    // TopMost (-1) or NotTopMost (-2); position and size stay as they are.
    virtual void setWindowOrder(int order) = 0;

    // tmrFileCheck: File-mode poll or TCP/IP link poll.
    virtual void setFileCheckInterval(int milliseconds) = 0;
    virtual void setFileCheckEnabled(bool enabled) = 0;
    // tmrDecode: drains RxBuffer one message per tick while it holds bytes.
    virtual void setDecodeTimerEnabled(bool enabled) = 0;

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
    // tmrSalvoMsg: ends the salvo result message after one interval (1000 ms).
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

// Message boxes and modal dialogs, answered by the operator or by a test.
class Prompts {
public:
    virtual ~Prompts() = default;
    // Lines of text are separated by "\r", as the panel's messages have always been written.
    virtual MsgResult message(const QString& text, const QString& title, MsgIcon icon,
                              MsgButtons buttons) = 0;
    // Shows a dialog modally with the given Tag and returns the Tag it closed with.
    virtual QString showDialog(Dialog dialog, const QString& tag) = 0;
    // Closes a dialog that is open (as if cancelled without its own action); nothing otherwise.
    virtual void closeDialog(Dialog dialog) = 0;
    // Opens the panel's help page in the platform's viewer without waiting for it; false when no
    // viewer could be started.
    virtual bool openHelp() = 0;
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
};

// The router's server software as the panel core uses it: the TCP/IP link and the File-mode readers.
class Server {
public:
    virtual ~Server() = default;
    virtual void ConnectSocket() = 0;
    virtual void DisconnectSocket() = 0;
    // A take and a salvo run, in whichever way the mode sends them.
    virtual void SendCrosspointChange(int destination, int source) = 0;
    virtual void SendSalvoExecute(int salvo) = 0;
    // Reads the network data files once; true when they were read and the display rebuilt.
    virtual bool ReadNetworkFiles() = 0;
    // One tick of tmrFileCheck: the link poll in TCP/IP mode, the file poll in File mode.
    virtual void PollCycle() = 0;
};
