#pragma once

#include "codec/ByteManipulation.h"

#include <QByteArray>

#include <cstdint>

// Reads a received framed message front to back, from the byte after the command byte up to the
// checksum. Every read is checked: one that would go past the data (into the checksum and 0xFF,
// or beyond) yields 0, reads nothing and clears ok() for good, so a handler reads what it needs
// and looks at ok() once, instead of checking each length by hand.
class MessageReader {
public:
    // A frame is at least its command byte, its checksum and 0xFF; anything shorter has no data
    // and reads nothing.
    explicit MessageReader(const QByteArray& message)
        : m_message(message), m_end(message.size() >= 3 ? message.size() - 2 : 1), m_ok(message.size() >= 3)
    {
    }

    std::uint8_t byte()
    {
        if (!take(1))
            return 0;
        return static_cast<std::uint8_t>(m_message[m_pos - 1]);
    }
    // Two 7-bit groups, low group first.
    int int14()
    {
        if (!take(2))
            return 0;
        return BytesToInteger(static_cast<std::uint8_t>(m_message[m_pos - 2]), static_cast<std::uint8_t>(m_message[m_pos - 1]));
    }
    QByteArray bytes(qsizetype n)
    {
        if (!take(n))
            return {};
        return m_message.mid(m_pos - n, n);
    }
    void skip(qsizetype n) { take(n); }

    bool ok() const { return m_ok; }
    // Data bytes not read yet.
    qsizetype remaining() const { return m_ok ? m_end - m_pos : 0; }
    // Every data byte read, none past the end: the message is exactly as long as what was read.
    bool atEnd() const { return m_ok && m_pos == m_end; }

private:
    bool take(qsizetype n)
    {
        if (!m_ok || n < 0 || n > m_end - m_pos) {
            m_ok = false;
            return false;
        }
        m_pos += n;
        return true;
    }

    const QByteArray& m_message;
    qsizetype m_pos = 1;  // after the command byte
    qsizetype m_end;      // the checksum's position
    bool m_ok;
};
