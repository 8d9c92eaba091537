#pragma once

#include "dialogs/OutputSelect.h"
#include "state/Ports.h"

#include <QMainWindow>
#include <QStringListModel>

#include <map>

class QAction;
class QComboBox;
class QLabel;
class QTimer;
struct Panel;

// frmTovaMain: the source box, the two status panels and the menu bar. It forwards events to the
// panel's logic and shows what the logic tells it through PanelView; it holds no logic itself.
class MainWindow final : public QMainWindow, public PanelView {
    Q_OBJECT
public:
    // The panel whose events this window forwards.
    explicit MainWindow(Panel& panel);

    // PanelView
    void setWindowOrder(int order) override;
    void clearSourceBox() override;
    void addSourceItem(const QString& text) override;
    void setSourceIndex(int index) override;
    int sourceCount() const override;
    void setSourceText(const QString& text) override;
    void addSourceItems(const QStringList& texts) override;
    void setSourceBoxFrozen(bool frozen) override;
    void setSalvoTimerEnabled(bool enabled) override;
    void setSourceBoxEnabled(bool enabled) override;
    void clearOutputSelect() override;
    void addOutputSelectItem(const QString& text) override;
    void setOutputSelectIndex(int index) override;
    void setStatusText(int panel, const QString& text) override;
    void setMenuEnabled(MenuCommand command, bool enabled) override;
    void setMenuCaption(MenuCommand command, const QString& caption) override;
    void closeAllWindows() override;

    QAction* action(MenuCommand command) const { return m_actions.at(command); }
    // Contents of the setup dialog's destination box, which the setup dialog shows.
    OutputSelect* outputSelect() { return &m_outputSelect; }

Q_SIGNALS:
    // The window has closed after shut-down: the program ends.
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    int ReadableClientWidth() const;
    void buildMenus();
    QAction* addCommand(QMenu* menu, MenuCommand command, const char* objectName, const QString& caption);

    Panel& m_panel;
    QComboBox* m_cmboSourceSelect = nullptr;
    QLabel* m_statusPanel1 = nullptr;
    QLabel* m_statusPanel2 = nullptr;
    QTimer* m_tmrSalvoMsg = nullptr;
    std::map<MenuCommand, QAction*> m_actions;
    OutputSelect m_outputSelect;
    bool m_closing = false;
};
