#pragma once

#include <QByteArray>
#include <QString>

// Who may read a file that is written for the first time: everyone, or its owner only.
enum class NewFileAccess { Shared, OwnerOnly };

// Replaces a file's contents in one step: the bytes go to a new file in the same directory,
// which is checked to hold them all, flushed to disk and then renamed over the old file. A crash,
// a full disk or a size limit leaves the old file as it was. The old file's mode, owner and
// group are kept (the owner where the writer may set it); a new file gets the mode of access,
// whatever the umask. A symbolic link is followed: its target is replaced, the link stays.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr,
                         NewFileAccess access = NewFileAccess::Shared);
