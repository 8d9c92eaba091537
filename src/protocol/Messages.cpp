#include "protocol/Messages.h"

#include "codec/ByteManipulation.h"
#include "protocol/TcpComm.h"
#include "state/Panel.h"
#include "storage/ErrorLog.h"

namespace {

constexpr int TypeRequestTag = 0x64;
constexpr int SalvoExecuteTag = 0x64;
constexpr int VersionTag = 0x01;
constexpr int VersionLength = 10;
constexpr int PasswordRequestLength = 13;

// First field of a crosspoint change: an ordinary source, or the panel's own OFF source.
constexpr int SourceField = 1028;
constexpr int OffSourceField = 1024;

// The runtime's number for an argument out of range.
constexpr int InvalidArgument = 5;

bool isInt14(int value)
{
    return value >= 0 && value <= MaxInt14;
}

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
    return MessageBuilder(Cmd::Password)
        .byte(0)
        .byte(static_cast<int>(password.size()))
        .bytes(text)
        .finish();
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

QByteArray CrosspointChangeMessage(int field, int source, int destination)
{
    return MessageBuilder(Cmd::Take).int14(field).int14(source).int14(destination).finish();
}

QByteArray SalvoExecuteMessage(int salvo)
{
    return MessageBuilder(Cmd::SalvoExecute).byte(SalvoExecuteTag).int14(salvo).finish();
}

void SendInfoRequest(Panel& panel, std::int32_t mask)
{
    if (mask == Tables::PasswordRequest)
        return;
    SendToSwitcher(panel, InfoRequestMessage(mask));
    panel.s.PendingTables = mask;
}

void SendCrosspointChange(Panel& panel, int destination, int source)
{
    if (!isInt14(destination) || !isInt14(source)) {
        LogError(panel.s, panel.clock, QStringLiteral("Error Sending Crosspoint Change"),
                 QStringLiteral("Switcher Message Error"),
                 {InvalidArgument, QStringLiteral("Channel out of range")});
        return;
    }
    const bool off = source == panel.s.NumInputs - 1 && HasOffSource(panel.s.SystemType);
    SendToSwitcher(panel, off ? CrosspointChangeMessage(OffSourceField, MaxInt14, destination)
                              : CrosspointChangeMessage(SourceField, source, destination));
}

void SendSalvoExecute(Panel& panel, int salvo)
{
    if (isInt14(salvo))
        SendToSwitcher(panel, SalvoExecuteMessage(salvo));
}

void SendPassword(Panel& panel, const QString& password)
{
    SendToSwitcher(panel, PasswordMessage(password));
}

void ProcessTypeRequest(Panel& panel, const QByteArray& message)
{
    const qsizetype length = message.size();
    if ((length != 4 && length != 5) || !ChecksumMatches(message)
        || ByteAt(message, 1) != TypeRequestTag)
        return;
    SendToSwitcher(panel, TypeReplyMessage());
}

void ProcessPasswordRequest(Panel& panel, const QByteArray& message)
{
    if (message.size() != PasswordRequestLength || ByteAt(message, 1) != Tables::PasswordRequest)
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
    panel.view.setWindowOrder(NotTopMost);
    panel.prompts.showDialog(Dialog::ServerPassword, QString(),
                             [&panel](const QString&) { panel.view.setWindowOrder(panel.s.StayOnTop); });
}

void ProcessVersion(Panel& panel, const QByteArray& message)
{
    if (message.size() != VersionLength || !ChecksumMatches(message)
        || ByteAt(message, 1) != VersionTag)
        return;
    panel.s.SystemType = Int14At(message, 4);
}
