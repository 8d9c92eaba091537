#pragma once

#include <QByteArray>
#include <QString>

// Replaces a file's contents in one step: the bytes go to a new file in the same directory,
// which is checked to hold them all, flushed to disk and then renamed over the old file. A crash,
// a full disk or a size limit leaves the old file as it was. The old file's permissions are kept.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr);
