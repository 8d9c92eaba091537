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
    asked.push_back({title, text, m_view.windowOrder, icon});
    if (answers.empty())
        return MsgResult::Ok;
    const MsgResult r = answers.front();
    answers.erase(answers.begin());
    return r;
}

QString ScriptedPrompts::showDialog(Dialog dialog, const QString& tag)
{
    asked.push_back({QStringLiteral("dialog:%1").arg(static_cast<int>(dialog)), tag, m_view.windowOrder});
    return dialogHandler ? dialogHandler(dialog, tag) : tag;
}

QStringList ScriptedPrompts::titles() const
{
    QStringList out;
    for (const Asked& a : asked)
        out << a.what;
    return out;
}

TestPanel::TestPanel()
{
    s.AppDir = dir.path() + QDir::separator();
}

void TestPanel::writeFile(const QString& name, const QByteArray& bytes) const
{
    QFile f(path(name));
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray TestPanel::readFile(const QString& name) const
{
    QFile f(path(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList TestPanel::logLines() const
{
    QStringList lines = QString::fromLatin1(readFile(QStringLiteral("Errorlog.txt"))).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines.mid(11);
}
