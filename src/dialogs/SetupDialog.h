#pragma once

#include "dialogs/Setup.h"

#include "dialogs/PanelDialog.h"

class OutputSelect;
class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeView;
struct Panel;

// frmTovaFile: the panel's setup (mode, server directory or address, timing, destination, window
// order, hidden inhibits). Created once, then only shown and hidden; its controls keep their state.
class SetupDialog final : public PanelDialog {
    Q_OBJECT
public:
    SetupDialog(Panel& panel, OutputSelect& destinations, QWidget* parent = nullptr);

    // The Tag as it stands ("False" after Cancel); "Initial" before showing makes the dialog fill itself.
    QString tag() const override { return m_form.Tag; }
    void setTag(const QString& tag) override { m_form.Tag = tag; }

protected:
    void showEvent(QShowEvent* event) override;
    // Escape and the window's close button cancel as cmdCancel does.
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QGroupBox* createModeSelect();
    void createFileMode();
    void createIpMode();
    QGroupBox* createOptionsAndButtons();
    void connectControls();
    void render();
    void collectTexts();
    void ok();
    void okDone(bool hide);
    void verify();
    void driveActivated(int index);
    void directoryClicked(const QString& path);
    void showDirectory(const QString& path);
    void directoryListed(const QString& listed);
    void showDriveOf(const QString& path);
    void fillDrives();

    Panel& m_panel;
    OutputSelect& m_destinations;
    SetupForm m_form;
    bool m_rendering = false;
    QString m_shownDirectory;  // the directory the tree is to show as it is listed; none once the operator scrolls

    QRadioButton* m_optFile = nullptr;
    QRadioButton* m_optTCPIP = nullptr;
    QGroupBox* m_frFileMode = nullptr;
    QGroupBox* m_frDirSelect = nullptr;
    QComboBox* m_drvDrive = nullptr;
    QTreeView* m_dirDirectory = nullptr;
    QFileSystemModel* m_dirModel = nullptr;
    QLineEdit* m_txtRefresh = nullptr;
    QLineEdit* m_txtTimeout = nullptr;
    QGroupBox* m_frIPMode = nullptr;
    QLineEdit* m_txtIP = nullptr;
    QLineEdit* m_txtIpPort = nullptr;
    QLineEdit* m_txtPassword = nullptr;
    QLineEdit* m_txtPollRate = nullptr;
    QLineEdit* m_txtIPTimeOut = nullptr;
    QComboBox* m_cmboOutputSelect = nullptr;
    QCheckBox* m_chkStayOnTop = nullptr;
    QCheckBox* m_ChkHideInhibits = nullptr;
    QLabel* m_lblHelp = nullptr;
    QPushButton* m_cmdVerifyServer = nullptr;
    QPushButton* m_cmdOk = nullptr;
    QPushButton* m_cmdCancel = nullptr;
};
