#pragma once

#include <QByteArray>

struct Panel;

// Handlers of the table messages; each checks its own message and drops a bad one.
void ProcessAlphaTable(Panel& panel, const QByteArray& message);     // 0xFC
void ProcessCrosspointMap(Panel& panel, const QByteArray& message);  // 0xF6
void ProcessTake(Panel& panel, const QByteArray& message);           // 0xFE
void ProcessInhibitMap(Panel& panel, const QByteArray& message);     // 0xF8
void ReceiveSalvoEvents(Panel& panel, const QByteArray& message);    // 0xEB
