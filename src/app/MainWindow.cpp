#include "app/MainWindow.h"

#include "core/Menus.h"
#include "core/Salvo.h"
#include "core/Startup.h"
#include "core/Take.h"
#include "dialogs/WindowWidth.h"
#include "protocol/TcpComm.h"
#include "state/Panel.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QProxyStyle>
#include <QLayout>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>

namespace {

// Sizes from the panel's classic layout in twips (15 twips to a pixel at 96 dpi): the least the
// window may be. It grows to what its texts need in the font in use.
constexpr int twips(int t) { return t / 15; }
constexpr int MinimumClientWidth = twips(2640);
constexpr int SourceBoxLeft = twips(120);
constexpr int SourceBoxTop = twips(120);
constexpr int StatusPanelGap = 2;
constexpr int StatusTextIndent = 3;
constexpr qreal SourceBoxPointSize = 9.75;
const QColor SourceBoxColour(255, 255, 192);
// Fusion draws a drop-down list's face as a gradient, lighter and paler than its button colour;
// this deeper yellow makes the face come out around SourceBoxColour.
const QColor SourceBoxFaceColour(255, 255, 136);

// A status bar panel that shows runs of blanks (padded router names) as one and shortens a text
// too long for it in the middle, so that both the beginning and the channel number at the end
// ("[005]") stay readable.
class StatusPanel final : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QFrame::paintEvent(event);
        QPainter painter(this);
        const QRect area = contentsRect().adjusted(indent(), 0, 0, 0);
        painter.setPen(palette().color(foregroundRole()));
        painter.drawText(area, static_cast<int>(alignment()),
                         fontMetrics().elidedText(text().simplified(), Qt::ElideMiddle, area.width()));
    }
};

// The application's style, except that a combo box's list drops down below it instead of
// opening over it around the current entry.
class DropDownListStyle final : public QProxyStyle {
public:
    explicit DropDownListStyle(QObject* owner) : QProxyStyle(QApplication::style()->name()) { setParent(owner); }

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == QStyle::SH_ComboBox_Popup)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// Status panel 2: "OK", "NC" or "NF" whole, with the panel's frame and indent.
int StatePanelWidth(const QFontMetrics& metrics)
{
    return metrics.horizontalAdvance(QStringLiteral("NF")) + 2 * (StatusTextIndent + 2) + metrics.averageCharWidth();
}

} // namespace

// The client width: status panel 1 shows "Destination: " + a name of ReadableNameLength characters
// + " [nnn]" (up to four digits, and the longest of its other texts) whole beside panel 2, the
// source box shows a source of that length whole, and the caption fits the title bar; never less
// than the classic width.
int MainWindow::ReadableClientWidth() const
{
    const QFontMetrics metrics = fontMetrics();
    int panel1 = metrics.horizontalAdvance(QStringLiteral("Destination:  [0000]"))
        + ReadableNameLength * WidestCharacter(metrics);
    panel1 = std::max(panel1, metrics.horizontalAdvance(QStringLiteral("Destination Controlled (NC) ")));
    const int bar = panel1 + 2 * (StatusTextIndent + 2) + StatusPanelGap + StatePanelWidth(metrics) + StatusPanelGap;
    const int box = ChannelBoxWidth(*m_cmboSourceSelect) + 2 * SourceBoxLeft;
    return std::max({MinimumClientWidth, bar, box, TitleBarWidth(*this)});
}

MainWindow::MainWindow(Panel& panel) : m_panel(panel)
{
    setObjectName(QStringLiteral("frmTovaMain"));
    setWindowTitle(QStringLiteral("ZEB Vantrel"));
    // Only the buttons named here: a fixed-size panel has nothing to maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint
                   | Qt::WindowStaysOnTopHint);

    auto* central = new QWidget(this);
    m_cmboSourceSelect = new QComboBox(central);
    m_cmboSourceSelect->setObjectName(QStringLiteral("cmboSourceSelect"));
    m_cmboSourceSelect->setEditable(false);
    m_cmboSourceSelect->setEnabled(false);
    QFont font = m_cmboSourceSelect->font();
    font.setBold(true);
    font.setPointSizeF(SourceBoxPointSize);
    m_cmboSourceSelect->setFont(font);
    // The light-yellow face through the palette, so the style still draws its own frame and arrow.
    // A disabled box keeps its colour; only its text greys out.
    QPalette palette = m_cmboSourceSelect->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const QColor text = group == QPalette::Disabled ? QColor(80, 80, 80) : QColor(Qt::black);
        palette.setColor(group, QPalette::Base, SourceBoxColour);
        palette.setColor(group, QPalette::Button, SourceBoxFaceColour);
        palette.setColor(group, QPalette::Text, text);
        palette.setColor(group, QPalette::ButtonText, text);
        // Salvo results and a feeding destination show as the box's text, not as an entry.
        palette.setColor(group, QPalette::PlaceholderText, text);
    }
    m_cmboSourceSelect->setPalette(palette);
    m_cmboSourceSelect->view()->setPalette(palette);
    // A classic drop-down: the list opens below the box, a screenful at most.
    m_cmboSourceSelect->setStyle(new DropDownListStyle(m_cmboSourceSelect));
    m_cmboSourceSelect->setMaxVisibleItems(20);
    const int clientWidth = ReadableClientWidth();
    m_cmboSourceSelect->setGeometry(SourceBoxLeft, SourceBoxTop, clientWidth - 2 * SourceBoxLeft,
                                    m_cmboSourceSelect->sizeHint().height());
    // activated comes only from the operator (mouse, arrow keys, typing a name), never from code.
    connect(m_cmboSourceSelect, &QComboBox::activated, this, [this](int index) {
        cmboSourceSelect_Click(m_panel, index, m_cmboSourceSelect->itemText(index));
    });
    // The box is the window's one control: it takes the keyboard for the window.
    setFocusProxy(m_cmboSourceSelect);
    // The status bar's own top spacing separates the box from the panels below it.
    central->setFixedSize(clientWidth, SourceBoxTop + m_cmboSourceSelect->height());
    setCentralWidget(central);

    // Two sunken panels side by side, the destination taking the width the connection state leaves.
    const auto makePanel = [](const QString& name, const QString& text, const QString& tip) {
        auto* label = new StatusPanel(text);
        label->setObjectName(name);
        label->setToolTip(tip);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setIndent(StatusTextIndent);
        return label;
    };
    m_statusPanel1 = makePanel(QStringLiteral("StatusBar1Panel1"), QStringLiteral("Not Specified"),
                               QStringLiteral("Destination Under Control"));
    m_statusPanel2 = makePanel(QStringLiteral("StatusBar1Panel2"), QStringLiteral("NF"),
                               QStringLiteral("Server Network Connection Status"));
    m_statusPanel2->setAlignment(Qt::AlignCenter);
    m_statusPanel2->setFixedWidth(StatePanelWidth(m_statusPanel2->fontMetrics()));
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    bar->setContentsMargins(0, 0, StatusPanelGap, 0);
    auto* panels = new QWidget(bar);
    auto* row = new QHBoxLayout(panels);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(StatusPanelGap);
    row->addWidget(m_statusPanel1, 1);
    row->addWidget(m_statusPanel2);
    bar->addWidget(panels, 1);

    // Ends the salvo result message.
    m_tmrSalvoMsg = new QTimer(this);
    m_tmrSalvoMsg->setObjectName(QStringLiteral("tmrSalvoMsg"));
    m_tmrSalvoMsg->setInterval(1000);
    connect(m_tmrSalvoMsg, &QTimer::timeout, this, [this] {
        tmrSalvoMsg_Timer(m_panel);
    });

    buildMenus();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

QAction* MainWindow::addCommand(QMenu* menu, MenuCommand command, const char* objectName,
                                const QString& caption)
{
    QAction* act = menu->addAction(caption);
    act->setObjectName(QLatin1String(objectName));
    m_actions[command] = act;
    return act;
}

void MainWindow::buildMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    addCommand(file, MenuCommand::Setup, "mnuSetup", QStringLiteral("&Setup"));
    addCommand(file, MenuCommand::Password, "mnuPassword", QStringLiteral("&Password"));
    file->addSeparator()->setObjectName(QStringLiteral("mnuSep4"));
    addCommand(file, MenuCommand::DisplayList, "mnuDsiplayList", QStringLiteral("Edit Display& List"));
    file->addSeparator()->setObjectName(QStringLiteral("mnuSep"));
    addCommand(file, MenuCommand::SalvoMode, "mnuSalvoMode", QStringLiteral("Salvo Mode"));
    file->addSeparator()->setObjectName(QStringLiteral("mnuSep1"));
    addCommand(file, MenuCommand::Connect, "mnuConnect", QStringLiteral("&Connect"));
    file->addSeparator()->setObjectName(QStringLiteral("mnuSep2"));
    addCommand(file, MenuCommand::Exit, "mnuExit", QStringLiteral("E&xit"));

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    addCommand(help, MenuCommand::Contents, "mnuContents", QStringLiteral("&Contents"));
    help->addSeparator()->setObjectName(QStringLiteral("mnuSep3"));
    addCommand(help, MenuCommand::About, "mnuAbout", QStringLiteral("&About"));

    // Each command forwards to its handler.
    const std::pair<MenuCommand, void (*)(Panel&)> handlers[] = {
        {MenuCommand::Setup, mnuSetup_Click},         {MenuCommand::Password, mnuPassword_Click},
        {MenuCommand::DisplayList, mnuDsiplayList_Click}, {MenuCommand::SalvoMode, mnuSalvoMode_Click},
        {MenuCommand::Connect, mnuConnect_Click},     {MenuCommand::Exit, Unload_Program},
        {MenuCommand::Contents, mnuContents_Click},   {MenuCommand::About, mnuAbout_Click},
    };
    for (const auto& [command, handler] : handlers)
        connect(m_actions.at(command), &QAction::triggered, this, [this, handler = handler] {
            handler(m_panel);
        });
}

void MainWindow::setWindowOrder(int order)
{
    const bool topMost = order == TopMost;
    if (topMost == bool(windowFlags() & Qt::WindowStaysOnTopHint))
        return;
    // Changing the flag re-creates the native window; keep its place and size.
    const bool visible = isVisible();
    const QRect frame = geometry();
    setWindowFlag(Qt::WindowStaysOnTopHint, topMost);
    if (visible) {
        setGeometry(frame);
        show();
    }
}

void MainWindow::addSourceItems(const QStringList& texts) { m_cmboSourceSelect->addItems(texts); }

void MainWindow::setSourceBoxFrozen(bool frozen) { m_cmboSourceSelect->setUpdatesEnabled(!frozen); }

void MainWindow::setSalvoTimerEnabled(bool enabled)
{
    // Enabling a running timer leaves its countdown alone: start() would begin it anew.
    if (!enabled)
        m_tmrSalvoMsg->stop();
    else if (!m_tmrSalvoMsg->isActive())
        m_tmrSalvoMsg->start();
}

void MainWindow::clearSourceBox()
{
    m_cmboSourceSelect->setPlaceholderText(QString());
    m_cmboSourceSelect->clear();
}

void MainWindow::addSourceItem(const QString& text) { m_cmboSourceSelect->addItem(text); }

void MainWindow::setSourceIndex(int index)
{
    m_cmboSourceSelect->setPlaceholderText(QString());
    m_cmboSourceSelect->setCurrentIndex(index);
}

int MainWindow::sourceCount() const { return m_cmboSourceSelect->count(); }

// The box is not editable, so it has no edit text of its own: a non-editable QComboBox shows its
// placeholder text while no entry is selected, which shows the text without adding an entry that
// the operator could pick.
void MainWindow::setSourceText(const QString& text)
{
    m_cmboSourceSelect->setPlaceholderText(text);
    m_cmboSourceSelect->setCurrentIndex(-1);
}
void MainWindow::setSourceBoxEnabled(bool enabled)
{
    m_cmboSourceSelect->setEnabled(enabled);
    // A disabled box cannot hold the focus; it takes it once enabled unless something else has it.
    if (enabled && !focusWidget())
        m_cmboSourceSelect->setFocus();
}

void MainWindow::clearOutputSelect()
{
    m_outputSelect.clear();
}

void MainWindow::addOutputSelectItem(const QString& text)
{
    m_outputSelect.add(text);
}

void MainWindow::setOutputSelectIndex(int index) { m_outputSelect.setIndex(index); }

void MainWindow::setStatusText(int panel, const QString& text)
{
    (panel == 1 ? m_statusPanel1 : m_statusPanel2)->setText(text);
}

void MainWindow::setMenuEnabled(MenuCommand command, bool enabled)
{
    m_actions.at(command)->setEnabled(enabled);
}

void MainWindow::setMenuCaption(MenuCommand command, const QString& caption)
{
    m_actions.at(command)->setText(caption);
}

void MainWindow::closeAllWindows()
{
    // Modal windows from the top of the modal stack down (the most recently opened first, so a box
    // closes before the dialog it came from), then any other window, the main window last.
    while (QWidget* modal = QApplication::activeModalWidget())
        if (!modal->close())
            break;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window != this && window->isVisible())
            window->close();
    if (!m_closing)
        close();
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    m_cmboSourceSelect->setFocus();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    m_closing = true;
    Unload_Program(m_panel);
    event->accept();
    Q_EMIT closed();
}
