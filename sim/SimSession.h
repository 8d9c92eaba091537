#pragma once

#include "RouterModel.h"

#include <QByteArray>
#include <QRandomGenerator>

#include <functional>

// How one connection behaves, including the faults it can put on.
struct SessionOptions {
    // Password the panel must send before anything else is answered; empty: no login.
    QByteArray password;
    bool sendTypeRequest = false;   // 0x81 when the session opens
    bool sendVersion = false;       // 0xE5 with the system type when the session opens
    bool switcherPresent = true;    // polls are answered 0xF4, else 0xF1
    bool silent = false;            // read and ignore everything, send nothing at all
    int closeAfter = 0;             // close after this many received messages; 0: never
    bool byteByByte = false;        // every outgoing byte is a write of its own
    bool noise = false;             // random data bytes and stray 0xF3/0xFF before each message
    quint32 noiseSeed = 1;
    qsizetype maxReceiveBuffer = 1024 * 1024;
    int crosspointsPerMessage = 1024;
};

// What a session hands out. Only write is required.
struct SessionCallbacks {
    // One write to the peer (a whole message, a single byte, or noise).
    std::function<void(const QByteArray&)> write;
    // A crosspoint changed: report it to every panel, this one included. Unset: only this one.
    std::function<void(const Crosspoint&, int field)> broadcastTake;
    // The session wants its connection closed (after the replies written so far).
    std::function<void()> close;
    // Every whole message, received (outgoing false) or sent (true), for logging.
    std::function<void(bool outgoing, const QByteArray&)> trace;
};

// The protocol logic of one panel connection, without a socket: received bytes go in through
// feed(), replies come out through the callbacks. Crosspoint changes go to the shared model.
//
// Rules of this Server Module:
// - A crosspoint change to an inhibited or missing crosspoint is refused: nothing changes and
//   nothing is sent. Source 16383 stands for the OFF source (of 1301 and 1351 systems only);
//   the change's first field is not examined.
// - A salvo execute carries out the salvo's changes and reports each one carried out.
// - With a password set, the session sends the password request when it starts and answers
//   every poll with it again until the right password arrives; until then it answers polls
//   with "switcher absent" (0xF1) and nothing else, carries out nothing and is sent no takes.
//   A wrong password is not answered.
// - Messages that fail their length or checksum check are dropped silently.
class SimSession {
public:
    SimSession(RouterModel& model, SessionOptions options, SessionCallbacks callbacks);

    // The connection is up: password request, or type request and version when enabled.
    void start();
    // Bytes from the panel. Whole messages are handled at once; an incomplete one waits for the
    // rest. A buffer that outgrows maxReceiveBuffer is thrown away and the stream resyncs.
    void feed(const QByteArray& bytes);
    // Reports a crosspoint change (from this or another session) to this panel.
    void reportTake(const Crosspoint& change, int field);
    // Polls the panel (0xF5).
    void sendPoll();

    // Fault switches that may change while connected.
    void setSwitcherPresent(bool present) { m_options.switcherPresent = present; }
    void setSilent(bool silent) { m_options.silent = silent; }
    void setByteByByte(bool on) { m_options.byteByByte = on; }
    void setNoise(bool on) { m_options.noise = on; }
    const SessionOptions& options() const { return m_options; }

    bool loggedIn() const { return m_loggedIn; }
    bool closing() const { return m_closing; }
    bool typeReplyReceived() const { return m_typeReplyReceived; }
    int messagesReceived() const { return m_messagesReceived; }
    int messagesDropped() const { return m_messagesDropped; }
    int pollAnswersReceived() const { return m_pollAnswersReceived; }
    int receiveOverflows() const { return m_receiveOverflows; }
    qsizetype bufferedBytes() const { return m_buffer.size(); }

private:
    void handle(const QByteArray& message);
    void handlePoll();
    void handleInfoRequest(const QByteArray& message);
    void handleCrosspointChange(const QByteArray& message);
    void handleSalvoExecute(const QByteArray& message);
    void handlePassword(const QByteArray& message);
    void handleTypeReply(const QByteArray& message);
    void open();
    void askForPassword();
    void carriedOut(const Crosspoint& change, int field);
    void send(const QByteArray& message);
    void sendNoise();
    void requestClose();

    RouterModel& m_model;
    SessionOptions m_options;
    SessionCallbacks m_callbacks;
    QByteArray m_buffer;
    QRandomGenerator m_random;
    bool m_loggedIn = false;
    bool m_passwordAsked = false;  // a password request is waiting for its answer
    bool m_closing = false;
    bool m_typeReplyReceived = false;
    int m_messagesReceived = 0;
    int m_messagesDropped = 0;
    int m_pollAnswersReceived = 0;
    int m_receiveOverflows = 0;
};
