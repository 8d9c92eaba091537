// The salvo messages: the salvo events (0xEB) with each salvo's key, and the salvo execute (0xEA).

#include "protocol/Messages.h"

#include "codec/MessageReader.h"
#include "protocol/TcpComm.h"
#include "state/Panel.h"

namespace {

constexpr int SalvoExecuteTag = 0x64;
// Each event of a salvo record takes this many bytes; the panel skips them unread.
constexpr qsizetype EventSize = 13;

} // namespace

QByteArray SalvoExecuteMessage(int salvo)
{
    return MessageBuilder(Cmd::SalvoExecute).byte(SalvoExecuteTag).int14(salvo).finish();
}

void SendSalvoExecute(Panel& panel, int salvo)
{
    if (salvo >= 0 && salvo <= MaxInt14)
        SendToSwitcher(panel, SalvoExecuteMessage(salvo));
}

void ReceiveSalvoEvents(Panel& panel, const QByteArray& message)
{
    if (!IsSevenBitMessage(message))
        return;
    MessageReader in(message);
    in.skip(1);
    const int salvos = in.int14();
    in.skip(2);
    if (!in.ok())
        return;
    PanelState& s = panel.s;
    s.NumSalvos = salvos;
    if (salvos != 0)
        s.SalvoKeys.assign(static_cast<std::size_t>(salvos), 0);
    else
        s.SalvoAlphaList.assign(1, QStringLiteral("No Salvos"));

    // Records are walked by their event counts; the events themselves are skipped unread, so the
    // last record's may run past the end. A key is never taken from the checksum and the end
    // byte: a record whose key does not lie before them ends the walk quietly, the keys stored so
    // far stay, and the salvos' bit stays set so that they are asked for again.
    for (int i = 0; i < salvos; ++i) {
        const int key = in.int14();
        if (!in.ok())
            return;
        s.SalvoKeys[static_cast<std::size_t>(i)] = key;
        in.skip(EventSize * in.int14());
    }
    s.PendingTables &= ~Tables::Salvos;
}
