#include "storage/ErrorLog.h"

#include "state/Maker.h"
#include "state/PanelState.h"
#include "state/Ports.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>

namespace {

constexpr int DateColumn = 24;
constexpr int TitleColumn = 60;

const QByteArray LineEnd = QByteArrayLiteral("\r\n");

// The eleven header lines: the maker's name spaced out in capitals (a 50-character banner after
// 13 blanks), its address, and the column heading.
QByteArray headerText()
{
    QByteArray banner;
    for (const char c : QByteArray(Maker::Name).toUpper())
        banner += banner.isEmpty() ? QByteArray(1, c) : QByteArray(" ") + c;
    const QByteArray indent(19, ' ');
    const QByteArray lines[] = {
        QByteArray(13, ' ') + banner,
        {},
        indent + Maker::Street,
        indent + Maker::City,
        indent + Maker::Telephone + " - " + Maker::Web,
        {},
        {},
        "ZEB Server Module Software Error Logfile",
        {},
        " DATE     TIME           MESSAGE DESCRIPTION",
        QByteArray(80, '-'),
    };
    QByteArray out;
    for (const QByteArray& line : lines)
        out += line + LineEnd;
    return out;
}

// Short date and long time of the system locale, without a time zone name.
QString dateTimeText(const QDateTime& when)
{
    const QLocale locale;
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(QLatin1Char('t'));
    return locale.toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ')
        + locale.toString(when.time(), timeFormat.trimmed());
}

Failure fileFailure(const QFile& file)
{
    return {static_cast<int>(file.error()), file.errorString()};
}

// Reports a failure of the log itself once; a failure of that report ends there.
void reportLogFailure(PanelState& s, const Clock& clock, const QString& message, const Failure& f)
{
    if (s.ErrorLogReporting)
        return;
    s.ErrorLogReporting = true;
    LogError(s, clock, message, QStringLiteral("File Error"), f);
    s.ErrorLogReporting = false;
}

} // namespace

QString ErrorLogLine(const QDateTime& when, const QString& text, const QString& title)
{
    QString line = dateTimeText(when).leftJustified(DateColumn, QLatin1Char(' '));
    line += title;
    if (line.size() < TitleColumn)
        line = line.leftJustified(TitleColumn, QLatin1Char(' '));
    return line + text;
}

QString ErrorLogArchiveName(const QDateTime& when)
{
    return QStringLiteral("Errorlog %1.txt").arg(when.toString(QStringLiteral("MMddyy HHmm")));
}

void LogError(PanelState& s, const Clock& clock, const QString& message, const QString& title,
              const Failure& failure)
{
    if (!s.ErrorLogEnabled)
        return;  // not even the line is made
    WriteErrorLine(s, clock,
                   message + QStringLiteral(": Error # ") + QString::number(failure.number)
                       + QStringLiteral(" - ") + failure.description,
                   title);
}

bool CreateErrorLog(const PanelState& s, Failure* failure)
{
    QFile file(s.AppDir + ErrorLogFileName);
    const QByteArray header = headerText();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(header) != header.size()) {
        if (failure)
            *failure = fileFailure(file);
        return false;
    }
    return true;
}

void WriteErrorLine(PanelState& s, const Clock& clock, const QString& text, const QString& title)
{
    if (!s.ErrorLogEnabled)
        return;

    const QDateTime now = clock.now();
    const QByteArray line = ErrorLogLine(now, text, title).toLatin1() + LineEnd;
    const QString path = s.AppDir + ErrorLogFileName;
    const QString writeError = QStringLiteral("Error writing to Error file");

    QFileInfo info(path);
    if (s.ErrorLogMaxKB > 0 && info.exists()
        && info.size() >= static_cast<qint64>(s.ErrorLogMaxKB) * 1024) {
        QFile log(path);
        if (s.ErrorLogArchive) {
            const QString archive = s.AppDir + ErrorLogArchiveName(now);
            QFile::remove(archive);
            if (!log.copy(archive)) {
                reportLogFailure(s, clock, writeError, fileFailure(log));
                return;
            }
        }
        if (!log.remove()) {
            reportLogFailure(s, clock, writeError, fileFailure(log));
            return;
        }
    }

    if (!QFileInfo::exists(path)) {
        Failure f;
        if (!CreateErrorLog(s, &f)) {
            reportLogFailure(s, clock, QStringLiteral("Error creating Error file"), f);
            return;
        }
    }

    QFile log(path);
    if (!log.open(QIODevice::WriteOnly | QIODevice::Append) || log.write(line) != line.size()) {
        reportLogFailure(s, clock, writeError, fileFailure(log));
        return;
    }
}
