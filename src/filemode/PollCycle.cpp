#include "filemode/PollCycle.h"

#include "core/Display.h"
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
// that runs while it is open does not open another; the box does not stop the ticks.
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

// Each step reports whether the tick goes on; a missing or unreadable file ends it.
bool LoadCrosspointStep(const Directory& dir, const TickRequest& request, TickLoad& load)
{
    const auto map = Locate(dir, ExtXptmap, Xptmap);
    if (map)
        load.map = LoadCrosspoints(*map, request.stamp);
    return load.map.read != MapRead::Failed;
}

bool LoadNamesStep(const Directory& dir, const TickRequest& request, TickLoad& load)
{
    const auto alpha = Locate(dir, ExtAlpha, Alpha);
    if (!alpha)
        return false;
    if (FileTime(alpha->file) == request.alphaTime)
        return true;
    load.alpha = LoadAlpha(*alpha);
    return load.alpha.has_value();
}

bool LoadInhibitsStep(const Directory& dir, const TickRequest& request, TickLoad& load)
{
    const auto inhibits = Locate(dir, ExtInhibit, Inhibit);
    if (!inhibits)
        return false;
    if (FileTime(inhibits->file) == request.inhibitTime)
        return true;
    // The inhibits fit the router as it stands after this tick's names.
    const int inputs = load.alpha ? static_cast<int>(load.alpha->inNames.size()) : request.numInputs;
    const int outputs = load.alpha ? static_cast<int>(load.alpha->outNames.size()) : request.numOutputs;
    load.inhibits = LoadInhibits(*inhibits, inputs, outputs);
    return load.inhibits.has_value();
}

bool LoadStatusStep(const Directory& dir, const TickRequest& request, TickLoad& load)
{
    const auto status = dir.find(Status);
    if (!status)
        return false;
    load.statusTime = FileTime(*status);
    if (load.statusTime != request.statusTime) {
        load.status = LoadStatusByte(*status);
        if (!load.status)
            return false;
    }
    return true;
}

void ShowStatus(Panel& panel)
{
    PanelState& s = panel.s;
    s.FileMissCount = 0;
    s.FileErrorShown = false;
    if (s.ServerStatus == 1)
        panel.view.setStatusText(2, QStringLiteral("OK"));
    else if (s.ServerStatus == 0)
        panel.view.setStatusText(2, QStringLiteral("NC"));
}

} // namespace

TickRequest TickRequestFor(const PanelState& s)
{
    return {s.ServerPath, s.XptMapStamp, s.AlphaFileTime, s.InhibitFileTime, s.StatusFileTime, s.NumInputs, s.NumOutputs};
}

TickLoad LoadTick(const TickRequest& request)
{
    TickLoad load;
    // One listing per tick answers every existence and time question of the tick.
    const Directory dir(request.path);
    load.complete = LoadCrosspointStep(dir, request, load) && LoadNamesStep(dir, request, load)
        && LoadInhibitsStep(dir, request, load) && LoadStatusStep(dir, request, load);
    return load;
}

void ApplyTick(Panel& panel, TickLoad&& load)
{
    PanelState& s = panel.s;
    if (load.map.read == MapRead::Changed) {
        if (!ApplyCrosspoints(s, std::move(load.map.tables))) {
            Miss(panel);
            return;
        }
        FollowCurrentSource(panel, SourceChange::File);
    }
    if (load.alpha) {
        ApplyAlpha(s, std::move(*load.alpha));
        UpdateAlphaData(panel);
    }
    if (load.inhibits) {
        if (!ApplyInhibits(s, std::move(*load.inhibits))) {
            Miss(panel);
            return;
        }
        UpdateAlphaData(panel);
    }
    if (!load.complete) {
        Miss(panel);
        return;
    }
    if (load.status) {
        s.StatusFileTime = load.statusTime;
        s.ServerStatus = *load.status;
    }
    ShowStatus(panel);
}

void FilePollTick(Panel& panel)
{
    PanelState& s = panel.s;
    if (s.ServerPath.isEmpty())
        return;
    if (s.FileTickPending) {
        Miss(panel);
        return;
    }
    s.FileTickPending = true;
    const TickRequest request = TickRequestFor(s);
    RunOffThread<TickLoad>(panel.worker, [request] { return LoadTick(request); },
                           [&panel, request](std::optional<TickLoad> load) {
                               PanelState& st = panel.s;
                               st.FileTickPending = false;
                               // The directory or the mode changed while the files were out.
                               if (st.TcpIpMode || st.ServerPath != request.path)
                                   return;
                               if (!load) {  // no result: a tick without the files
                                   Miss(panel);
                                   return;
                               }
                               ApplyTick(panel, std::move(*load));
                           });
}
