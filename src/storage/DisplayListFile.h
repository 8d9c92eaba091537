#pragma once

#include <QByteArray>
#include <QString>

class Clock;
struct Failure;
struct PanelState;

inline const QString DisplayListFileName = QStringLiteral("DisplayList.dat");

// Writes DisplayList to "DisplayList.dat": format word 1, length, one byte per source.
// An existing longer file keeps its tail bytes. Failures are logged, never passed on.
void SaveDisplayList(PanelState& s, const Clock& clock);

// Replaces DisplayList with the file's list when the file exists. False when it cannot be read
// or is malformed (negative length, fewer bytes than its length says).
bool LoadDisplayList(PanelState& s, Failure* failure);

// The file contents for a list written over the given older contents.
QByteArray DisplayListBytes(const QString& list, const QByteArray& previous = {});
