#include "protocol/TcpComm.h"

#include "core/Display.h"
#include "core/Salvo.h"
#include "codec/ByteManipulation.h"
#include "protocol/Dispatcher.h"
#include "protocol/Messages.h"
#include "state/Panel.h"
#include "storage/ErrorLog.h"

#include <algorithm>

namespace {

// The buffer starts a framed message whose end has not arrived yet: nothing to decode.
bool HoldsOnlyIncompleteMessage(const QByteArray& buffer)
{
    return !buffer.isEmpty() && !IsSingleByteMessage(ByteAt(buffer, 0)) && FindEOM(buffer) == 0;
}

const QString ConnectCaption = QStringLiteral("&Connect");
const QString DisconnectCaption = QStringLiteral("&Disconnect");
const QString NoSystemName = QStringLiteral("NoSystem");

// The runtime's number for running out of memory, used when the receive buffer is full.
constexpr int OutOfMemory = 7;

void showConnectFailure(Panel& panel)
{
    panel.prompts.message(QStringLiteral("Unable to connect to remote host"),
                          QStringLiteral("Tova Vantrel"), MsgIcon::None, MsgButtons::Ok);
}

void closePasswordPrompt(Panel& panel)
{
    if (panel.s.SwitcherPasswordShown)
        panel.prompts.closeDialog(Dialog::ServerPassword);
}

// The link was lost (closed by the peer, or silent past the time-out): with "Auto Reconnect" the
// panel connects again by itself after a delay that doubles with each attempt, up to 30 s, until
// it is connected or the operator disconnects.
void ReconnectLater(Panel& panel)
{
    PanelState& s = panel.s;
    if (!s.AutoReconnect || !s.TcpIpMode)
        return;
    panel.link.scheduleReconnect(s.ReconnectDelay);
    s.ReconnectDelay = std::min(s.ReconnectDelay * 2, MaxReconnectDelay);
}

void StartConnect(Panel& panel, bool automatic)
{
    PanelState& s = panel.s;
    panel.link.cancelReconnect();
    if (s.IpAddress.isEmpty() || s.IpAddress == QStringLiteral("0.0.0.0"))
        return;
    s.ReconnectAttempt = automatic;
    if (!panel.link.connectToHost(s.IpAddress, s.IpPort)) {
        panel.link.close();
        if (!automatic)
            showConnectFailure(panel);
        ReconnectLater(panel);
    }
}

// Puts the panel into the "no connection" state after the link has gone.
void resetLinkState(Panel& panel)
{
    PanelState& s = panel.s;
    s.Connected = false;
    s.PendingTables = Tables::All;
    s.PanelPopulated = false;
    s.PollMissCount = 0;
    SetSystemState(panel, false);
    panel.view.setMenuCaption(MenuCommand::Connect, ConnectCaption);
}

} // namespace

void ConnectSocket(Panel& panel)
{
    StartConnect(panel, false);
}

void DisconnectSocket(Panel& panel)
{
    // Disconnecting ends automatic reconnects too; a lost link starts them afresh.
    panel.link.cancelReconnect();
    panel.s.ReconnectDelay = FirstReconnectDelay;
    // The state also counts: a link that died without an event must still be reset here.
    if (panel.link.isConnected() || panel.s.Connected)
        resetLinkState(panel);
    panel.link.close();
    // Bytes of a finished connection mean nothing to the next one.
    panel.s.RxBuffer.clear();
    closePasswordPrompt(panel);
}

void SendToSwitcher(Panel& panel, const QByteArray& message)
{
    if (!panel.link.isConnected()) {
        DisconnectSocket(panel);
        return;
    }
    // The link queues the whole message; a refused write drops it and the poll time-out ends
    // a dead link.
    panel.link.write(message);
}

void SetSystemState(Panel& panel, bool present)
{
    PanelState& s = panel.s;
    s.SystemOnline = present;
    if (present) {
        SendInfoRequest(panel, Tables::All);
        s.SystemReady = true;
        return;
    }

    s.OutputListIndex = 0;
    s.SourceListIndex = 0;
    s.InputAlphaList.assign(1, NoSystemName);
    s.OutputAlphaList.assign(1, NoSystemName);

    const bool wasUpdating = s.Updating;
    s.Updating = true;
    panel.view.clearSourceBox();
    panel.view.addSourceItem(QStringLiteral("No System"));
    panel.view.setSourceIndex(0);
    s.Updating = wasUpdating;

    panel.view.setStatusText(1, QStringLiteral("Not Connected"));
    s.SystemReady = false;
    s.PanelPopulated = false;
    s.SystemOnline = false;
    s.PendingTables = Tables::All;
}

void scktServer_Connect(Panel& panel)
{
    PanelState& s = panel.s;
    s.Connected = true;
    panel.view.setMenuCaption(MenuCommand::Connect, DisconnectCaption);
    s.PollMissCount = 0;
    s.RequestRetryTicks = 0;
    s.RxBuffer.clear();
    s.ReconnectDelay = FirstReconnectDelay;
    s.ReconnectAttempt = false;
}

void scktServer_ConnectFailed(Panel& panel)
{
    panel.link.close();
    // An attempt of the panel's own is retried without a word: nobody asked for it.
    if (!panel.s.ReconnectAttempt)
        showConnectFailure(panel);
    ReconnectLater(panel);
}

void scktServer_Close(Panel& panel)
{
    panel.link.close();
    resetLinkState(panel);
    panel.s.RxBuffer.clear();
    closePasswordPrompt(panel);
    ReconnectLater(panel);
}

void scktServer_ReconnectDue(Panel& panel)
{
    const PanelState& s = panel.s;
    if (s.AutoReconnect && s.TcpIpMode && !s.Connected)
        StartConnect(panel, true);
}

void scktServer_DataArrival(Panel& panel, const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return;
    QByteArray& buffer = panel.s.RxBuffer;
    if (buffer.size() + bytes.size() > MaxRxBuffer) {
        // A peer that never completes its message: give up what is buffered and resynchronise
        // on the newest bytes.
        LogError(panel.s, panel.clock, QStringLiteral("Error Receiving IP Message"),
                 QStringLiteral("IP Error"), {OutOfMemory, QStringLiteral("Receive buffer full")});
        buffer = bytes.size() > MaxRxBuffer ? bytes.right(MaxRxBuffer) : bytes;
    } else {
        buffer.append(bytes);
    }
    panel.link.setDecodeTimerEnabled(true);
    ProcessCommand(panel);
}

void tmrDecode_Timer(Panel& panel)
{
    if (panel.s.RxBuffer.isEmpty()) {
        panel.link.setDecodeTimerEnabled(false);
        return;
    }
    ProcessCommand(panel);
    // A buffer that holds only the start of a framed message cannot be decoded until more bytes
    // arrive, and their arrival starts the timer again: stop instead of scanning it every
    // millisecond.
    if (HoldsOnlyIncompleteMessage(panel.s.RxBuffer))
        panel.link.setDecodeTimerEnabled(false);
}

bool WantsMoreBytes(const PanelState& s)
{
    return s.RxBuffer.size() < RxBacklogLimit || HoldsOnlyIncompleteMessage(s.RxBuffer);
}

void PollTick(Panel& panel)
{
    PanelState& s = panel.s;

    if (s.PendingTables == 0 && !s.PanelPopulated) {
        s.Updating = true;
        s.PanelPopulated = true;
        if (s.SalvoMode)
            DisplayFirstSalvo(panel);
        else
            UpdateAlphaData(panel);
        panel.view.setStatusText(2, QStringLiteral("OK"));
        panel.view.setSourceBoxEnabled(true);
        s.Updating = false;
    }

    if (s.PendingTables > 0) {
        if (s.RequestRetryTicks > RequestRetryLimit) {
            if (s.Connected)
                SendInfoRequest(panel, s.PendingTables);
            s.RequestRetryTicks = 0;
        } else {
            ++s.RequestRetryTicks;
        }
    }

    if (s.PollMissCount > s.IpTimeOut) {
        const bool wasConnected = s.Connected;
        DisconnectSocket(panel);
        s.PollMissCount = 0;
        if (wasConnected)
            ReconnectLater(panel);
        return;
    }
    ++s.PollMissCount;
    if (s.Connected)
        SendToSwitcher(panel, QByteArray(1, static_cast<char>(Cmd::Poll)));
}
