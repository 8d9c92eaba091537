#pragma once

#include <QByteArray>

#include <cstdint>

// The seven-bit byte stream of the Server Module: only command bytes have the high bit set,
// numbers travel as 7-bit groups (low group first), framed messages end with a 7-bit checksum
// and 0xFF.

namespace Cmd {
inline constexpr std::uint8_t Password = 0x80;
inline constexpr std::uint8_t TypeRequest = 0x81;
inline constexpr std::uint8_t Version = 0xE5;
inline constexpr std::uint8_t Ignored8 = 0xE8;
inline constexpr std::uint8_t Ignored9 = 0xE9;
inline constexpr std::uint8_t SalvoExecute = 0xEA;
inline constexpr std::uint8_t SalvoEvents = 0xEB;
inline constexpr std::uint8_t PollAbsent = 0xF1;
inline constexpr std::uint8_t InfoRequest = 0xF2;  // also the password request, with mask 2
inline constexpr std::uint8_t Ignored = 0xF3;
inline constexpr std::uint8_t PollPresent = 0xF4;
inline constexpr std::uint8_t Poll = 0xF5;
inline constexpr std::uint8_t CrosspointMap = 0xF6;
inline constexpr std::uint8_t InhibitMap = 0xF8;
inline constexpr std::uint8_t AlphaTable = 0xFC;
inline constexpr std::uint8_t Take = 0xFE;
inline constexpr std::uint8_t EndOfMessage = 0xFF;
} // namespace Cmd

// Table bits of the info request and of PendingTables.
namespace Tables {
inline constexpr std::int32_t CrosspointMap = 0x80;
inline constexpr std::int32_t SourceNames = 0x100;
inline constexpr std::int32_t DestinationNames = 0x200;
inline constexpr std::int32_t InhibitMap = 0x1000;
inline constexpr std::int32_t Salvos = 0x4000;
inline constexpr std::int32_t All = 0x5380;
inline constexpr std::int32_t PasswordRequest = 2;
} // namespace Tables

// Largest value of a 14-bit number.
inline constexpr int MaxInt14 = 16383;

// System types: the classic 256 x 256 router (2-byte command file), and the systems that route
// "off" as a source of their own, the last one, shown as "- OFF -".
inline constexpr int ClassicSystemType = 1201;
inline bool HasOffSource(int systemType) { return systemType == 1301 || systemType == 1351; }

// high x 128 + low: a 14-bit number as it travels, low group first.
int BytesToInteger(std::uint8_t low, std::uint8_t high);

// Returns bit 6 of the byte (1 or 0) and leaves its bits 0 to 5 in it.
int SplitFlagByte(std::uint8_t& byte);

// Sum modulo 128 of the bytes after the command byte, leaving out the last skip bytes.
int CheckSum(const QByteArray& message, int skip);

// 1-based position of the first 0xFF, 0 when there is none.
int FindEOM(const QByteArray& buffer);

// Removes the first count bytes of buffer and returns them (the whole buffer when it is shorter).
QByteArray TrimBuffer(QByteArray& buffer, qsizetype count);

// The single-byte link messages: poll, the two poll answers and the ignored 0xF3.
bool IsSingleByteMessage(std::uint8_t command);

// Cuts the next message off the front of buffer: bytes that cannot start a message are dropped,
// a single-byte message is returned alone, a framed message whose data holds a high-bit byte is
// abandoned at that byte. Returns an empty array when no complete message is there yet (the rest
// of the buffer is kept for the next call) or the buffer held only noise.
QByteArray CutMessage(QByteArray& buffer);

// True when a received framed message's checksum byte (the one before 0xFF) is right.
bool ChecksumMatches(const QByteArray& message);

// The checksum is right and every byte between the command byte and the 0xFF is a 7-bit data
// byte. The dispatcher never cuts out anything else; a handler called with it drops it, so no
// count or channel number can exceed 14 bits.
bool IsSevenBitMessage(const QByteArray& message);

// Byte i of a message as an unsigned value; 0 outside the message.
inline std::uint8_t ByteAt(const QByteArray& message, qsizetype i)
{
    return i >= 0 && i < message.size() ? static_cast<std::uint8_t>(message[i]) : 0;
}

// 14-bit number at position i (low group first); 0 for bytes outside the message.
inline int Int14At(const QByteArray& message, qsizetype i)
{
    return BytesToInteger(ByteAt(message, i), ByteAt(message, i + 1));
}

// Builds an outbound framed message: command, data, checksum, 0xFF.
class MessageBuilder {
public:
    explicit MessageBuilder(std::uint8_t command) { m_bytes.append(static_cast<char>(command)); }

    // One data byte; only its low 7 bits are sent.
    MessageBuilder& byte(int value)
    {
        m_bytes.append(static_cast<char>(value & 0x7F));
        return *this;
    }
    // A number 0..16383 as two 7-bit groups, low group first.
    MessageBuilder& int14(int value) { return byte(value).byte(value >> 7); }
    // Raw bytes (names), appended as they are; each must be below 0x80 to keep the stream safe.
    MessageBuilder& bytes(const QByteArray& raw)
    {
        m_bytes.append(raw);
        return *this;
    }
    // Appends the checksum and 0xFF and returns the message.
    QByteArray finish() const
    {
        QByteArray out = m_bytes;
        out.append(static_cast<char>(CheckSum(out, 0)));
        out.append(static_cast<char>(Cmd::EndOfMessage));
        return out;
    }

private:
    QByteArray m_bytes;
};
