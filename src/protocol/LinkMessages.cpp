// The link's own messages: the type request and reply (0x81), the info request (0xF2) and the
// password request that shares its frame, the password (0x80) and the version (0xE5).

#include "protocol/Messages.h"

#include "codec/MessageReader.h"
#include "core/OverPanel.h"
#include "protocol/TcpComm.h"
#include "state/Panel.h"

namespace {

constexpr int TypeRequestTag = 0x64;
constexpr int VersionTag = 0x01;

} // namespace

QByteArray TypeReplyMessage()
{
    return MessageBuilder(Cmd::TypeRequest).byte(0x06).byte(0x01).finish();
}

QByteArray PasswordMessage(const QString& password)
{
    // Each character goes as the non-zero bytes of its 16-bit code, low byte first: one byte
    // for ASCII, up to two beyond it.
    QByteArray text;
    for (const QChar c : password) {
        const char16_t code = c.unicode();
        if (code & 0xFF)
            text.append(static_cast<char>(code & 0xFF));
        if (code >> 8)
            text.append(static_cast<char>(code >> 8));
    }
    return MessageBuilder(Cmd::Password).byte(0).byte(static_cast<int>(password.size())).bytes(text).finish();
}

QByteArray InfoRequestMessage(std::int32_t mask)
{
    const auto bits = static_cast<std::uint32_t>(mask);
    MessageBuilder message(Cmd::InfoRequest);
    for (int group = 0; group < 5; ++group)
        message.byte(static_cast<int>(bits >> (7 * group)));
    for (int pad = 0; pad < 5; ++pad)
        message.byte(0);
    return message.finish();
}

void SendInfoRequest(Panel& panel, std::int32_t mask)
{
    if (mask == Tables::PasswordRequest)
        return;
    SendToSwitcher(panel, InfoRequestMessage(mask));
    panel.s.PendingTables = mask;
}

void SendPassword(Panel& panel, const QString& password)
{
    SendToSwitcher(panel, PasswordMessage(password));
}

void ProcessTypeRequest(Panel& panel, const QByteArray& message)
{
    MessageReader in(message);
    const int tag = in.byte();
    if (in.remaining() == 1)
        in.skip(1);  // the longer form's data byte, not used
    if (!in.atEnd() || tag != TypeRequestTag || !ChecksumMatches(message))
        return;
    SendToSwitcher(panel, TypeReplyMessage());
}

void ProcessPasswordRequest(Panel& panel, const QByteArray& message)
{
    MessageReader in(message);
    const int mask = in.byte();
    in.skip(9);  // the rest of the info request's frame, not examined
    if (!in.atEnd() || mask != Tables::PasswordRequest)
        return;
    PanelState& s = panel.s;
    if (!s.IpPassword.isEmpty()) {
        SendPassword(panel, s.IpPassword);
        return;
    }
    // The prompt that is already open answers this request too.
    if (s.SwitcherPasswordShown)
        return;
    // The prompt opens without waiting: the link goes on reading, polling and answering polls
    // while the operator types.
    OverPanel(panel, [&panel](ChainDone done) {
        panel.prompts.showDialog(Dialog::ServerPassword, QString(), [done](const QString&) { done(); });
    });
}

void ProcessVersion(Panel& panel, const QByteArray& message)
{
    MessageReader in(message);
    const int tag = in.byte();
    in.skip(2);
    const int type = in.int14();
    in.skip(2);
    if (!in.atEnd() || tag != VersionTag || !ChecksumMatches(message))
        return;
    panel.s.SystemType = type;
}
