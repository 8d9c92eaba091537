#include "app/QtPrompts.h"

#include "dialogs/AboutDialog.h"
#include "dialogs/LoginDialog.h"
#include "dialogs/PasswordDialog.h"
#include "dialogs/SetupDialog.h"
#include "displaylist/DisplayListDialog.h"
#include "storage/AppDir.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

QtPrompts::QtPrompts(QWidget* owner, OutputSelect& destinations) : m_owner(owner), m_destinations(destinations) {}

QtPrompts::~QtPrompts() = default;

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
    if (!m_panel)
        return tag;
    Panel& panel = *m_panel;
    switch (dialog) {
    case Dialog::ServerPassword: {
        // A fresh prompt for every request; it is destroyed when it closes.
        auto* prompt = new SwitcherPasswordDialog(panel, m_owner);
        m_switcherPassword = prompt;
        prompt->exec();
        delete prompt;
        return tag;
    }
    case Dialog::Login:
        if (!m_login)
            m_login = std::make_unique<LoginDialog>(panel, m_owner);
        return m_login->run(tag);
    case Dialog::Setup:
        if (!m_setup)
            m_setup = std::make_unique<SetupDialog>(panel, m_destinations, m_owner);
        return m_setup->run(tag);
    case Dialog::Password:
        if (!m_password)
            m_password = std::make_unique<PasswordDialog>(panel, m_owner);
        return m_password->run(tag);
    case Dialog::About:
        if (!m_about)
            m_about = std::make_unique<AboutDialog>(panel, m_owner);
        return m_about->run(tag);
    case Dialog::DisplayList:
        if (!m_displayList)
            m_displayList = std::make_unique<DisplayListDialog>(panel, m_owner);
        return m_displayList->run(tag);
    }
    return tag;
}

void QtPrompts::closeDialog(Dialog dialog)
{
    if (dialog == Dialog::ServerPassword && m_switcherPassword)
        m_switcherPassword->dismiss();
}

bool QtPrompts::openHelp()
{
    // Beside the program (copied there by the build) or in the installed documentation.
    const QString page = HelpPagePath(QCoreApplication::applicationDirPath());
    return !page.isEmpty() && QDesktopServices::openUrl(QUrl::fromLocalFile(page));
}
