#include "core/Take.h"

#include "core/Salvo.h"
#include "core/ServerFiles.h"
#include "state/Panel.h"

#include <QFile>

#include <optional>

namespace {

const QString CommandError = QStringLiteral("Command Error");

bool FitsByte(int value) { return value >= 0 && value <= 0xFF; }
bool FitsInt16(int value) { return value >= -32768 && value <= 32767; }

void AppendInt16(QByteArray& bytes, int value)
{
    bytes.append(static_cast<char>(value & 0xFF));
    bytes.append(static_cast<char>((value >> 8) & 0xFF));
}

// Writes the take for the server software to pick up: source then destination, as unsigned bytes
// in "xpt00001.wcf" (type 1201) or little-endian 16-bit numbers in "xpt00002.wcf". The file is
// overwritten from its first byte and not truncated: a longer file keeps its remaining bytes.
bool WriteCommandFile(const PanelState& s, int destination, int source)
{
    QByteArray bytes;
    QString name;
    if (s.SystemType == 1201) {
        if (!FitsByte(source) || !FitsByte(destination))
            return false;
        bytes.append(static_cast<char>(source));
        bytes.append(static_cast<char>(destination));
        name = QStringLiteral("xpt00001.wcf");
    } else {
        if (!FitsInt16(source) || !FitsInt16(destination))
            return false;
        AppendInt16(bytes, source);
        AppendInt16(bytes, destination);
        name = QStringLiteral("xpt00002.wcf");
    }
    // ReadWrite creates a missing file and, unlike WriteOnly, does not truncate an existing one.
    QFile file(ServerFile(s, name));
    if (!file.open(QIODevice::ReadWrite))
        return false;
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    file.close();
    return written;
}

// Puts the box back on the current source: the new one shows only once the server reports it.
void ShowCurrentSource(Panel& panel)
{
    PanelState& s = panel.s;
    const int count = panel.view.sourceCount();
    const int index = s.SourceListIndex >= 0 && s.SourceListIndex < count ? s.SourceListIndex : s.OffListIndex;
    if (index < 0 || index >= count)
        return;
    s.Updating = true;
    panel.view.setSourceIndex(index);
    s.Updating = false;
}

void ShowCommandError(Panel& panel, const QString& text)
{
    panel.prompts.message(text, CommandError, MsgIcon::Critical, MsgButtons::Ok);
}

} // namespace

void cmboSourceSelect_Click(Panel& panel, int index, const QString& text)
{
    PanelState& s = panel.s;
    if (s.Updating)
        return;
    if (s.ServerPath.isEmpty() && !s.TcpIpMode)
        return;
    if (s.SalvoKeysShown || s.SalvoMode) {
        SalvoChoice(panel, index);
        return;
    }
    // Until the Server Module's tables are in, the box offers only "No System": choosing it must
    // not route whatever source the empty tables name.
    if (s.TcpIpMode && !s.PanelPopulated)
        return;

    // Index k of the box is position k of ComboChannelList; "- OFF -" is the last source.
    std::optional<int> source;
    if (index == s.OffListIndex)
        source = s.NumInputs - 1;
    else if (index >= 0 && index < static_cast<int>(s.ComboChannelList.size()))
        source = s.ComboChannelList[static_cast<std::size_t>(index)];
    const int destination = s.OutputControlled;
    const bool hidden = text.startsWith(u'{');

    ShowCurrentSource(panel);

    if (hidden) {
        ShowCommandError(panel, QStringLiteral("Invalid or Hidden Source selected\rTake Command Will Not Be Processed."));
        return;
    }
    const QString sendFailed = QStringLiteral("Error Sending Crosspoint Command To Server!");
    if (!source) {
        // An entry that no source stands for (the box is older than the tables): nothing is sent.
        ShowCommandError(panel, sendFailed);
        return;
    }
    if (s.TcpIpMode) {
        panel.server.SendCrosspointChange(destination, *source);
        return;
    }
    if (!WriteCommandFile(s, destination, *source))
        ShowCommandError(panel, sendFailed);
}
