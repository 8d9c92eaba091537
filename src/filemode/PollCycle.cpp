#include "filemode/PollCycle.h"

#include "core/Display.h"
#include "filemode/DataFiles.h"
#include "state/Panel.h"

using namespace DataFiles;

namespace {

const QString LostServerText = QStringLiteral(
    "Error Reading ZEB Server Network Data Files!\r"
    "\r"
    "Please verify the ZEB Server Software is running and that the network connection\r"
    "to that computer is functional. Until the Server connection is reestablished this\r"
    "software control panel will not function.");

// A tick that could not reach or read the files. The flag is set before the box opens, so a tick
// that runs while it is open does not open another.
void Miss(Panel& panel)
{
    PanelState& s = panel.s;
    if (++s.FileMissCount <= s.FileTimeOutTicks)
        return;
    s.FileMissCount = 0;
    panel.view.setStatusText(2, QStringLiteral("NF"));
    if (s.FileErrorShown)
        return;
    s.FileErrorShown = true;
    panel.prompts.message(LostServerText, QStringLiteral("Error Reading Network Files"), MsgIcon::Critical,
                          MsgButtons::Ok);
}

template <class T>
bool InRange(const std::vector<T>& v, int i) { return i >= 0 && static_cast<std::size_t>(i) < v.size(); }

// The map changed: select the controlled destination's new source, or rebuild the box when the
// source moved between the shown and the hidden entries.
void FollowControlledDestination(Panel& panel)
{
    PanelState& s = panel.s;
    if (!InRange(s.OutputStatus, s.OutputControlled))
        return;
    s.CurrentSource = s.OutputStatus[static_cast<std::size_t>(s.OutputControlled)].Sources[0];
    for (int i = 0; i < s.NumInputs && InRange(s.ComboChannelList, i); ++i)
        if (s.ComboChannelList[static_cast<std::size_t>(i)] == s.CurrentSource) {
            s.SourceListIndex = i;
            break;
        }
    const bool hidden = InRange(s.ComboAlphaList, s.SourceListIndex)
        && s.ComboAlphaList[static_cast<std::size_t>(s.SourceListIndex)].startsWith(u'{');
    if (hidden != s.ListShowsAll) {
        UpdateAlphaData(panel);
        return;
    }
    const int count = panel.view.sourceCount();
    const int index = s.SourceListIndex >= 0 && s.SourceListIndex < count ? s.SourceListIndex : s.OffListIndex;
    s.Updating = true;
    if (index >= 0 && index < count)
        panel.view.setSourceIndex(index);
    s.Updating = false;
}

// Steps that may find a file missing or unreadable return false; the tick then takes the miss path.
bool CheckCrosspoints(Panel& panel, const Directory& dir)
{
    const auto map = Locate(dir, ExtXptmap, Xptmap);
    if (!map)
        return false;
    const MapRead read = ReadCrosspoints(panel.s, *map, true);
    if (read == MapRead::Changed)
        FollowControlledDestination(panel);
    return read != MapRead::Failed;
}

bool CheckNames(Panel& panel, const Directory& dir)
{
    PanelState& s = panel.s;
    const auto alpha = Locate(dir, ExtAlpha, Alpha);
    if (!alpha)
        return false;
    if (FileTime(alpha->file) == s.AlphaFileTime)
        return true;
    if (!ReadAlpha(s, *alpha))
        return false;
    UpdateAlphaData(panel);
    return true;
}

bool CheckInhibits(Panel& panel, const Directory& dir)
{
    PanelState& s = panel.s;
    const auto inhibits = Locate(dir, ExtInhibit, Inhibit);
    if (!inhibits)
        return false;
    if (FileTime(inhibits->file) == s.InhibitFileTime)
        return true;
    if (!ReadInhibits(s, *inhibits))
        return false;
    UpdateAlphaData(panel);
    return true;
}

bool CheckStatus(Panel& panel, const Directory& dir)
{
    PanelState& s = panel.s;
    const auto status = dir.find(Status);
    if (!status)
        return false;
    const qint64 time = FileTime(*status);
    if (time != s.StatusFileTime) {
        const auto value = ReadStatusByte(*status);
        if (!value)
            return false;
        s.StatusFileTime = time;
        s.ServerStatus = *value;
    }
    s.FileMissCount = 0;
    s.FileErrorShown = false;
    if (s.ServerStatus == 1)
        panel.view.setStatusText(2, QStringLiteral("OK"));
    else if (s.ServerStatus == 0)
        panel.view.setStatusText(2, QStringLiteral("NC"));
    return true;
}

} // namespace

void FilePollTick(Panel& panel)
{
    if (panel.s.ServerPath.isEmpty())
        return;
    // One listing per tick answers every existence and time question of the tick.
    const Directory dir(panel.s.ServerPath);
    if (!CheckCrosspoints(panel, dir) || !CheckNames(panel, dir) || !CheckInhibits(panel, dir)
        || !CheckStatus(panel, dir))
        Miss(panel);
}
