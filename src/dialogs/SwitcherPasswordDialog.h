#pragma once

#include "dialogs/PanelDialog.h"

class QLabel;
class QLineEdit;
struct Panel;

// frmSwitcherPassword: asks the operator for the Server Module's password when the panel has
// none configured. The typed password answers this one request and is not stored.
class SwitcherPasswordDialog final : public PanelDialog {
    Q_OBJECT
public:
    // A fresh prompt for each request: it deletes itself once it has closed.
    SwitcherPasswordDialog(Panel& panel, QWidget* parent = nullptr);

    // Closes the prompt without answering (the link has ended).
    void dismiss();

    // Cancel, Escape and the window's close button: the operator's answer is the empty password.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ok();

    Panel& m_panel;
    QLabel* m_lblIP = nullptr;
    QLineEdit* m_txtPassword = nullptr;
};
