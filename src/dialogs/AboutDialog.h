#pragma once

#include "dialogs/PanelDialog.h"

class QLabel;
struct Panel;

// frmTovaAbout: the program's name and version and the current connection settings. Created once
// and shown each time; it changes nothing.
class AboutDialog final : public PanelDialog {
    Q_OBJECT
public:
    AboutDialog(Panel& panel, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    Panel& m_panel;
    QLabel* m_lblVersionInfo = nullptr;
    QLabel* m_lblServerLocation = nullptr;
    QLabel* m_lblOutputControlled = nullptr;
    QLabel* m_lblRate = nullptr;
    QLabel* m_lblTimeout = nullptr;
};
