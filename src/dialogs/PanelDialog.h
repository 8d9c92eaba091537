#pragma once

#include "dialogs/WindowWidth.h"

#include <QDialog>
#include <QEvent>
#include <QLayout>

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
        fitTitle();
        show();
        raise();
        activateWindow();
    }

    // The Tag as it stands; dialogs that read or report one override both.
    virtual QString tag() const { return m_tag; }
    virtual void setTag(const QString& tag) { m_tag = tag; }

protected:
    // Texts set as the dialog opens (or later) make its layout ask for more room: the least width
    // follows, so that the window grows to show them whole.
    bool event(QEvent* event) override
    {
        const bool handled = QDialog::event(event);
        if (event->type() == QEvent::LayoutRequest || event->type() == QEvent::WindowTitleChange)
            fitTitle();
        return handled;
    }

private:
    // The least width: what the layout needs, or what the title needs when that is more. Once set
    // here, the layout no longer sets the width itself, so this follows every layout request.
    void fitTitle()
    {
        const int contents = layout() ? layout()->totalMinimumSize().width() : 0;
        setMinimumWidth(std::max(contents, TitleBarWidth(*this)));
    }

    QString m_tag;
    std::function<void(const QString&)> m_closed;
};
