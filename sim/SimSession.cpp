#include "SimSession.h"

#include "ServerMessages.h"
#include "codec/ByteManipulation.h"

#include <array>

namespace {

QByteArray singleByte(std::uint8_t command)
{
    return QByteArray(1, static_cast<char>(command));
}

// A framed message of the expected length whose checksum is right.
bool wellFormed(const QByteArray& message, qsizetype length)
{
    return message.size() == length && ChecksumMatches(message);
}

// Order of the answers to an info request: the names first, so that the panel knows the sizes
// before the maps arrive.
constexpr std::array<int, 5> TableOrder{Tables::SourceNames, Tables::DestinationNames,
                                        Tables::CrosspointMap, Tables::InhibitMap, Tables::Salvos};

} // namespace

SimSession::SimSession(RouterModel& model, SessionOptions options, SessionCallbacks callbacks)
    : m_model(model)
    , m_options(std::move(options))
    , m_callbacks(std::move(callbacks))
    , m_random(m_options.noiseSeed)
{
}

void SimSession::start()
{
    m_loggedIn = m_options.password.isEmpty();
    if (m_loggedIn)
        open();
    else
        askForPassword();
}

void SimSession::askForPassword()
{
    m_passwordAsked = true;
    send(PasswordRequestMessage());
}

void SimSession::open()
{
    if (m_options.sendTypeRequest)
        send(TypeRequestMessage());
    if (m_options.sendVersion)
        send(VersionMessage(m_model.systemType()));
}

void SimSession::feed(const QByteArray& bytes)
{
    if (m_options.silent || m_closing)
        return;
    m_buffer.append(bytes);
    while (!m_closing) {
        const QByteArray message = CutMessage(m_buffer);
        if (message.isEmpty())
            break;
        handle(message);
    }
    // Whatever is left is the start of one unfinished message; no panel message comes near
    // this size, so the bytes are noise: drop them and resync on the next command byte.
    if (m_buffer.size() > m_options.maxReceiveBuffer) {
        m_buffer.clear();
        m_buffer.squeeze();
        ++m_receiveOverflows;
    }
}

void SimSession::handle(const QByteArray& message)
{
    ++m_messagesReceived;
    if (m_callbacks.trace)
        m_callbacks.trace(false, message);

    const std::uint8_t command = ByteAt(message, 0);
    if (!m_loggedIn) {
        // Locked: every poll is answered, the switcher reported absent, so that the link stays
        // up while an operator types the password and no table is asked for before the login.
        // A poll also brings the question for the password, unless it is still waiting for its
        // answer (a panel whose operator is typing must not be asked twice).
        switch (command) {
        case Cmd::Poll:
            send(singleByte(Cmd::PollAbsent));
            if (!m_passwordAsked)
                askForPassword();
            break;
        case Cmd::PollPresent: ++m_pollAnswersReceived; break;
        case Cmd::Password: handlePassword(message); break;
        default: break;
        }
    } else {
        switch (command) {
        case Cmd::Poll: handlePoll(); break;
        case Cmd::PollPresent: ++m_pollAnswersReceived; break;
        case Cmd::InfoRequest: handleInfoRequest(message); break;
        case Cmd::Take: handleCrosspointChange(message); break;
        case Cmd::SalvoExecute: handleSalvoExecute(message); break;
        case Cmd::Password: handlePassword(message); break;
        case Cmd::TypeRequest: handleTypeReply(message); break;
        default: break;  // not a panel message; ignored
        }
    }

    if (m_options.closeAfter > 0 && m_messagesReceived >= m_options.closeAfter)
        requestClose();
}

void SimSession::handlePoll()
{
    send(singleByte(m_options.switcherPresent ? Cmd::PollPresent : Cmd::PollAbsent));
}

void SimSession::handleInfoRequest(const QByteArray& message)
{
    if (!wellFormed(message, 13)) {
        ++m_messagesDropped;
        return;
    }
    // Six 7-bit groups, least significant first.
    qint64 mask = 0;
    for (int i = 6; i >= 1; --i)
        mask = (mask << 7) | ByteAt(message, i);
    for (const int bit : TableOrder) {
        if (!(mask & bit))
            continue;
        for (const QByteArray& table : TableMessages(m_model, bit, m_options.crosspointsPerMessage))
            send(table);
    }
}

void SimSession::handleCrosspointChange(const QByteArray& message)
{
    if (!wellFormed(message, 9)) {
        ++m_messagesDropped;
        return;
    }
    Crosspoint change{Int14At(message, 3), Int14At(message, 5)};
    if (change.source == MaxInt14)
        change.source = m_model.offSource();
    if (m_model.route(change.source, change.destination) == RouterModel::RouteResult::Done)
        carriedOut(change, change.source == m_model.offSource() ? TakeFieldOff : TakeField);
}

void SimSession::handleSalvoExecute(const QByteArray& message)
{
    if (!wellFormed(message, 6) || ByteAt(message, 1) != 0x64) {
        ++m_messagesDropped;
        return;
    }
    for (const Crosspoint& change : m_model.executeSalvo(Int14At(message, 2)))
        carriedOut(change, change.source == m_model.offSource() ? TakeFieldOff : TakeField);
}

void SimSession::handlePassword(const QByteArray& message)
{
    if (message.size() < 5 || !ChecksumMatches(message) || ByteAt(message, 1) != 0) {
        ++m_messagesDropped;
        return;
    }
    // Positions 3 to length - 3 hold the password's characters, one or two bytes each; position 2
    // says how many characters.
    const QByteArray given = message.mid(3, message.size() - 5);
    const int characters = ByteAt(message, 2);
    if (given.size() < characters || given.size() > 2 * characters) {
        ++m_messagesDropped;
        return;
    }
    m_passwordAsked = false;  // answered: a wrong password is asked for again at the next poll
    if (!m_loggedIn && given == m_options.password) {
        m_loggedIn = true;
        open();
    }
}

void SimSession::handleTypeReply(const QByteArray& message)
{
    if (!wellFormed(message, 5) || ByteAt(message, 1) != 0x06 || ByteAt(message, 2) != 0x01) {
        ++m_messagesDropped;
        return;
    }
    m_typeReplyReceived = true;
}

void SimSession::carriedOut(const Crosspoint& change, int field)
{
    if (m_callbacks.broadcastTake)
        m_callbacks.broadcastTake(change, field);
    else
        reportTake(change, field);
}

void SimSession::reportTake(const Crosspoint& change, int field)
{
    if (!m_loggedIn || m_closing)
        return;
    send(TakeMessage(change.source, change.destination, field));
}

void SimSession::sendPoll()
{
    // Also while locked: the panel answers polls whether or not it has logged in.
    if (!m_closing)
        send(singleByte(Cmd::Poll));
}

void SimSession::send(const QByteArray& message)
{
    if (m_options.silent || !m_callbacks.write)
        return;
    if (m_callbacks.trace)
        m_callbacks.trace(true, message);
    if (m_options.noise)
        sendNoise();
    if (!m_options.byteByByte) {
        m_callbacks.write(message);
        return;
    }
    for (const char byte : message)
        m_callbacks.write(QByteArray(1, byte));
}

void SimSession::sendNoise()
{
    // One to eight data bytes, sometimes with a stray 0xF3 (ignored by a panel) or a lone 0xFF
    // (an empty frame) among them. Neither can swallow the message that follows.
    QByteArray noise;
    const int count = int(m_random.bounded(1, 9));
    for (int i = 0; i < count; ++i)
        noise.append(static_cast<char>(m_random.bounded(0x80)));
    if (m_random.bounded(2) == 0) {
        const char stray = static_cast<char>(m_random.bounded(2) == 0 ? Cmd::Ignored : Cmd::EndOfMessage);
        noise.insert(qsizetype(m_random.bounded(count + 1)), stray);
    }
    if (!m_options.byteByByte) {
        m_callbacks.write(noise);
        return;
    }
    for (const char byte : noise)
        m_callbacks.write(QByteArray(1, byte));
}

void SimSession::requestClose()
{
    if (m_closing)
        return;
    m_closing = true;
    if (m_callbacks.close)
        m_callbacks.close();
}
