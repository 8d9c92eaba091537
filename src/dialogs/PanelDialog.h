#pragma once

#include "dialogs/WindowWidth.h"

#include <QDialog>

#include <functional>
#include <utility>

// A dialog of the panel, shown without waiting: it opens modal (the operator answers it before
// the main window) but the caller returns at once, and the event loop, the link and the timers go
// on. The opener passes a Tag in; closed runs with the Tag the dialog closed with.
class PanelDialog : public QDialog {
public:
    explicit PanelDialog(QWidget* parent = nullptr) : QDialog(parent)
    {
        setWindowModality(Qt::ApplicationModal);
        connect(this, &QDialog::finished, this, [this] {
            if (auto closed = std::exchange(m_closed, nullptr))
                closed(tag());
        });
    }

    void openWith(const QString& tag, std::function<void(const QString&)> closed)
    {
        setTag(tag);
        m_closed = std::move(closed);
        setMinimumWidth(std::max(minimumWidth(), TitleBarWidth(*this)));
        show();
        raise();
        activateWindow();
    }

    // The Tag as it stands; dialogs that read or report one override both.
    virtual QString tag() const { return m_tag; }
    virtual void setTag(const QString& tag) { m_tag = tag; }

private:
    QString m_tag;
    std::function<void(const QString&)> m_closed;
};
