#pragma once

#include <QByteArray>

#include <cstdint>

struct Panel;
struct PanelState;

// The link to the Server Module: connection, receive path, send path and supervision by polls.

// RxBuffer never grows beyond this; a peer that sends more without completing messages loses the
// buffered bytes (logged) and the stream resynchronises on the next command byte. The largest
// table (16383 names) is under 200 KB; an inhibit map needs this much only with thousands of
// runs per destination.
inline constexpr qsizetype MaxRxBuffer = 8 * 1024 * 1024;

// While RxBuffer holds at least this much that the decode timer can work through, the link leaves
// further bytes with the peer: its socket buffers fill and TCP slows the sender down, so a flood
// of messages costs no memory and loses nothing.
inline constexpr qsizetype RxBacklogLimit = 64 * 1024;

// True while the receive path should take in more bytes: RxBuffer is below the backlog limit, or
// it holds only the start of a message that only more bytes can complete.
bool WantsMoreBytes(const PanelState& s);

// tmrDecode decodes one message a tick at this interval (ms); a link that holds a fast peer back
// asks for its bytes again after RetakeInterval (ms).
inline constexpr int DecodeInterval = 1;
inline constexpr int RetakeInterval = 1;

// Table requests still unanswered are repeated after this many poll ticks.
inline constexpr int RequestRetryLimit = 25;

// With "Auto Reconnect", a lost link is connected again after these delays, doubling each time.
inline constexpr int FirstReconnectDelay = 1000;  // ms
inline constexpr int MaxReconnectDelay = 30000;   // ms

// The operator's (or start-up's, or the setup dialog's) connect.
void ConnectSocket(Panel& panel);
void DisconnectSocket(Panel& panel);
void SendToSwitcher(Panel& panel, const QByteArray& message);
void SetSystemState(Panel& panel, bool present);

// Socket events.
void scktServer_Connect(Panel& panel);
void scktServer_ConnectFailed(Panel& panel);  // a started connect attempt failed
void scktServer_Close(Panel& panel);          // the peer closed the connection
void scktServer_DataArrival(Panel& panel, const QByteArray& bytes);
// The delay of an automatic reconnect has run out.
void scktServer_ReconnectDue(Panel& panel);

// tmrDecode tick: one message out of RxBuffer, or the timer stops when it is empty.
void tmrDecode_Timer(Panel& panel);

// tmrFileCheck tick in TCP/IP mode: populate once all tables are in, retry missing tables,
// time out a silent link, poll.
void PollTick(Panel& panel);
