#include "storage/DisplayListFile.h"

#include "state/PanelState.h"
#include "platform/AtomicFile.h"
#include "storage/ErrorLog.h"

#include <QFile>
#include <QtEndian>

#include <cstdint>
#include <limits>

namespace {

constexpr std::int16_t FormatWord = 1;
constexpr qsizetype HeaderSize = 4;
// The longest list the file's 16-bit length can describe.
constexpr qsizetype MaxListLength = std::numeric_limits<std::int16_t>::max();

void putInt16(QByteArray& bytes, qsizetype at, std::int16_t value)
{
    qToLittleEndian<std::int16_t>(value, bytes.data() + at);
}

} // namespace

QByteArray DisplayListBytes(const QString& list, const QByteArray& previous)
{
    const QByteArray chars = list.left(MaxListLength).toLatin1();
    QByteArray bytes = previous;
    if (bytes.size() < HeaderSize + chars.size())
        bytes.resize(HeaderSize + chars.size());
    putInt16(bytes, 0, FormatWord);
    putInt16(bytes, 2, static_cast<std::int16_t>(chars.size()));
    bytes.replace(HeaderSize, chars.size(), chars);
    return bytes;
}

void SaveDisplayList(PanelState& s, const Clock& clock)
{
    const QString path = s.AppDir + DisplayListFileName;
    QFile old(path);
    if (old.exists() && !(old.permissions() & QFileDevice::WriteOwner))
        old.setPermissions(old.permissions() | QFileDevice::WriteOwner | QFileDevice::WriteUser);

    // Overlay the new list on the old bytes and replace the file in one rename.
    QByteArray previous;
    if (old.open(QIODevice::ReadOnly)) {
        previous = old.read(HeaderSize + MaxListLength);
        old.close();
    }

    QString why;
    if (!WriteFileAtomically(path, DisplayListBytes(s.DisplayList, previous), &why)) {
        LogError(s, clock, QStringLiteral("Error saving display List"), QStringLiteral("File Error"),
                 {static_cast<int>(QFileDevice::WriteError), why});
    }
}

bool LoadDisplayList(PanelState& s, Failure* failure)
{
    QFile file(s.AppDir + DisplayListFileName);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        *failure = {static_cast<int>(file.error()), file.errorString()};
        return false;
    }
    const QByteArray header = file.read(HeaderSize);
    if (header.size() < HeaderSize) {
        *failure = {static_cast<int>(QFileDevice::ReadError), QStringLiteral("Display list file is too short")};
        return false;
    }
    const std::int16_t length = qFromLittleEndian<std::int16_t>(header.constData() + 2);
    if (length < 0) {
        *failure = {static_cast<int>(QFileDevice::ReadError), QStringLiteral("Display list length %1 is negative").arg(length)};
        return false;
    }
    const QByteArray chars = file.read(length);
    if (chars.size() < length) {
        *failure = {static_cast<int>(QFileDevice::ReadError), QStringLiteral("Display list file ends before its %1 characters").arg(length)};
        return false;
    }
    s.DisplayList = QString::fromLatin1(chars);
    return true;
}
