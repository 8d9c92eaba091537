#pragma once

#include <QObject>
#include <QStringListModel>

// The setup dialog's destination box cmboOutputSelect as the logic fills it: its entries and the
// selected one. The main window's view keeps it (the logic fills it while the dialog is hidden);
// the setup dialog shows it.
class OutputSelect final : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    QStringListModel* model() { return &m_model; }
    int index() const { return m_index; }

    void clear()
    {
        m_model.setStringList({});
        setIndex(-1);
    }
    void add(const QString& text)
    {
        const int row = m_model.rowCount();
        m_model.insertRows(row, 1);
        m_model.setData(m_model.index(row), text);
    }
    void setIndex(int index)
    {
        m_index = index;
        Q_EMIT indexChanged(index);
    }

Q_SIGNALS:
    void indexChanged(int index);

private:
    QStringListModel m_model;
    int m_index = -1;
};
