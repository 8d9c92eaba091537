#include "app/QtPrompts.h"

#include "dialogs/AboutDialog.h"
#include "dialogs/LoginDialog.h"
#include "dialogs/PasswordDialog.h"
#include "dialogs/SetupDialog.h"
#include "dialogs/SwitcherPasswordDialog.h"
#include "dialogs/WindowWidth.h"
#include "displaylist/DisplayListDialog.h"
#include "state/Panel.h"
#include "storage/AppDir.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGridLayout>
#include <QMessageBox>
#include <QUrl>

namespace {

QMessageBox::Icon IconOf(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Critical: return QMessageBox::Critical;
    case MsgIcon::Question: return QMessageBox::Question;
    case MsgIcon::Exclamation: return QMessageBox::Warning;
    case MsgIcon::Information: return QMessageBox::Information;
    case MsgIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ButtonsOf(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case MsgButtons::Ok: break;
    }
    return QMessageBox::Ok;
}

MsgResult ResultOf(int button)
{
    switch (button) {
    case QMessageBox::Cancel: return MsgResult::Cancel;
    case QMessageBox::Yes: return MsgResult::Yes;
    case QMessageBox::No: return MsgResult::No;
    default: return MsgResult::Ok;
    }
}

} // namespace

QtPrompts::QtPrompts(Panel& panel, QWidget* owner, OutputSelect& destinations)
    : m_owner(owner), m_destinations(destinations), m_panel(panel)
{
}

QtPrompts::~QtPrompts() = default;

// A box goes over whichever dialog the operator is answering, else over the main window. It is
// modal but shown without a loop of its own: the answer comes back through done.
void QtPrompts::showMessage(const QString& text, const QString& title, MsgIcon icon, MsgButtons buttons,
                            Answered done)
{
    QWidget* over = QApplication::activeModalWidget();
    auto* box = new QMessageBox(IconOf(icon), title, QString(text).replace(u'\r', u'\n'), ButtonsOf(buttons),
                                over ? over : m_owner);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    // Wide enough for its longest line and its title: a box never breaks one of its lines in two.
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout())) {
        const QFontMetrics metrics = box->fontMetrics();
        int widest = 0;
        for (const QString& line : box->text().split(u'\n'))
            widest = std::max(widest, metrics.horizontalAdvance(line));
        const int width = std::max(widest + 8 * metrics.height(), TitleBarWidth(*box));
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                      grid->columnCount());
    }
    QObject::connect(box, &QMessageBox::finished, box, [box, done = std::move(done)](int) {
        // Escape or the window's close button give no button: the box's escape answer stands.
        done(ResultOf(box->standardButton(box->clickedButton())));
    });
    box->show();
}

void QtPrompts::openDialog(Dialog dialog, const QString& tag, Closed done)
{
    Panel& panel = m_panel;
    PanelDialog* window = nullptr;
    switch (dialog) {
    case Dialog::ServerPassword:
        // A fresh prompt for every request; it deletes itself when it closes.
        window = m_switcherPassword = new SwitcherPasswordDialog(panel, m_owner);
        break;
    case Dialog::Login:
        window = Created(m_login, panel);
        break;
    case Dialog::Setup:
        if (!m_setup)
            m_setup = std::make_unique<SetupDialog>(panel, m_destinations, m_owner);
        window = m_setup.get();
        break;
    case Dialog::Password:
        window = Created(m_password, panel);
        break;
    case Dialog::About:
        window = Created(m_about, panel);
        break;
    case Dialog::DisplayList:
        window = Created(m_displayList, panel);
        break;
    }
    window->openWith(tag, std::move(done));
}

void QtPrompts::closeDialog(Dialog dialog)
{
    if (dialog == Dialog::ServerPassword && m_switcherPassword)
        m_switcherPassword->dismiss();
}

bool QtPrompts::openHelp()
{
    const QString page = helpPage();
    return !page.isEmpty() && QDesktopServices::openUrl(QUrl::fromLocalFile(page));
}

QString QtPrompts::helpPage() const
{
    // Beside the program (copied there by the build) or in the installed documentation.
    return HelpPagePath(QCoreApplication::applicationDirPath());
}
