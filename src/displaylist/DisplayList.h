#pragma once

#include <QString>

#include <vector>

struct PanelState;

// One row of either list of the display list editor.
struct DisplayListRow {
    QString key;   // "Ch.0001": unique within a list
    QString text;  // "Inpt0001 (Ch.0001)"
    int channel = 0;
};

// "Ch." + the 1-based channel, at least four digits.
QString DisplayListKey(int channel);
// The row of a source channel, named from InputAlphas.
DisplayListRow DisplayListRowOf(const PanelState& s, int channel);

// frmDisplayListView's logic: the router's sources on the left, the display list being edited on
// the right. Selections are row indices of the respective list.
class DisplayListEditor {
public:
    // Refills both lists from the state: every source, then the sources whose character is "1".
    void activate(const PanelState& s);

    const std::vector<DisplayListRow>& master() const { return m_master; }
    const std::vector<DisplayListRow>& current() const { return m_current; }

    // True when the right-hand list holds a row with exactly this key.
    bool KeyExists(const QString& key) const;

    // Appends the selected (or all) left-hand rows that the right-hand list lacks, in left order.
    void add(const std::vector<int>& selectedMasterRows);
    void addAll();
    // Removes the selected (or all) right-hand rows.
    void remove(const std::vector<int>& selectedCurrentRows);
    void removeAll();

    // The display list the right-hand list stands for: NumInputs characters, "1" per row's channel.
    QString build(int numInputs) const;
    // OK: writes the built list into DisplayList.
    void ok(PanelState& s) const;

    // The dialog has closed: both lists are emptied.
    void unload();

private:
    void append(const DisplayListRow& row);

    std::vector<DisplayListRow> m_master;
    std::vector<DisplayListRow> m_current;
};
