// Feeds arbitrary bytes as one network data file: its loader and the state it is applied to, and
// (for one input in 256) the whole one-time read, a poll tick and the server location check
// with the file among well-formed others.

#include "FuzzPanel.h"

#include "core/Display.h"
#include "filemode/NetworkFiles.h"
#include "filemode/PollCycle.h"
#include "filemode/VerifyServerLocation.h"

#include <QDir>
#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

QByteArray I16(int v)
{
    const char bytes[2] = {static_cast<char>(v & 0xff), static_cast<char>((v >> 8) & 0xff)};
    return QByteArray(bytes, 2);
}

QByteArray Names(int count, char letter)
{
    QByteArray b;
    for (int p = 0; p < count; ++p)
        b += QByteArray(1, letter) + QByteArray::number(p).rightJustified(7, '0');
    return b;
}

// Channels 0.. in position order, as one byte (classic) or two (extended) each.
QByteArray Channels(int count, bool wide)
{
    QByteArray b;
    for (int p = 0; p < count; ++p)
        b += wide ? I16(p) : QByteArray(1, static_cast<char>(p));
    return b;
}

struct Set {
    const char* names[4];
    QByteArray files[4];
};

// A classic 256 x 256 set, and an extended 1351 set of 40 sources (plus OFF) and 20 destinations.
const Set& BaseSet(bool extended)
{
    static const Set classic{{"Alpha.ndf", "Xptmap.ndf", "Inhbt.ndf", "Status.ndf"},
                             {Names(256, 'S') + Channels(256, false) + Names(256, 'D') + Channels(256, false),
                              QByteArray(1, 1) + Channels(256, false), QByteArray(65536, '\0'), QByteArray(1, 1)}};
    static const Set ext = [] {
        QByteArray map = QByteArray(1, 1) + I16(20);
        for (int d = 0; d < 20; ++d)
            map += I16(d % 3) + (d % 3 ? I16(d) + I16(d + 1) : QByteArray()).left((d % 3) * 2);
        return Set{{"lAlpha.ndf", "lXptmap.ndf", "lInhbt.ndf", "Status.ndf"},
                   {I16(1351) + I16(40) + Names(40, 'S') + Channels(40, true) + I16(20) + Names(20, 'D') + Channels(20, true),
                    map, I16(20) + I16(41) + QByteArray(20 * 41, '0'), QByteArray(1, 0)}};
    }();
    return extended ? ext : classic;
}

void Write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

} // namespace

namespace {

// A memory file system where there is one: writing a file per input must not be the run's cost.
QString WorkDirTemplate()
{
    const QString shm = QStringLiteral("/dev/shm");
    return (QDir(shm).exists() ? shm : QDir::tempPath()) + QStringLiteral("/tova-fuzz-XXXXXX");
}

// The input's bytes as one file, parsed as the worker would (from memory: no file system in the
// way) and applied as the GUI thread would.
void ParseAndApply(FuzzPanel& f, const QByteArray& bytes, int kind, bool extended)
{
    PanelState& s = f.s;
    QBuffer in;
    in.setData(bytes);
    in.open(QIODevice::ReadOnly);
    switch (kind) {
    case 0:
        if (auto t = DataFiles::ParseAlpha(in, extended, 1)) {
            DataFiles::ApplyAlpha(s, std::move(*t));
            UpdateAlphaData(f.panel);
        }
        break;
    case 1: {
        DataFiles::MapLoad load = DataFiles::ParseCrosspoints(in, extended, std::nullopt);
        if (load.read == DataFiles::MapRead::Changed && DataFiles::ApplyCrosspoints(s, std::move(load.tables)))
            FollowCurrentSource(f.panel, SourceChange::File);
        break;
    }
    case 2:
        if (auto t = DataFiles::ParseInhibits(in, extended, 1, s.NumInputs, s.NumOutputs))
            if (DataFiles::ApplyInhibits(s, std::move(*t)))
                UpdateAlphaData(f.panel);
        break;
    default:
        DataFiles::ParseStatusByte(in);
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static QTemporaryDir dir(WorkDirTemplate());
    if (size < 1 || !dir.isValid())
        return 0;
    const QString server = dir.path() + u'/';

    // The first byte picks the layout of the others and the file the input replaces.
    const std::uint8_t mode = data[0];
    const bool extended = mode & 1;
    const Set& set = BaseSet(extended);
    const int target = (mode >> 1) & 3;
    // The input is read in place. A classic inhibit file is 64 KB: with bit 4 set a shorter input
    // is only its start and the rest is zeros (nothing inhibited), so that short inputs reach the
    // whole file's path (inputs grown to 64 KB cost a core's time in proportion and reach nothing
    // else). The padded file is one buffer kept for the run, so that a padded input costs no
    // 64 KB allocation: only the bytes the previous input wrote are zeroed again.
    const auto bytes = reinterpret_cast<const char*>(data + 1);
    const auto length = static_cast<qsizetype>(size - 1);
    static QByteArray padded(65536, '\0');
    static qsizetype paddedDirty = 0;
    QByteArray input;
    if (target == 2 && !extended && (mode & 16) && length < padded.size()) {
        char* p = padded.data();
        std::memset(p, 0, static_cast<std::size_t>(paddedDirty));
        std::memcpy(p, bytes, static_cast<std::size_t>(length));
        paddedDirty = length;
        input = padded;
    } else {
        input = QByteArray::fromRawData(bytes, length);
    }
    // Every 256th input (the first one too, so that a single input run again takes both paths)
    // also goes through the whole read, tick and check on real files, which costs some twenty
    // times a file alone. A choice made from the input's bytes would be bred into every input by
    // the fuzzer's coverage feedback.
    static unsigned runs = 0;
    const bool whole = runs++ % 256 == 0;

    // A file alone is applied to a small router (its tables sized by what the file says), which
    // costs little to put back per input; the whole read of a classic set needs 256 x 256.
    const PanelReset reset;
    const auto prepare = [mode](int channels) -> FuzzPanel& {
        FuzzPanel& f = FreshPanel(channels);
        f.s.ErrorLogEnabled = false;
        f.s.DisplayList = QString(f.s.NumInputs, u'1');
        f.s.OutputControlled = (mode >> 5) & 7;
        f.s.HideInhibits = mode & 8;
        return f;
    };
    ParseAndApply(prepare(16), input, target, extended);
    if (!whole)
        return 0;
    FuzzPanel& f = prepare(extended ? 16 : 256);
    PanelState& s = f.s;

    // Only what the previous input changed is rewritten: the whole set when the layout changes,
    // else the one file the previous input replaced (writing files is most of a run's cost).
    static int lastLayout = -1;
    static int lastTarget = -1;
    if (lastLayout != int(extended)) {
        QDir d(dir.path());
        for (const QString& name : d.entryList(QDir::Files))
            d.remove(name);
        for (int i = 0; i < 4; ++i)
            if (i != target)
                Write(server + QLatin1String(set.names[i]), set.files[i]);
    } else if (lastTarget != target) {
        Write(server + QLatin1String(set.names[lastTarget]), set.files[lastTarget]);
    }
    lastLayout = int(extended);
    lastTarget = target;
    Write(server + QLatin1String(set.names[target]), input);

    s.ServerPath = server;
    ReadNetworkFiles(f.panel, [](bool) {});
    // Make the next tick re-read every file, whatever its time.
    s.XptMapStamp ^= 0x55;
    s.AlphaFileTime = s.InhibitFileTime = s.StatusFileTime = 0;
    FilePollTick(f.panel);
    int setupIndex = mode >> 5;
    VerifyServerLocation(f.panel, dir.path(), setupIndex, [](VerifyResult) {});
    return 0;
}
