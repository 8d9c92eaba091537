#include "app/QtPrompts.h"

#include <QMessageBox>

MsgResult QtPrompts::message(const QString& text, const QString& title, MsgIcon icon, MsgButtons buttons)
{
    QMessageBox box(m_owner);
    box.setWindowTitle(title);
    QString shown = text;
    box.setText(shown.replace(QLatin1Char('\r'), QLatin1Char('\n')));
    switch (icon) {
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    }
    switch (buttons) {
    case MsgButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case MsgButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MsgButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    }
    switch (box.exec()) {
    case QMessageBox::Cancel: return MsgResult::Cancel;
    case QMessageBox::Yes: return MsgResult::Yes;
    case QMessageBox::No: return MsgResult::No;
    default: return MsgResult::Ok;
    }
}

QString QtPrompts::showDialog(Dialog dialog, const QString& tag)
{
    if (dialog == Dialog::ServerPassword && m_panel) {
        // A fresh prompt for every request; it is destroyed when it closes.
        auto* prompt = new SwitcherPasswordDialog(*m_panel, m_owner);
        m_switcherPassword = prompt;
        prompt->exec();
        delete prompt;
        return tag;
    }
    // The login, setup and other dialogs are not part of this build yet: nothing is shown and
    // the caller sees the dialog closed without a result.
    return QStringLiteral("fail");
}

void QtPrompts::closeDialog(Dialog dialog)
{
    if (dialog == Dialog::ServerPassword && m_switcherPassword)
        m_switcherPassword->dismiss();
}
