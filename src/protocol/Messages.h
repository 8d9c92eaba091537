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

// Handlers of the inbound messages, one file per family; each checks its own message (reading it
// through a MessageReader) and drops a bad one.
void ProcessTypeRequest(Panel& panel, const QByteArray& message);      // 0x81  LinkMessages.cpp
void ProcessPasswordRequest(Panel& panel, const QByteArray& message);  // 0xF2  LinkMessages.cpp
void ProcessVersion(Panel& panel, const QByteArray& message);          // 0xE5  LinkMessages.cpp
void ProcessAlphaTable(Panel& panel, const QByteArray& message);       // 0xFC  AlphaTable.cpp
void ProcessCrosspointMap(Panel& panel, const QByteArray& message);    // 0xF6  Crosspoints.cpp
void ProcessTake(Panel& panel, const QByteArray& message);             // 0xFE  Crosspoints.cpp
void ProcessInhibitMap(Panel& panel, const QByteArray& message);       // 0xF8  InhibitMap.cpp
void ReceiveSalvoEvents(Panel& panel, const QByteArray& message);      // 0xEB  Salvos.cpp
