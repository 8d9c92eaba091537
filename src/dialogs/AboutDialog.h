#pragma once

#include <QDialog>

class QLabel;
struct Panel;

// frmTovaAbout: the program's name and version and the current connection settings. Created once
// and shown with run() each time; it changes nothing.
class AboutDialog final : public QDialog {
    Q_OBJECT
public:
    AboutDialog(Panel& panel, QWidget* parent = nullptr);

    // Shows the box modally; the Tag is returned unchanged.
    QString run(const QString& tag);

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
