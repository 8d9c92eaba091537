#include "core/Salvo.h"

#include "core/Display.h"
#include "state/Panel.h"
#include "state/TableFault.h"
#include "storage/ErrorLog.h"

#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

namespace {

const QString SalvoError = QStringLiteral("Salvo Error");

// The key list: "Key 002" .. "Key 256". Entry i stands for key value i + 1.
constexpr int FirstKeyLabel = 2;
constexpr int KeyEntries = 255;

// Entry i of a salvo table. The tables come from the network and need not agree with each other
// or with NumSalvos; an index outside the table sets failure and gives nothing.
template <class T>
std::optional<T> Entry(const std::vector<T>& table, qsizetype i, const char* name, Failure& failure)
{
    if (const T* entry = EntryIfAny(table, i))
        return *entry;
    failure = OutOfRangeFailure(name, i, static_cast<qint64>(table.size()));
    return std::nullopt;
}

void LeaveSalvoMode(Panel& panel)
{
    panel.s.SalvoMode = false;
    panel.s.SalvoKeysShown = false;
    panel.view.setMenuCaption(MenuCommand::SalvoMode, QStringLiteral("Salvo &Mode"));
    UpdateAlphaData(panel);
}

// Shows the outcome of a salvo attempt until tmrSalvoMsg ends salvo mode. It is the box's text,
// not an entry: the operator choosing an entry again would count as choosing a salvo.
void ShowResult(Panel& panel, bool executed)
{
    panel.s.Updating = true;
    panel.view.clearSourceBox();
    panel.view.setSourceText(executed ? QStringLiteral("Executed") : QStringLiteral("Failed"));
    panel.s.Updating = false;
    panel.view.setSalvoTimerEnabled(true);
}

void ChooseKey(Panel& panel, int index)
{
    PanelState& s = panel.s;
    s.SalvoKeysShown = false;
    const int key = static_cast<std::uint8_t>(index + 1);
    Failure failure;
    const std::optional<int> wanted = Entry(s.SalvoKeys, s.SalvoSelected, "SalvoKeys", failure);
    if (!wanted)
        LogError(s, panel.clock, QStringLiteral("Error Selecting Salvo Key"), SalvoError, failure);
    const bool matches = wanted && index >= 0 && index < KeyEntries && *wanted == key;
    if (matches)
        panel.server.SendSalvoExecute(s.SalvoSelected);
    ShowResult(panel, matches);
}

void ChooseSalvo(Panel& panel, int index)
{
    PanelState& s = panel.s;
    if (s.NumSalvos < 1) {
        LeaveSalvoMode(panel);
        return;
    }
    Failure failure;
    const std::optional<int> salvo = Entry(s.SalvoNumberList, index, "SalvoNumberList", failure);
    const std::optional<int> key = salvo ? Entry(s.SalvoKeys, *salvo, "SalvoKeys", failure) : std::nullopt;
    if (!key) {
        // Without its key value a salvo might be one that asks for a key: it is not run.
        LogError(s, panel.clock, QStringLiteral("Error Selecting Salvo"), SalvoError, failure);
        ShowResult(panel, false);
    } else if (*key != 0) {
        s.SalvoSelected = *salvo;
        s.SalvoKeysShown = true;
        DisplaySalvoKeys(panel);
    } else {
        panel.server.SendSalvoExecute(*salvo);
        ShowResult(panel, true);
    }
}

} // namespace

void mnuSalvoMode_Click(Panel& panel)
{
    if (panel.s.SalvoMode) {
        LeaveSalvoMode(panel);
        return;
    }
    // A result still timed from the previous visit keeps running: when it ends, it ends this
    // visit too and the source view returns.
    panel.s.SalvoMode = true;
    panel.view.setMenuCaption(MenuCommand::SalvoMode, QStringLiteral("Crosspoint &Mode"));
    DisplayFirstSalvo(panel);
}

void DisplayFirstSalvo(Panel& panel)
{
    PanelState& s = panel.s;
    if (!s.SalvoMode)
        return;
    // Over a key list the box shows the salvos, but SalvoKeysShown stays: the next choice is
    // still taken as a key for SalvoSelected.
    s.Updating = true;
    panel.view.clearSourceBox();
    const qsizetype named = std::min<qsizetype>(std::max(s.NumSalvos, 0), s.SalvoAlphaList.size());
    QStringList names(s.SalvoAlphaList.begin(), s.SalvoAlphaList.begin() + named);
    if (s.NumSalvos < 1)
        names << QStringLiteral("No Salvos");
    panel.view.addSourceItems(names);
    if (named < s.NumSalvos) {
        // The names end before the salvos do: the list stops there.
        LogError(s, panel.clock, QStringLiteral("Error Displaying First Salvo"), SalvoError,
                 OutOfRangeFailure("SalvoAlphaList", named, static_cast<qint64>(s.SalvoAlphaList.size())));
    } else {
        panel.view.setSourceIndex(0);
        panel.view.setStatusText(1, QStringLiteral("Salvo Mode"));
    }
    s.Updating = false;
}

void DisplaySalvoKeys(Panel& panel)
{
    PanelState& s = panel.s;
    if (!s.SalvoKeysShown)
        return;
    s.Updating = true;
    panel.view.clearSourceBox();
    QStringList keys;
    for (int k = FirstKeyLabel; k < FirstKeyLabel + KeyEntries; ++k)
        keys << QStringLiteral("Key %1").arg(k, 3, 10, QLatin1Char('0'));
    panel.view.addSourceItems(keys);
    panel.view.setSourceIndex(0);

    Failure failure;
    const std::optional<int> position = Entry(s.SalvoPosition, s.SalvoSelected, "SalvoPosition", failure);
    const std::optional<QString> name =
        position ? Entry(s.SalvoAlphaList, *position, "SalvoAlphaList", failure) : std::nullopt;
    if (name)
        panel.view.setStatusText(1, QStringLiteral("Salvo: ") + *name);
    else
        LogError(s, panel.clock, QStringLiteral("Error Displaying Salvo Key"), SalvoError, failure);
    s.Updating = false;
}

void SalvoChoice(Panel& panel, int index)
{
    if (panel.s.SalvoKeysShown)
        ChooseKey(panel, index);
    else
        ChooseSalvo(panel, index);
}

void tmrSalvoMsg_Timer(Panel& panel)
{
    panel.view.setSalvoTimerEnabled(false);
    if (panel.s.SalvoMode)
        LeaveSalvoMode(panel);
}
