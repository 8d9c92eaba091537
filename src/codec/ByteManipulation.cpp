#include "codec/ByteManipulation.h"

int BytesToInteger(std::uint8_t low, std::uint8_t high)
{
    return high * 128 + low;
}

int SplitFlagByte(std::uint8_t& byte)
{
    const int flag = (byte & 0x40) ? 1 : 0;
    byte &= 63;
    return flag;
}

int CheckSum(const QByteArray& message, int skip)
{
    int sum = 0;
    const qsizetype last = message.size() - 1 - skip;
    for (qsizetype i = 1; i <= last; ++i)
        sum = (sum + static_cast<std::uint8_t>(message[i])) & 127;
    return sum;
}

int FindEOM(const QByteArray& buffer)
{
    const qsizetype at = buffer.indexOf(static_cast<char>(Cmd::EndOfMessage));
    return at < 0 ? 0 : static_cast<int>(at + 1);
}

QByteArray TrimBuffer(QByteArray& buffer, qsizetype count)
{
    if (count <= 0)
        return {};
    if (count >= buffer.size()) {
        QByteArray all;
        all.swap(buffer);
        return all;
    }
    QByteArray head = buffer.left(count);
    buffer.remove(0, count);
    return head;
}

bool ChecksumMatches(const QByteArray& message)
{
    return message.size() >= 2 && CheckSum(message, 2) == ByteAt(message, message.size() - 2);
}

bool IsSevenBitMessage(const QByteArray& message)
{
    if (!ChecksumMatches(message))
        return false;
    for (qsizetype i = 1; i < message.size() - 1; ++i)
        if (ByteAt(message, i) & 0x80)
            return false;
    return true;
}

bool IsSingleByteMessage(std::uint8_t command)
{
    return command == Cmd::Poll || command == Cmd::PollPresent || command == Cmd::PollAbsent
        || command == Cmd::Ignored;
}

namespace {

// Index of the first byte with the high bit set in [from, to), or -1.
qsizetype firstCommandByte(const QByteArray& buffer, qsizetype from, qsizetype to)
{
    for (qsizetype i = from; i < to; ++i)
        if (static_cast<std::uint8_t>(buffer[i]) & 0x80)
            return i;
    return -1;
}

} // namespace

QByteArray CutMessage(QByteArray& buffer)
{
    const qsizetype start = firstCommandByte(buffer, 0, buffer.size());
    if (start < 0) {
        buffer.clear();
        return {};
    }
    buffer.remove(0, start);

    // The candidate command byte is at `at`; the end of its frame is looked up once, since a
    // broken frame leaves the same 0xFF as the end of the next candidate. This keeps a long run
    // of command bytes linear.
    qsizetype at = 0;
    qsizetype end = -1;
    for (;;) {
        if (IsSingleByteMessage(ByteAt(buffer, at))) {
            buffer.remove(0, at);
            return TrimBuffer(buffer, 1);
        }
        if (end < 0) {
            end = buffer.indexOf(static_cast<char>(Cmd::EndOfMessage), at);
            if (end < 0)
                return {};  // not complete yet: keep it for the next call
        }
        // A high-bit byte before the 0xFF starts the next candidate message.
        const qsizetype broken = firstCommandByte(buffer, at + 1, end);
        if (broken < 0) {
            buffer.remove(0, at);
            return TrimBuffer(buffer, end - at + 1);
        }
        at = broken;
    }
}
