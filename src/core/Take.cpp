#include "core/Take.h"

#include "core/Display.h"
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

// The command file of a take: source then destination, as unsigned bytes in "xpt00001.wcf"
// (type 1201) or little-endian 16-bit numbers in "xpt00002.wcf". Nothing when a channel does
// not fit its field.
struct CommandFile {
    QString path;
    QByteArray bytes;
};
std::optional<CommandFile> CommandFileFor(const PanelState& s, int destination, int source)
{
    QByteArray bytes;
    if (s.SystemType == 1201) {
        if (!FitsByte(source) || !FitsByte(destination))
            return std::nullopt;
        bytes.append(static_cast<char>(source));
        bytes.append(static_cast<char>(destination));
        return CommandFile{ServerFile(s, QStringLiteral("xpt00001.wcf")), bytes};
    }
    if (!FitsInt16(source) || !FitsInt16(destination))
        return std::nullopt;
    AppendInt16(bytes, source);
    AppendInt16(bytes, destination);
    return CommandFile{ServerFile(s, QStringLiteral("xpt00002.wcf")), bytes};
}

// Runs off the GUI thread. The file is overwritten from its first byte and not truncated: a longer
// file keeps its remaining bytes (ReadWrite creates a missing file and, unlike WriteOnly, does not
// truncate an existing one).
bool WriteCommandFile(const CommandFile& command)
{
    QFile file(command.path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    const bool written = file.write(command.bytes) == command.bytes.size() && file.flush();
    file.close();
    return written;
}

// Puts the box back on the current source: the new one shows only once the server reports it.
void ShowCurrentSource(Panel& panel)
{
    panel.s.Updating = true;
    SelectCurrentEntry(panel, false);
    panel.s.Updating = false;
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
    const auto command = CommandFileFor(s, destination, *source);
    if (!command) {
        ShowCommandError(panel, sendFailed);
        return;
    }
    // The server directory may be a share that stopped answering: the file is written off the GUI
    // thread, and a write that has not finished in time counts as failed.
    RunOffThread<bool>(
        panel.worker, [command = *command] { return WriteCommandFile(command); },
        [&panel, sendFailed](std::optional<bool> written) {
            if (!written.value_or(false))
                ShowCommandError(panel, sendFailed);
        },
        ServerFileTimeout);
}
