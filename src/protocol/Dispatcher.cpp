#include "protocol/Dispatcher.h"

#include "codec/ByteManipulation.h"
#include "protocol/Messages.h"
#include "protocol/TcpComm.h"
#include "state/Panel.h"
#include "storage/ErrorLog.h"

#include <exception>

namespace {

// Poll, the two poll answers and 0xF3, which needs nothing.
void handleLinkMessage(Panel& panel, std::uint8_t command)
{
    PanelState& s = panel.s;
    switch (command) {
    case Cmd::Poll:
        SendToSwitcher(panel, QByteArray(1, static_cast<char>(Cmd::PollPresent)));
        break;
    case Cmd::PollPresent:
        s.PollMissCount = 0;
        if (!s.SystemOnline)
            SetSystemState(panel, true);
        break;
    case Cmd::PollAbsent:
        s.PollMissCount = 0;
        if (s.SystemOnline)
            SetSystemState(panel, false);
        break;
    default:
        break;
    }
}

void handleFramedMessage(Panel& panel, const QByteArray& message)
{
    switch (ByteAt(message, 0)) {
    case Cmd::TypeRequest: ProcessTypeRequest(panel, message); break;
    case Cmd::Take: ProcessTake(panel, message); break;
    case Cmd::CrosspointMap: ProcessCrosspointMap(panel, message); break;
    case Cmd::AlphaTable: ProcessAlphaTable(panel, message); break;
    case Cmd::InhibitMap: ProcessInhibitMap(panel, message); break;
    case Cmd::Version: ProcessVersion(panel, message); break;
    case Cmd::SalvoEvents: ReceiveSalvoEvents(panel, message); break;
    case Cmd::InfoRequest: ProcessPasswordRequest(panel, message); break;
    default: break;  // 0xE8, 0xE9 and commands without a handler are consumed unread
    }
}

} // namespace

void ProcessCommand(Panel& panel)
{
    // The message is off the buffer before its handler runs, so a handler that opens a modal
    // prompt (and lets further events run) never sees it twice.
    const QByteArray message = CutMessage(panel.s.RxBuffer);
    if (message.isEmpty())
        return;
    try {
        if (message.size() == 1 && IsSingleByteMessage(ByteAt(message, 0)))
            handleLinkMessage(panel, ByteAt(message, 0));
        else
            handleFramedMessage(panel, message);
    } catch (const std::exception& e) {
        LogError(panel.s, panel.clock, QStringLiteral("Error Processing Command"),
                 QStringLiteral("IP Error"), {0, QString::fromLocal8Bit(e.what())});
    }
}
