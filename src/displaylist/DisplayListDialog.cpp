#include "displaylist/DisplayListDialog.h"

#include "dialogs/WindowWidth.h"
#include "state/Panel.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QTreeWidget* makeList(QWidget* parent, const QString& name, const QString& firstColumn)
{
    auto* list = new QTreeWidget(parent);
    list->setObjectName(name);
    list->setColumnCount(2);
    list->setHeaderLabels({firstColumn, QStringLiteral("Key")});
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setSortingEnabled(false);
    list->header()->setStretchLastSection(false);
    list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    list->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    // Wide enough for an entry of a name of ReadableNameLength of the font's widest letters and its
    // key beside it, each with the cell's margins, and the scroll bar.
    const QFontMetrics metrics = list->fontMetrics();
    const int cellMargins = 2 * (list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1);
    const int entry = ReadableNameLength * WidestCharacter(metrics)
        + metrics.horizontalAdvance(QStringLiteral(" (Ch.0000)")) + cellMargins;
    const int key = metrics.horizontalAdvance(QStringLiteral("Ch.0000")) + cellMargins;
    const int chrome = list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list) + 2 * list->frameWidth();
    list->setMinimumSize(std::max(230, entry + key + chrome), 260);
    return list;
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption, const QString& tip = {})
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    if (!tip.isEmpty())
        b->setToolTip(tip);
    return b;
}

} // namespace

DisplayListDialog::DisplayListDialog(Panel& panel, QWidget* parent) : PanelDialog(parent), m_panel(panel)
{
    setObjectName(QStringLiteral("frmDisplayListView"));
    setWindowTitle(QStringLiteral("Edit Display Lists"));
    setModal(true);

    auto* lblMasterList = new QLabel(QStringLiteral("Select Channels "), this);
    lblMasterList->setObjectName(QStringLiteral("lblMasterList"));
    auto* lblCurrentList = new QLabel(QStringLiteral("Current List "), this);
    lblCurrentList->setObjectName(QStringLiteral("lblCurrentList"));
    m_lvChannel = makeList(this, QStringLiteral("lvChannel"), QStringLiteral("Channel Alpha"));
    m_lvList = makeList(this, QStringLiteral("lvList"), QStringLiteral("Channel"));
    m_lvList->setToolTip(QStringLiteral("Current Display List"));

    const QString addTip = QStringLiteral("Add Selected Items to Current Display Listy");
    const QString removeTip = QStringLiteral("Remove Selected Items from Current Display List");
    auto* cmdAdd = makeButton(this, QStringLiteral("cmdAdd"), QStringLiteral("&Add >>"), addTip);
    auto* cmdAddAll = makeButton(this, QStringLiteral("cmdAddAll"), QStringLiteral("Add All >>"), addTip);
    auto* cmdRemove = makeButton(this, QStringLiteral("cmdRemove"), QStringLiteral("<< &Remove"), removeTip);
    auto* cmdRemoveAll = makeButton(this, QStringLiteral("cmdRemoveAll"), QStringLiteral("<< Remove All"), removeTip);
    auto* cmdOk = makeButton(this, QStringLiteral("cmdOk"), QStringLiteral("&Ok"));
    auto* cmdCancel = makeButton(this, QStringLiteral("cmdCancel"), QStringLiteral("&Cancel"));

    auto* middle = new QVBoxLayout;
    middle->addStretch(1);
    middle->addWidget(cmdAdd);
    middle->addWidget(cmdAddAll);
    middle->addSpacing(12);
    middle->addWidget(cmdRemove);
    middle->addWidget(cmdRemoveAll);
    middle->addStretch(1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(cmdOk);
    bottom->addWidget(cmdCancel);

    auto* layout = new QGridLayout(this);
    layout->addWidget(lblMasterList, 0, 0);
    layout->addWidget(lblCurrentList, 0, 2);
    layout->addWidget(m_lvChannel, 1, 0);
    layout->addLayout(middle, 1, 1);
    layout->addWidget(m_lvList, 1, 2);
    layout->addLayout(bottom, 2, 0, 1, 3);

    connect(cmdAdd, &QPushButton::clicked, this, [this] {
        m_editor.add(selectedRows(m_lvChannel));
        showCurrent();
    });
    connect(cmdAddAll, &QPushButton::clicked, this, [this] {
        m_editor.addAll();
        showCurrent();
    });
    connect(cmdRemove, &QPushButton::clicked, this, [this] {
        m_editor.remove(selectedRows(m_lvList));
        showCurrent();
    });
    connect(cmdRemoveAll, &QPushButton::clicked, this, [this] {
        m_editor.removeAll();
        showCurrent();
    });
    connect(cmdOk, &QPushButton::clicked, this, [this] {
        m_editor.ok(m_panel.s);
        accept();
    });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(this, &QDialog::finished, this, &DisplayListDialog::finish);
}

void DisplayListDialog::showEvent(QShowEvent* event)
{
    activate();
    PanelDialog::showEvent(event);
}

void DisplayListDialog::activate()
{
    m_editor.activate(m_panel.s);
    fill(m_lvChannel, m_editor.master());
    showCurrent();
}

void DisplayListDialog::showCurrent()
{
    fill(m_lvList, m_editor.current());
}

// Closed by OK, Cancel or the window's close button: both lists are emptied.
void DisplayListDialog::finish()
{
    m_editor.unload();
    m_lvChannel->clear();
    m_lvList->clear();
}

std::vector<int> DisplayListDialog::selectedRows(const QTreeWidget* list)
{
    std::vector<int> rows;
    const QModelIndexList selected = list->selectionModel()->selectedRows();
    rows.reserve(static_cast<std::size_t>(selected.size()));
    for (const QModelIndex& index : selected)
        rows.push_back(index.row());
    return rows;
}

void DisplayListDialog::fill(QTreeWidget* list, const std::vector<DisplayListRow>& rows)
{
    list->setUpdatesEnabled(false);
    list->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(rows.size()));
    for (const DisplayListRow& row : rows)
        items << new QTreeWidgetItem(QStringList{row.text, row.key});
    list->addTopLevelItems(items);
    list->setUpdatesEnabled(true);
}
