#pragma once

#include "displaylist/DisplayList.h"

#include "dialogs/PanelDialog.h"

class QTreeWidget;
struct Panel;

// frmDisplayListView: chooses which sources the main window's source box offers. OK writes
// DisplayList in memory; Cancel leaves it. Either way the lists are refilled on the next showing.
class DisplayListDialog final : public PanelDialog {
    Q_OBJECT
public:
    DisplayListDialog(Panel& panel, QWidget* parent = nullptr);

    const DisplayListEditor& editor() const { return m_editor; }

protected:
    // Every showing starts from the current state.
    void showEvent(QShowEvent* event) override;

private:
    void activate();
    void showCurrent();
    void finish();
    static std::vector<int> selectedRows(const QTreeWidget* list);
    static void fill(QTreeWidget* list, const std::vector<DisplayListRow>& rows);

    Panel& m_panel;
    DisplayListEditor m_editor;
    QTreeWidget* m_lvChannel = nullptr;
    QTreeWidget* m_lvList = nullptr;
};
