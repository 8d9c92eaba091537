#include "dialogs/SetupDialog.h"

#include "dialogs/OutputSelect.h"
#include "dialogs/SetupHelp.h"
#include "dialogs/WindowWidth.h"
#include "state/Panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEnterEvent>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QFile>
#include <QTreeView>
#include <QVBoxLayout>
#include <QWindow>

namespace {

template <typename W>
W* Named(W* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QLabel* Label(const QString& caption, const char* name, QWidget* parent)
{
    return Named(new QLabel(caption, parent), name);
}

QLineEdit* TextBox(const QString& text, const char* name, QWidget* parent)
{
    auto* box = Named(new QLineEdit(text, parent), name);
    box->setMinimumWidth(120);
    return box;
}

// The mounted volumes from the kernel's table, without asking any of them anything: a share
// that stopped answering must not hold the window. Kernel pseudo file systems are left out.
QStringList MountPoints()
{
    QStringList points{QStringLiteral("/")};
    QFile table(QStringLiteral("/proc/self/mounts"));
    if (!table.open(QIODevice::ReadOnly))
        return points;
    const QByteArrayList networkTypes{"nfs", "nfs4", "cifs", "smb3", "smbfs", "9p", "fuse", "fuseblk"};
    for (const QByteArray& line : table.readAll().split('\n')) {
        const QByteArrayList fields = line.split(' ');
        if (fields.size() < 3)
            continue;
        const QByteArray& type = fields[2];
        if (!fields[0].startsWith('/') && !networkTypes.contains(type) && !type.startsWith("fuse."))
            continue;
        // Blanks and the like in a mount point are written as octal escapes ("\040").
        QByteArray point = fields[1];
        for (qsizetype i = point.indexOf('\\'); i >= 0 && i + 3 < point.size(); i = point.indexOf('\\', i + 1))
            point.replace(i, 4, QByteArray(1, static_cast<char>(point.mid(i + 1, 3).toInt(nullptr, 8))));
        const QString path = QString::fromLocal8Bit(point);
        if (!points.contains(path))
            points << path;
    }
    return points;
}

// The volume a path lies on: the longest mount point that contains it.
QString VolumeOf(const QString& path)
{
    QString best = QStringLiteral("/");
    for (const QString& point : MountPoints())
        if ((path == point || path.startsWith(point.endsWith(u'/') ? point : point + u'/')) && point.size() > best.size())
            best = point;
    return best;
}

// Which field a text box stands for, for the key filter.
SetupField FieldOf(const QObject* box)
{
    const QString name = box->objectName();
    if (name == u"txtIP")
        return SetupField::txtIP;
    if (name == u"txtIpPort")
        return SetupField::txtIpPort;
    if (name == u"txtPassword")
        return SetupField::txtPassword;
    if (name == u"txtPollRate")
        return SetupField::txtPollRate;
    if (name == u"txtIPTimeOut")
        return SetupField::txtIPTimeOut;
    if (name == u"txtRefresh")
        return SetupField::txtRefresh;
    if (name == u"txtTimeout")
        return SetupField::txtTimeout;
    return SetupField::None;
}

} // namespace

SetupDialog::SetupDialog(Panel& panel, OutputSelect& destinations, QWidget* parent)
    : PanelDialog(parent), m_panel(panel), m_destinations(destinations)
{
    setObjectName(QStringLiteral("frmTovaFile"));
    setWindowTitle(QStringLiteral("ZEB Tova Vantrel Setup"));
    setModal(true);

    QGroupBox* FrmSelect = createModeSelect();
    createFileMode();
    createIpMode();
    QGroupBox* frmSetupHelp = createOptionsAndButtons();

    // The two mode panels share one place; only the selected mode's is visible.
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);  // frIPMode's top at 120 twips
    layout->addWidget(m_frFileMode, 0, 0, 4, 1);
    layout->addWidget(m_frIPMode, 0, 0, 4, 1);
    layout->addWidget(FrmSelect, 0, 1);
    layout->addWidget(frmSetupHelp, 1, 1);
    layout->addWidget(Label(QStringLiteral("Destination Under Control"), "lblDestinationSelect", this), 4, 0);
    layout->addWidget(m_cmboOutputSelect, 5, 0);
    layout->addWidget(m_chkStayOnTop, 6, 0);
    layout->addWidget(m_ChkHideInhibits, 7, 0);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_cmdVerifyServer);
    buttons->addWidget(m_cmdOk);
    buttons->addWidget(m_cmdCancel);
    layout->addLayout(buttons, 2, 1, 6, 1, Qt::AlignBottom);

    // Key filters and field help.
    for (QLineEdit* box : {m_txtIP, m_txtIpPort, m_txtPassword, m_txtPollRate, m_txtIPTimeOut, m_txtRefresh, m_txtTimeout})
        box->installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>()) {
        if (!SetupHelp_ForControl(w->objectName(), false).isNull()) {
            w->setMouseTracking(true);
            w->installEventFilter(this);
        }
    }

    fillDrives();
    connectControls();
    render();
}

QGroupBox* SetupDialog::createModeSelect()
{
    auto* FrmSelect = Named(new QGroupBox(this), "FrmSelect");
    m_optFile = Named(new QRadioButton(QStringLiteral("File Mode"), FrmSelect), "optFile");
    m_optFile->setToolTip(QStringLiteral("Select for TRB-6 Vantrel in File Mode"));
    m_optTCPIP = Named(new QRadioButton(QStringLiteral("TCP/IP Mode"), FrmSelect), "optTCPIP");
    m_optTCPIP->setToolTip(QStringLiteral("Select for TRB-6 Vantrel in TCP/IP Mode"));
    auto* selectLayout = new QVBoxLayout(FrmSelect);
    selectLayout->addWidget(m_optFile);
    selectLayout->addWidget(m_optTCPIP);
    return FrmSelect;
}

// The server drive and directory, refresh rate and time-out.
void SetupDialog::createFileMode()
{
    m_frFileMode = Named(new QGroupBox(QStringLiteral("File Information"), this), "frFileMode");
    m_frDirSelect = Named(new QGroupBox(m_frFileMode), "frDirSelect");
    auto* lbDriveName = Label(QStringLiteral("Server Drive:"), "lbDriveName", m_frDirSelect);
    m_drvDrive = Named(new QComboBox(m_frDirSelect), "drvDrive");
    auto* lblDirName = Label(QStringLiteral("Server Directory:"), "lblDirName", m_frDirSelect);
    m_dirDirectory = Named(new QTreeView(m_frDirSelect), "dirDirectory");
    m_dirModel = new QFileSystemModel(this);
    m_dirModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    m_dirModel->setRootPath(QDir::rootPath());
    m_dirDirectory->setModel(m_dirModel);
    connect(m_dirModel, &QFileSystemModel::directoryLoaded, this, &SetupDialog::directoryListed);
    // The model sorts a listed directory a moment later, which moves the rows again.
    connect(m_dirModel, &QAbstractItemModel::layoutChanged, this, [this] {
        if (!m_shownDirectory.isEmpty())
            m_dirDirectory->scrollTo(m_dirModel->index(m_shownDirectory), QAbstractItemView::PositionAtCenter);
    });
    for (int column = 1; column < m_dirModel->columnCount(); ++column)
        m_dirDirectory->hideColumn(column);
    m_dirDirectory->setHeaderHidden(true);
    m_dirDirectory->setMinimumSize(220, 160);
    // Once the operator scrolls the tree, it stays where the operator put it.
    connect(m_dirDirectory->verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this] { m_shownDirectory.clear(); });
    auto* dirLayout = new QVBoxLayout(m_frDirSelect);
    dirLayout->addWidget(lbDriveName);
    dirLayout->addWidget(m_drvDrive);
    dirLayout->addWidget(lblDirName);
    dirLayout->addWidget(m_dirDirectory);
    m_txtRefresh = TextBox(QStringLiteral("100"), "txtRefresh", m_frFileMode);
    m_txtTimeout = TextBox(QStringLiteral("30"), "txtTimeout", m_frFileMode);
    auto* fileLayout = new QGridLayout(m_frFileMode);
    fileLayout->addWidget(m_frDirSelect, 0, 0, 1, 2);
    fileLayout->addWidget(Label(QStringLiteral("Refresh Rate"), "lblRefresh", m_frFileMode), 1, 0);
    fileLayout->addWidget(m_txtRefresh, 1, 1);
    fileLayout->addWidget(Label(QStringLiteral("Time Out"), "lblTimeout", m_frFileMode), 2, 0);
    fileLayout->addWidget(m_txtTimeout, 2, 1);
}

// The server's address, port and password, poll rate and time-out.
void SetupDialog::createIpMode()
{
    m_frIPMode = Named(new QGroupBox(QStringLiteral("TCP/IP Information"), this), "frIPMode");
    m_txtIP = TextBox(QStringLiteral("000.000.000.000"), "txtIP", m_frIPMode);
    m_txtIP->setToolTip(QStringLiteral("TCP/IP Address Of ZEB Server Computer"));
    m_txtIpPort = TextBox(QStringLiteral("1250"), "txtIpPort", m_frIPMode);
    m_txtIpPort->setToolTip(QStringLiteral("IP Port used to by ZEB Server Module"));
    m_txtPassword = TextBox(QString(), "txtPassword", m_frIPMode);
    m_txtPassword->setEchoMode(QLineEdit::Password);
    m_txtPassword->setToolTip(QStringLiteral("Password to log into ZEB Server Module"));
    m_txtPollRate = TextBox(QStringLiteral("1"), "txtPollRate", m_frIPMode);
    m_txtIPTimeOut = TextBox(QStringLiteral("20"), "txtIPTimeOut", m_frIPMode);
    auto* ipLayout = new QGridLayout(m_frIPMode);
    ipLayout->addWidget(Label(QStringLiteral("ZEB Server IP Address "), "lblIP", m_frIPMode), 0, 0);
    ipLayout->addWidget(m_txtIP, 0, 1);
    ipLayout->addWidget(Label(QStringLiteral("Zeb Server IP Port"), "lblIpPort", m_frIPMode), 1, 0);
    ipLayout->addWidget(m_txtIpPort, 1, 1);
    ipLayout->addWidget(Label(QStringLiteral("ZEB Server Password"), "lblPassword", m_frIPMode), 2, 0);
    ipLayout->addWidget(m_txtPassword, 2, 1);
    ipLayout->addWidget(Label(QStringLiteral("Poll Rate"), "lblPollRate", m_frIPMode), 3, 0);
    ipLayout->addWidget(m_txtPollRate, 3, 1);
    ipLayout->addWidget(Label(QStringLiteral("Time Out"), "lblIPTimeOut", m_frIPMode), 4, 0);
    ipLayout->addWidget(m_txtIPTimeOut, 4, 1);
    ipLayout->setRowStretch(5, 1);
}

// The destination, the window options, the help panel (returned) and the buttons.
QGroupBox* SetupDialog::createOptionsAndButtons()
{
    m_cmboOutputSelect = Named(new QComboBox(this), "cmboOutputSelect");
    m_cmboOutputSelect->setModel(m_destinations.model());
    m_cmboOutputSelect->setMinimumWidth(ChannelBoxWidth(*m_cmboOutputSelect));
    m_chkStayOnTop = Named(new QCheckBox(QStringLiteral("Keep Control Panel On Top"), this), "chkStayOnTop");
    m_ChkHideInhibits = Named(new QCheckBox(QStringLiteral("Hide &Inhibits/Use Dsiplay List"), this), "ChkHideInhibits");
    m_ChkHideInhibits->setToolTip(QStringLiteral("Check to hide inhibits in list of inputs"));
    auto* frmSetupHelp = Named(new QGroupBox(QStringLiteral("Setup Help"), this), "frmSetupHelp");
    m_lblHelp = Label(SetupHelp_Initial(), "lblHelp", frmSetupHelp);
    m_lblHelp->setWordWrap(true);
    m_lblHelp->setMinimumWidth(220);
    auto* helpLayout = new QVBoxLayout(frmSetupHelp);
    helpLayout->addWidget(m_lblHelp);
    helpLayout->addStretch(1);
    m_cmdVerifyServer = Named(new QPushButton(QStringLiteral("&Verify Server Location"), this), "cmdVerifyServer");
    m_cmdVerifyServer->setToolTip(QStringLiteral("Verify server location"));
    m_cmdOk = Named(new QPushButton(QStringLiteral("&Ok"), this), "cmdOk");
    m_cmdOk->setToolTip(QStringLiteral("Accept current settings"));
    m_cmdCancel = Named(new QPushButton(QStringLiteral("&Cancel"), this), "cmdCancel");
    m_cmdCancel->setToolTip(QStringLiteral("Abort any changes and exit"));
    for (QPushButton* button : {m_cmdVerifyServer, m_cmdOk, m_cmdCancel})
        button->setAutoDefault(false);
    return frmSetupHelp;
}

void SetupDialog::connectControls()
{
    connect(m_optFile, &QRadioButton::clicked, this, [this] {
        collectTexts();
        Setup_optFileClick(m_form);
        render();
    });
    connect(m_optTCPIP, &QRadioButton::clicked, this, [this] {
        collectTexts();
        Setup_optTCPIPClick(m_form);
        render();
    });
    connect(m_cmboOutputSelect, &QComboBox::activated, this, [this](int index) {
        Setup_OutputSelectClick(m_panel, m_form, index);
    });
    connect(&m_destinations, &OutputSelect::indexChanged, m_cmboOutputSelect, &QComboBox::setCurrentIndex);
    connect(m_drvDrive, &QComboBox::activated, this, &SetupDialog::driveActivated);
    connect(m_dirDirectory->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (!m_rendering && current.isValid())
                    directoryClicked(m_dirModel->filePath(current));
            });
    connect(m_cmdVerifyServer, &QPushButton::clicked, this, &SetupDialog::verify);
    connect(m_cmdOk, &QPushButton::clicked, this, &SetupDialog::ok);
    connect(m_cmdCancel, &QPushButton::clicked, this, &SetupDialog::reject);
}

void SetupDialog::showEvent(QShowEvent* event)
{
    PanelDialog::showEvent(event);
    if (m_form.Tag != SetupInitialTag)
        return;
    // The dialog shows at its size first; what the opening finds (and an "Invalid Drive" message)
    // follows.
    Setup_Activate(m_panel, m_form, [this] {
        m_cmboOutputSelect->setCurrentIndex(m_destinations.index());
        render();
    });
    render();
}

void SetupDialog::render()
{
    m_rendering = true;
    (m_form.optTCPIP ? m_optTCPIP : m_optFile)->setChecked(true);
    m_frIPMode->setVisible(m_form.frIPModeVisible);
    m_frFileMode->setVisible(m_form.frFileModeVisible);
    m_cmboOutputSelect->setEnabled(m_form.cmboOutputSelectEnabled);
    m_chkStayOnTop->setEnabled(m_form.chkStayOnTopEnabled);
    m_ChkHideInhibits->setEnabled(m_form.ChkHideInhibitsEnabled);
    m_cmdOk->setEnabled(m_form.cmdOkEnabled && !m_form.waiting);
    m_cmdVerifyServer->setEnabled(m_form.cmdVerifyServerEnabled && !m_form.waiting);
    m_chkStayOnTop->setChecked(m_form.chkStayOnTop);
    m_ChkHideInhibits->setChecked(m_form.ChkHideInhibits);
    const std::pair<QLineEdit*, const QString*> texts[] = {
        {m_txtRefresh, &m_form.txtRefresh},   {m_txtTimeout, &m_form.txtTimeout},
        {m_txtIP, &m_form.txtIP},             {m_txtIpPort, &m_form.txtIpPort},
        {m_txtPassword, &m_form.txtPassword}, {m_txtPollRate, &m_form.txtPollRate},
        {m_txtIPTimeOut, &m_form.txtIPTimeOut}};
    for (const auto& [box, text] : texts)
        if (box->text() != *text)
            box->setText(*text);
    if (!m_form.directory.isEmpty())
        showDirectory(m_form.directory);
    m_rendering = false;
}

void SetupDialog::collectTexts()
{
    m_form.txtRefresh = m_txtRefresh->text();
    m_form.txtTimeout = m_txtTimeout->text();
    m_form.txtIP = m_txtIP->text();
    m_form.txtIpPort = m_txtIpPort->text();
    m_form.txtPassword = m_txtPassword->text();
    m_form.txtPollRate = m_txtPollRate->text();
    m_form.txtIPTimeOut = m_txtIPTimeOut->text();
    m_form.chkStayOnTop = m_chkStayOnTop->isChecked();
    m_form.ChkHideInhibits = m_ChkHideInhibits->isChecked();
}

void SetupDialog::ok()
{
    collectTexts();
    Setup_Ok(m_panel, m_form, [this](bool hide) { okDone(hide); });
    render();
}

void SetupDialog::okDone(bool hide)
{
    if (m_form.windowOrder != 0 && windowHandle())
        windowHandle()->setFlag(Qt::WindowStaysOnTopHint, m_form.windowOrder == TopMost);
    render();
    if (hide) {
        accept();
        return;
    }
    const std::pair<SetupField, QLineEdit*> fields[] = {
        {SetupField::txtIP, m_txtIP},           {SetupField::txtIpPort, m_txtIpPort},
        {SetupField::txtPassword, m_txtPassword}, {SetupField::txtPollRate, m_txtPollRate},
        {SetupField::txtIPTimeOut, m_txtIPTimeOut}, {SetupField::txtRefresh, m_txtRefresh},
        {SetupField::txtTimeout, m_txtTimeout}};
    for (const auto& [field, box] : fields) {
        if (field == m_form.focus) {
            box->setFocus();
            box->selectAll();
        }
    }
}

void SetupDialog::reject()
{
    Setup_Cancel(m_form);
    PanelDialog::reject();
}

void SetupDialog::verify()
{
    collectTexts();
    Setup_Verify(m_panel, m_form, [this](bool close) {
        render();
        if (close)
            reject();
    });
    render();
}

void SetupDialog::fillDrives()
{
    m_drvDrive->clear();
    for (const QString& point : MountPoints())
        m_drvDrive->addItem(point, point);
    if (m_drvDrive->findData(QDir::rootPath()) < 0)
        m_drvDrive->insertItem(0, QDir::rootPath(), QDir::rootPath());
}

void SetupDialog::showDriveOf(const QString& path)
{
    const QString root = VolumeOf(path);
    int index = m_drvDrive->findData(root);
    if (index < 0) {
        m_drvDrive->addItem(root, root);
        index = m_drvDrive->count() - 1;
    }
    m_drvDrive->setCurrentIndex(index);
}

void SetupDialog::showDirectory(const QString& path)
{
    const bool wasRendering = m_rendering;
    m_rendering = true;
    showDriveOf(path);
    const QModelIndex root = m_dirModel->index(VolumeOf(path));
    m_dirDirectory->setRootIndex(root);
    const QModelIndex current = m_dirModel->index(path);
    m_dirDirectory->setCurrentIndex(current);
    // The model lists directories as it gets to them: open every directory above this one, and
    // scroll to it again each time one of them has been listed, until it stands where it shows.
    for (QModelIndex above = current.parent(); above.isValid() && above != root; above = above.parent())
        m_dirDirectory->expand(above);
    m_shownDirectory = path;
    m_dirDirectory->scrollTo(current, QAbstractItemView::PositionAtCenter);
    m_rendering = wasRendering;
}

void SetupDialog::directoryListed(const QString& listed)
{
    if (m_shownDirectory.isEmpty() || !(m_shownDirectory == listed || m_shownDirectory.startsWith(listed)))
        return;
    // The model adds a listed directory's entries in the order it found them and sorts them a
    // moment later, which would move the row away from where the tree scrolled: sort it now.
    m_dirModel->sort(0);
    m_dirDirectory->scrollTo(m_dirModel->index(m_shownDirectory), QAbstractItemView::PositionAtCenter);
}

void SetupDialog::driveActivated(int index)
{
    const QString root = m_drvDrive->itemData(index).toString();
    collectTexts();
    if (!Setup_DriveChange(m_panel, m_form, root)) {
        render();
        showDriveOf(m_form.directory.isEmpty() ? QDir::rootPath() : m_form.directory);
        return;
    }
    render();
}

void SetupDialog::directoryClicked(const QString& path)
{
    collectTexts();
    Setup_DirectoryChange(m_form, path);
    render();
}

bool SetupDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const SetupField field = FieldOf(watched);
        const QString text = static_cast<QKeyEvent*>(event)->text();
        // Only typed characters are filtered; editing and navigation keys pass.
        if (field != SetupField::None && text.size() == 1 && (text[0].isPrint() || text[0] == QChar(8))
            && !Setup_KeyAdmitted(field, text[0]))
            return true;
        return QDialog::eventFilter(watched, event);
    }
    if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove) {
        auto* widget = qobject_cast<QWidget*>(watched);
        const auto* pointer = static_cast<QSinglePointEvent*>(event);
        // The frame around the drive and directory lists explains itself only where none of
        // its own controls lies under the pointer.
        if (widget && !(widget == m_frDirSelect && widget->childAt(pointer->position().toPoint()))) {
            const QString help = SetupHelp_ForControl(widget->objectName(), m_optTCPIP->isChecked());
            if (!help.isNull())
                m_lblHelp->setText(help);
        }
    }
    return QDialog::eventFilter(watched, event);
}
