#pragma once

#include "state/Failure.h"

#include <QDateTime>
#include <QString>

class Clock;
struct PanelState;


// File names of the log, in AppDir.
inline const QString ErrorLogFileName = QStringLiteral("Errorlog.txt");

// Appends "message: Error # n - description" under the title to the error log.
// Never reports a failure to its caller.
void LogError(PanelState& s, const Clock& clock, const QString& message, const QString& title,
              const Failure& failure);

// Rotates the log when it is full, creates it with its header when absent, appends one line.
void WriteErrorLine(PanelState& s, const Clock& clock, const QString& text, const QString& title);

// Creates (or empties) the log and writes its eleven-line header. False when it cannot be written.
bool CreateErrorLog(const PanelState& s, Failure* failure = nullptr);

// The log line without its line end: date-time to column 24, title to column 60, then the text.
QString ErrorLogLine(const QDateTime& when, const QString& text, const QString& title);

// "Errorlog MMDDYY HHMM.txt" for a rotation at the given local time.
QString ErrorLogArchiveName(const QDateTime& when);
