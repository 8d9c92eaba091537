#include "filemode/NetworkFiles.h"

#include "core/Display.h"
#include "state/Panel.h"

#include <algorithm>

using namespace DataFiles;

NetworkFilesLoad LoadNetworkFiles(const QString& serverPath)
{
    NetworkFilesLoad load;
    const Directory dir(serverPath);
    const auto alpha = Locate(dir, ExtAlpha, Alpha);
    if (alpha)
        load.alpha = LoadAlpha(*alpha);
    if (!load.alpha) {
        load.failed = NetworkFilesLoad::Names;
        return load;
    }
    if (const auto map = Locate(dir, ExtXptmap, Xptmap))
        load.map = LoadCrosspoints(*map, std::nullopt);
    if (load.map.read == MapRead::Failed) {
        load.failed = NetworkFilesLoad::Crosspoints;
        return load;
    }
    if (const auto inhibits = Locate(dir, ExtInhibit, Inhibit))
        load.inhibits = LoadInhibits(*inhibits, static_cast<int>(load.alpha->inNames.size()),
                                     static_cast<int>(load.alpha->outNames.size()));
    if (!load.inhibits)
        load.failed = NetworkFilesLoad::Inhibits;
    return load;
}

namespace {

// Applies what was loaded, in the order the files are read; the first step that failed (loading or
// applying) ends it. The names read before a failure stay.
NetworkFilesLoad::Step Apply(PanelState& s, NetworkFilesLoad& load)
{
    if (!load.alpha)
        return NetworkFilesLoad::Names;
    ApplyAlpha(s, std::move(*load.alpha));
    if (load.failed == NetworkFilesLoad::Crosspoints || !ApplyCrosspoints(s, std::move(load.map.tables)))
        return NetworkFilesLoad::Crosspoints;
    if (!load.inhibits || !ApplyInhibits(s, std::move(*load.inhibits)))
        return NetworkFilesLoad::Inhibits;
    return NetworkFilesLoad::None;
}

QString FailureText(NetworkFilesLoad::Step step)
{
    switch (step) {
    case NetworkFilesLoad::Names: return QStringLiteral("Error Reading Alpha Information File!");
    case NetworkFilesLoad::Crosspoints: return QStringLiteral("Error Reading Crosspoint Map Information File!");
    default: return QStringLiteral("Error Reading Inhibit Information File!");
    }
}

} // namespace

void ReadNetworkFiles(Panel& panel, std::function<void(bool read)> then)
{
    const QString path = panel.s.ServerPath;
    if (path.isEmpty()) {
        then(false);
        return;
    }
    RunOffThread<NetworkFilesLoad>(
        panel.worker, [path] { return LoadNetworkFiles(path); },
        [&panel, then = std::move(then)](std::optional<NetworkFilesLoad> load) {
            // No result (not read within FileTimeOut, or the worker ended first) counts as a read
            // that failed at its first file.
            const NetworkFilesLoad::Step failed = load ? Apply(panel.s, *load) : NetworkFilesLoad::Names;
            if (failed != NetworkFilesLoad::None) {
                panel.prompts.message(FailureText(failed), QStringLiteral("Error Reading File"), MsgIcon::Critical,
                                      MsgButtons::Ok, [then](MsgResult) { then(false); });
                return;
            }
            UpdateAlphaData(panel);
            then(true);
        },
        std::max(panel.s.FileTimeOut, 1) * 1000);
}
