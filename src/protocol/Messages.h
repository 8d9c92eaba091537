#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

struct Panel;

// Outbound messages.
QByteArray TypeReplyMessage();                              // 0x81 0x06 0x01 0x07 0xFF
QByteArray PasswordMessage(const QString& password);        // 0x80
QByteArray InfoRequestMessage(std::int32_t mask);           // 0xF2, 13 bytes
QByteArray CrosspointChangeMessage(int field, int source, int destination);  // 0xFE, 9 bytes
QByteArray SalvoExecuteMessage(int salvo);                  // 0xEA, 6 bytes

// Senders.
void SendInfoRequest(Panel& panel, std::int32_t mask);
void SendCrosspointChange(Panel& panel, int destination, int source);
void SendSalvoExecute(Panel& panel, int salvo);
void SendPassword(Panel& panel, const QString& password);

// Handlers of the small inbound messages; each checks its own message and drops a bad one.
void ProcessTypeRequest(Panel& panel, const QByteArray& message);
void ProcessPasswordRequest(Panel& panel, const QByteArray& message);
void ProcessVersion(Panel& panel, const QByteArray& message);
