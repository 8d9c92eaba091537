#include "storage/Settings.h"

#include "state/Panel.h"
#include "storage/DisplayListFile.h"
#include "storage/ErrorLog.h"
#include "storage/IniFile.h"

#include <QFile>
#include <QFileInfo>

#include <cctype>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

using namespace SettingsText;

// Failure numbers of this file's conversions; file failures use the file's own error code.
enum : int { NotANumber = 13, OutOfRange = 6, BadPassword = 5, FileMissing = 53 };

const QString FileError = QStringLiteral("File Error");
const QString ReadErrorText = QStringLiteral("Error reading ini File");

QString settingsPath(const PanelState& s) { return s.AppDir + SettingsFileName; }

// A failed conversion: which key and why.
struct ReadError {
    Failure failure;
};

double rounded(double v) { return std::nearbyint(v); }  // to nearest, halves to even

QByteArray yesNo(bool yes) { return yes ? QByteArrayLiteral("Yes") : QByteArrayLiteral("No"); }

QByteArray latin1(const QString& text) { return text.toLatin1(); }

// Reads one key at a time in the file's key order, converting as each key demands.
class Reader {
public:
    explicit Reader(const IniFile& ini) : m_ini(ini) {}

    QByteArray text(const char* section, const char* key) const
    {
        return m_ini.value(section, key);
    }

    // Whole number below 32768 from a rounded value; anything larger is an overflow.
    static int toInt16(double v, const QByteArray& text)
    {
        if (v > std::numeric_limits<std::int16_t>::max() || v < std::numeric_limits<std::int16_t>::min())
            throw ReadError{{OutOfRange, QStringLiteral("Overflow: '%1'").arg(QString::fromLatin1(text))}};
        return static_cast<int>(v);
    }

    int output(const char* section, const char* key) const
    {
        const QByteArray t = text(section, key);
        const double v = rounded(leadingNumber(t) - 1);
        return v < 0 ? 0 : toInt16(v, t);
    }

    // Leading number below 1 gives 1; otherwise the whole text, capped at max.
    int limited(const char* section, const char* key, int max) const
    {
        const QByteArray t = text(section, key);
        if (leadingNumber(t) < 1)
            return 1;
        const std::optional<double> v = wholeNumber(t);
        if (!v)
            throw ReadError{{NotANumber, QStringLiteral("Type mismatch: '%1'").arg(QString::fromLatin1(t))}};
        return *v > max ? max : static_cast<int>(*v);
    }

    std::int32_t int32(const char* section, const char* key) const
    {
        const QByteArray t = text(section, key);
        const std::optional<double> v = wholeNumber(t);
        if (!v)
            throw ReadError{{NotANumber, QStringLiteral("Type mismatch: '%1'").arg(QString::fromLatin1(t))}};
        if (*v > std::numeric_limits<std::int32_t>::max() || *v < std::numeric_limits<std::int32_t>::min())
            throw ReadError{{OutOfRange, QStringLiteral("Overflow: '%1'").arg(QString::fromLatin1(t))}};
        return static_cast<std::int32_t>(*v);
    }

    QString password(const char* section, const char* key) const
    {
        const std::optional<QString> plain = decodePassword(text(section, key));
        if (!plain)
            throw ReadError{{BadPassword, QStringLiteral("Invalid password encoding in '%1'").arg(QLatin1String(key))}};
        return *plain;
    }

    QString string(const char* section, const char* key) const
    {
        return QString::fromLatin1(text(section, key));
    }

private:
    const IniFile& m_ini;
};

// Reads the keys in their fixed order, storing each setting as soon as it is read.
void readKeys(Panel& panel, const IniFile& ini)
{
    PanelState& s = panel.s;
    const Reader r(ini);

    s.OutputControlled = r.output("CONFIG", "Output");
    s.TcpIpMode = r.text("CONFIG", "TCP/IP Mode") == "Yes";
    s.HideInhibits = r.text("CONFIG", "Hide Inhibits") == "Yes";
    s.DisplayList = r.string("CONFIG", "Display List");
    if (s.DisplayList.isEmpty())
        s.DisplayList = QString(s.NumInputs, QLatin1Char('1'));
    s.StayOnTop = r.text("CONFIG", "Stay On Top") == "Yes" ? TopMost : NotTopMost;

    s.ServerPath = r.string("FILE", "Server path");
    s.RefreshRate = r.limited("FILE", "Refresh Rate", MaxRefreshRate);
    if (!s.TcpIpMode)
        panel.server.setPollInterval(s.RefreshRate);
    s.FileTimeOut = r.limited("FILE", "Time Out", MaxTimeOut);
    s.FileTimeOutTicks = static_cast<int>(rounded(1000.0 / s.RefreshRate * s.FileTimeOut));

    s.IpPort = r.int32("TCP/IP", "IP Port");
    s.IpAddress = r.string("TCP/IP", "IP Address");
    s.PollRate = r.limited("TCP/IP", "Poll Rate", MaxPollRate);
    if (s.TcpIpMode)
        panel.server.setPollInterval(s.PollRate * 1000);
    s.IpTimeOut = r.limited("TCP/IP", "Time Out", MaxTimeOut);
    s.IpPassword = r.password("TCP/IP", "IP Password");
    s.AutoReconnect = r.text("TCP/IP", "Auto Reconnect") == "Yes";

    s.UserName = r.string("SECURITY", "User Name");
    s.UserPassword = r.password("SECURITY", "Password");

    panel.view.setWindowOrder(s.StayOnTop);
}

// One key to write: its stored text and how the stored text is compared with the setting.
struct Entry {
    const char* section;
    const char* key;
    QByteArray value;
    // OptionalText: a key of our own that an absent key means as "No"; it is not added for "No".
    enum Compare { Text, Number, OutputNumber, OptionalText } compare;
    int number = 0;
    bool encodable = true;  // false for a password that cannot be stored
};

bool needsWrite(const Entry& e, const QByteArray& stored)
{
    switch (e.compare) {
    case Entry::Text:
        return stored != e.value;
    case Entry::OptionalText:
        return stored != e.value && !(stored.isEmpty() && e.value == "No");
    case Entry::Number:
        return rounded(leadingNumber(stored)) != e.number;
    case Entry::OutputNumber:
        // Not rounded: "3.6" reads as destination 4 but is not its text, so it is rewritten "4".
        return leadingNumber(stored) - 1 != e.number;
    }
    return true;
}

bool outputReadsBack(const PanelState& s)
{
    IniFile ini;
    return IniFile::load(settingsPath(s), ini)
        && leadingNumber(ini.value("CONFIG", "Output")) - 1 == s.OutputControlled;
}

} // namespace

namespace SettingsText {

double leadingNumber(const QByteArray& text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    const qsizetype start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    const qsizetype digitsStart = i;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
        ++i;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
            ++i;
    }
    if (i == digitsStart || (i == digitsStart + 1 && text[digitsStart] == '.'))
        return 0;
    // An exponent counts only when digits follow it.
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        qsizetype j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        const qsizetype expDigits = j;
        while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j])))
            ++j;
        if (j > expDigits)
            i = j;
    }
    bool ok = false;
    const double v = text.mid(start, i - start).toDouble(&ok);
    return ok && std::isfinite(v) ? v : 0;
}

std::optional<double> wholeNumber(const QByteArray& text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return rounded(v);
}

std::optional<QByteArray> encodePassword(const QString& plain)
{
    QByteArray out;
    out.reserve(plain.size());
    for (qsizetype i = 0; i < plain.size(); ++i) {
        const int code = plain[i].unicode() + static_cast<int>(i) + 1;
        if (code > 255)
            return std::nullopt;
        out += static_cast<char>(code);
    }
    return out;
}

std::optional<QString> decodePassword(const QByteArray& stored)
{
    QString out;
    out.reserve(stored.size());
    for (qsizetype i = 0; i < stored.size(); ++i) {
        const int code = static_cast<unsigned char>(stored[i]) - static_cast<int>(i) - 1;
        if (code < 0)
            return std::nullopt;
        out += QChar(code);
    }
    return out;
}

} // namespace SettingsText

bool ReadSettings(Panel& panel)
{
    PanelState& s = panel.s;
    const QString path = settingsPath(s);
    if (!QFileInfo::exists(path)) {
        LogError(s, panel.clock, QStringLiteral("Ini File not found"), FileError,
                 {FileMissing, QStringLiteral("File not found: %1").arg(path)});
        return false;
    }

    IniFile ini;
    QString why;
    if (!IniFile::load(path, ini, &why)) {
        LogError(s, panel.clock, ReadErrorText, FileError, {static_cast<int>(QFileDevice::ReadError), why});
        return false;
    }
    if (!ApplySettings(panel, ini))
        return false;

    Failure listFailure;
    if (!LoadDisplayList(s, &listFailure)) {
        LogError(s, panel.clock, ReadErrorText, FileError, listFailure);
        return false;
    }
    return true;
}

bool ApplySettings(Panel& panel, const IniFile& ini)
{
    try {
        readKeys(panel, ini);
    } catch (const ReadError& e) {
        LogError(panel.s, panel.clock, ReadErrorText, FileError, e.failure);
        return false;
    }
    return true;
}

SettingsUpdate UpdateSettings(const PanelState& s, IniFile& ini)
{
    const std::optional<QByteArray> ipPassword = encodePassword(s.IpPassword);
    const std::optional<QByteArray> userPassword = encodePassword(s.UserPassword);
    const Entry entries[] = {
        {"CONFIG", "Output", QByteArray::number(s.OutputControlled + 1), Entry::OutputNumber, s.OutputControlled},
        {"CONFIG", "TCP/IP Mode", yesNo(s.TcpIpMode), Entry::Text},
        {"CONFIG", "Hide Inhibits", yesNo(s.HideInhibits), Entry::Text},
        {"CONFIG", "Display List", latin1(s.DisplayList), Entry::Text},
        {"CONFIG", "Stay On Top", yesNo(s.StayOnTop == TopMost), Entry::Text},
        {"FILE", "Server path", latin1(s.ServerPath), Entry::Text},
        {"FILE", "Refresh Rate", QByteArray::number(s.RefreshRate), Entry::Number, s.RefreshRate},
        {"FILE", "Time Out", QByteArray::number(s.FileTimeOut), Entry::Number, s.FileTimeOut},
        {"TCP/IP", "IP Port", QByteArray::number(s.IpPort), Entry::Number, s.IpPort},
        {"TCP/IP", "IP Address", latin1(s.IpAddress), Entry::Text},
        {"TCP/IP", "Poll Rate", QByteArray::number(s.PollRate), Entry::Number, s.PollRate},
        {"TCP/IP", "Time Out", QByteArray::number(s.IpTimeOut), Entry::Number, s.IpTimeOut},
        {"TCP/IP", "IP Password", ipPassword.value_or(QByteArray()), Entry::Text, 0, ipPassword.has_value()},
        {"TCP/IP", "Auto Reconnect", yesNo(s.AutoReconnect), Entry::OptionalText},
        {"SECURITY", "User Name", latin1(s.UserName), Entry::Text},
        {"SECURITY", "Password", userPassword.value_or(QByteArray()), Entry::Text, 0, userPassword.has_value()},
    };

    // Keys up to a failing one are still written, as the panel has always done.
    SettingsUpdate update;
    for (const Entry& e : entries) {
        if (!e.encodable) {
            update.failure = {BadPassword, QStringLiteral("Password cannot be encoded for '%1'").arg(QLatin1String(e.key))};
            break;
        }
        if (!needsWrite(e, ini.value(e.section, e.key)))
            continue;
        if (!ini.setValue(e.section, e.key, e.value)) {
            update.failure = {BadPassword, QStringLiteral("Value of '%1' holds a line break").arg(QLatin1String(e.key))};
            break;
        }
        update.changed = true;
    }

    return update;
}

bool WriteSettings(Panel& panel)
{
    PanelState& s = panel.s;
    if (s.ServerPath.isEmpty() && !s.TcpIpMode)
        return false;

    SaveDisplayList(s, panel.clock);

    const QString path = settingsPath(s);
    const QString writeError = QStringLiteral("Error writing ini file");
    QFile existing(path);
    if (existing.exists() && !(existing.permissions() & QFileDevice::WriteOwner))
        existing.setPermissions(existing.permissions() | QFileDevice::WriteOwner | QFileDevice::WriteUser);

    IniFile ini;
    QString why;
    if (!IniFile::load(path, ini, &why)) {
        LogError(s, panel.clock, writeError, FileError, {static_cast<int>(QFileDevice::ReadError), why});
        return false;
    }

    const SettingsUpdate update = UpdateSettings(s, ini);
    if (update.changed && !ini.save(path, &why)) {
        LogError(s, panel.clock, writeError, FileError, {static_cast<int>(QFileDevice::WriteError), why});
        return false;
    }
    if (update.failure.number != 0) {
        LogError(s, panel.clock, writeError, FileError, update.failure);
        return false;
    }

    if (outputReadsBack(s))
        return true;
    // Write "Output" once more; the second reading is not checked.
    ini = IniFile();
    if (IniFile::load(path, ini)) {
        ini.setValue("CONFIG", "Output", QByteArray::number(s.OutputControlled + 1));
        ini.save(path);
    }
    return true;
}
