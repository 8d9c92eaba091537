#include "support/Fakes.h"

#include <QFile>
#include <QTest>

void RecordingView::setWindowOrder(int order)
{
    windowOrder = order;
    windowOrderLog << QString::number(order);
}

MsgResult ScriptedPrompts::message(const QString& text, const QString& title, MsgIcon icon, MsgButtons)
{
    asked.push_back({title, text, windowOrderNow ? windowOrderNow() : m_view.windowOrder, icon});
    if (answers.empty())
        return MsgResult::Ok;
    const MsgResult r = answers.front();
    answers.erase(answers.begin());
    return r;
}

QString ScriptedPrompts::showDialog(Dialog dialog, const QString& tag)
{
    asked.push_back({QStringLiteral("dialog:%1").arg(static_cast<int>(dialog)), tag,
                     windowOrderNow ? windowOrderNow() : m_view.windowOrder});
    return dialogHandler ? dialogHandler(dialog, tag) : tag;
}

QStringList ScriptedPrompts::titles() const
{
    QStringList out;
    for (const Asked& a : asked)
        out << a.what;
    return out;
}

void WriteTestFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray ReadTestFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList ErrorLogLines(const QString& appDir)
{
    QStringList lines = QString::fromLatin1(ReadTestFile(appDir + QStringLiteral("Errorlog.txt"))).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines.mid(11);
}

bool CatchesSignal(qint64 pid, int signal)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:")) {
            bool ok = false;
            const qulonglong mask = line.mid(7).trimmed().toULongLong(&ok, 16);
            return ok && (mask & (1ull << (signal - 1)));
        }
    }
    return false;
}

QByteArray TcpIpSettingsFile(int output, quint16 port)
{
    return "[CONFIG]\r\nOutput=" + QByteArray::number(output) + "\r\nTCP/IP Mode=Yes\r\n[TCP/IP]\r\nIP Port="
        + QByteArray::number(port) + "\r\nIP Address=127.0.0.1\r\n";
}

QByteArray I16(int v)
{
    const char bytes[2] = {static_cast<char>(v & 0xff), static_cast<char>((v >> 8) & 0xff)};
    return QByteArray(bytes, 2);
}

QByteArray ExtAlpha(int type, int n, int m)
{
    const auto names = [](char prefix, int count) {
        QByteArray b;
        for (int p = 0; p < count; ++p)
            b += QStringLiteral("%1%2").arg(QLatin1Char(prefix)).arg(p, 4, 10, QLatin1Char('0')).toLatin1().leftJustified(8, ' ');
        for (int p = 0; p < count; ++p)
            b += I16(p);
        return b;
    };
    return I16(type) + I16(n) + names('X', n) + I16(m) + names('Y', m);
}
