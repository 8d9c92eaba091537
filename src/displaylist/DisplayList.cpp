#include "displaylist/DisplayList.h"

#include "state/PanelState.h"

#include <algorithm>

namespace {

// The OFF slot of the TCP/IP source table carries no channel suffix.
const QString OffName = QStringLiteral("- Off -");

} // namespace

QString DisplayListKey(int channel)
{
    return QStringLiteral("Ch.%1").arg(channel + 1, 4, 10, QLatin1Char('0'));
}

DisplayListRow DisplayListRowOf(const PanelState& s, int channel)
{
    DisplayListRow row;
    row.key = DisplayListKey(channel);
    row.channel = channel;
    const QString name = channel >= 0 && static_cast<std::size_t>(channel) < s.InputAlphas.size()
        ? s.InputAlphas[static_cast<std::size_t>(channel)]
        : QString();
    row.text = name == OffName ? name : name + QStringLiteral(" (") + row.key + QLatin1Char(')');
    return row;
}

void DisplayListEditor::activate(const PanelState& s)
{
    m_master.clear();
    m_current.clear();
    const int n = std::max(s.NumInputs, 0);
    m_master.reserve(static_cast<std::size_t>(n));
    for (int c = 0; c < n; ++c)
        m_master.push_back(DisplayListRowOf(s, c));
    // Characters beyond the end of the list count as not "1".
    const int listed = std::min(n, static_cast<int>(s.DisplayList.size()));
    for (int c = 0; c < listed; ++c) {
        if (s.DisplayList.at(c) == u'1')
            m_current.push_back(m_master[static_cast<std::size_t>(c)]);
    }
}

bool DisplayListEditor::KeyExists(const QString& key) const
{
    return std::any_of(m_current.begin(), m_current.end(),
                       [&](const DisplayListRow& r) { return r.key == key; });
}

void DisplayListEditor::append(const DisplayListRow& row)
{
    if (!KeyExists(row.key))
        m_current.push_back(row);
}

void DisplayListEditor::add(const std::vector<int>& selectedMasterRows)
{
    std::vector<int> rows = selectedMasterRows;
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (int i : rows) {
        if (i >= 0 && static_cast<std::size_t>(i) < m_master.size())
            append(m_master[static_cast<std::size_t>(i)]);
    }
}

void DisplayListEditor::addAll()
{
    for (const DisplayListRow& row : m_master)
        append(row);
}

void DisplayListEditor::remove(const std::vector<int>& selectedCurrentRows)
{
    std::vector<bool> selected(m_current.size(), false);
    for (int i : selectedCurrentRows) {
        if (i >= 0 && static_cast<std::size_t>(i) < selected.size())
            selected[static_cast<std::size_t>(i)] = true;
    }
    std::size_t out = 0;
    for (std::size_t i = 0; i < m_current.size(); ++i) {
        if (!selected[i])
            m_current[out++] = std::move(m_current[i]);
    }
    m_current.resize(out);
}

void DisplayListEditor::removeAll()
{
    m_current.clear();
}

QString DisplayListEditor::build(int numInputs) const
{
    QString list(std::max(numInputs, 0), QLatin1Char('0'));
    // The source count may have changed while the editor was open: rows beyond it are dropped.
    for (const DisplayListRow& row : m_current) {
        if (row.channel >= 0 && row.channel < list.size())
            list[row.channel] = QLatin1Char('1');
    }
    return list;
}

void DisplayListEditor::ok(PanelState& s) const
{
    s.DisplayList = build(s.NumInputs);
}

void DisplayListEditor::unload()
{
    m_master.clear();
    m_current.clear();
}
