#include "filemode/NetworkFiles.h"

#include "core/Display.h"
#include "filemode/DataFiles.h"
#include "state/Panel.h"

using namespace DataFiles;

namespace {

bool ReadAlphaFileIn(PanelState& s, const Directory& dir)
{
    const auto alpha = Locate(dir, ExtAlpha, Alpha);
    return alpha && ReadAlpha(s, *alpha);
}

bool Fail(Panel& panel, const QString& text)
{
    panel.prompts.message(text, QStringLiteral("Error Reading File"), MsgIcon::Critical, MsgButtons::Ok);
    return false;
}

} // namespace

bool ReadAlphaFile(PanelState& s)
{
    return ReadAlphaFileIn(s, Directory(s.ServerPath));
}

bool ReadNetworkFiles(Panel& panel)
{
    PanelState& s = panel.s;
    if (s.ServerPath.isEmpty())
        return false;
    const Directory dir(s.ServerPath);
    if (!ReadAlphaFileIn(s, dir))
        return Fail(panel, QStringLiteral("Error Reading Alpha Information File!"));

    const auto map = Locate(dir, ExtXptmap, Xptmap);
    if (!map || ReadCrosspoints(s, *map, false) == MapRead::Failed)
        return Fail(panel, QStringLiteral("Error Reading Crosspoint Map Information File!"));

    const auto inhibits = Locate(dir, ExtInhibit, Inhibit);
    if (!inhibits || !ReadInhibits(s, *inhibits))
        return Fail(panel, QStringLiteral("Error Reading Inhibit Information File!"));

    UpdateAlphaData(panel);
    return true;
}
