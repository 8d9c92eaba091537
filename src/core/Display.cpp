#include "core/Display.h"

#include "core/OverPanel.h"
#include "state/ExchangeOrder.h"
#include "state/Panel.h"
#include "state/TableFault.h"
#include "storage/ErrorLog.h"

#include <QStringBuilder>
#include <QStringList>

#include <charconv>
#include <functional>
#include <utility>
#include <vector>

namespace {


void checkIndex(int index, int count, const char* box)
{
    if (index < 0 || index >= count)
        throw TableFault{{InvalidPropertyValue, QStringLiteral("Invalid property value: %1 entry %2 of %3")
                                                        .arg(QLatin1String(box))
                                                        .arg(index)
                                                        .arg(count)}};
}

const QChar HiddenMark = u'{';
const QString OffEntry = QStringLiteral("- OFF -");

bool HasOffSource(const PanelState& s) { return ::HasOffSource(s.SystemType); }

// Last position that is sorted and listed by name; the OFF source of these systems follows it.
int LastNamedPosition(const PanelState& s) { return s.NumInputs - (HasOffSource(s) ? 2 : 1); }

// A display list character whose numeric value is 0 ("0" or any non-digit) leaves the source out.
bool DisplayListHides(QChar c) { return c < u'1' || c > u'9'; }

bool Inhibited(const PanelState& s, int source, int destination)
{
    // Sources beyond the map's rows are ones the server sent no inhibits for, such as the panel's
    // own OFF source while the map still has its previous size: they are not inhibited.
    if (source >= s.InhibitSources && destination >= 0 && destination < s.InhibitDestinations)
        return false;
    if (!s.inhibitInRange(source, destination))
        throw TableFault{{SubscriptOutOfRange, QStringLiteral("Subscript out of range: InhibitMap(%1, %2) of %3 x %4")
                                                       .arg(source)
                                                       .arg(destination)
                                                       .arg(s.InhibitSources)
                                                       .arg(s.InhibitDestinations)}};
    return s.inhibit(source, destination);
}

// Marks the names of hidden sources with "{" and copies the channels. True when any source is hidden.
bool MarkHiddenSources(PanelState& s)
{
    bool anyHidden = false;
    for (int i = 0; i < s.NumInputs; ++i) {
        const int p = CheckedAt(s.InputPosition, i, "InputPosition");
        const QString& name = CheckedAt(s.InputAlphaList, p, "InputAlphaList");
        // A source beyond the end of the display list is always offered, whatever its inhibits.
        bool hidden = false;
        if (i < s.DisplayList.size())
            hidden = DisplayListHides(s.DisplayList.at(i))
                || (s.HideInhibits && Inhibited(s, i, s.OutputControlled));
        CheckedAt(s.ComboAlphaList, p, "ComboAlphaList") = hidden ? HiddenMark + name.mid(1, 7) : name;
        CheckedAt(s.ComboChannelList, i, "ComboChannelList") = CheckedAt(s.InputChannelList, i, "InputChannelList");
        anyHidden = anyHidden || hidden;
    }
    return anyHidden;
}

struct SortKey {
    bool marked;  // begins with "{": hidden or no such source
    QString upper;
};

// Order of the source box: by upper-cased name, compared by character code, except that a name
// beginning with "{" always counts as greater than one that does not. For names whose first
// character lies below "{" (letters, digits, most signs) that is the plain comparison; it also
// keeps names beginning with a character above "{" ("Écho", "~Line") before the hidden ones, so
// that the limited box is exactly positions 0.. of ComboChannelList.
bool Less(const SortKey& a, const SortKey& b)
{
    if (a.marked != b.marked)
        return b.marked;
    return QString::compare(a.upper, b.upper, Qt::CaseSensitive) < 0;
}

// Sorts positions 0 to last so that the hidden names come after the shown ones, in the exchange
// sort's order (not stable: equal names may change places), the one the panel has always shown.
void SortLimitedList(PanelState& s)
{
    const int last = LastNamedPosition(s);
    if (last < 1)
        return;
    // Both lists must reach position last before anything is moved.
    CheckedAt(s.ComboAlphaList, last, "ComboAlphaList");
    CheckedAt(s.ComboChannelList, last, "ComboChannelList");

    const auto count = static_cast<std::size_t>(last) + 1;
    std::vector<SortKey> keys;
    keys.reserve(count);
    for (std::size_t k = 0; k < count; ++k) {
        const QString& name = s.ComboAlphaList[k];
        keys.push_back({name.startsWith(HiddenMark), name.toUpper()});
    }
    const std::vector<std::size_t> order = ExchangeSortOrder(keys, Less);
    ApplyOrder(s.ComboAlphaList, order);
    ApplyOrder(s.ComboChannelList, order);
}

// First index of the source box (a position of ComboChannelList) that holds the channel, or -1.
// Strict: a ComboChannelList shorter than NumInputs is a TableFault; else the search ends there.
int FindComboEntry(const PanelState& s, int channel, bool strict = true)
{
    for (int k = 0; k < s.NumInputs; ++k) {
        if (!strict && k >= static_cast<int>(s.ComboChannelList.size()))
            break;
        if (CheckedAt(s.ComboChannelList, k, "ComboChannelList") == channel)
            return k;
    }
    return -1;
}

// The entry at index k of the box is marked hidden ("{"). Strict: an index ComboAlphaList does not
// have is a TableFault; else it counts as not hidden.
bool HiddenEntry(const PanelState& s, int k, bool strict)
{
    if (!strict && (k < 0 || k >= static_cast<int>(s.ComboAlphaList.size())))
        return false;
    return CheckedAt(s.ComboAlphaList, k, "ComboAlphaList").startsWith(HiddenMark);
}

// "Studio B  (ch 6)": the box's text for a destination fed by another destination.
void ShowFeeder(Panel& panel, int feeder)
{
    const PanelState& s = panel.s;
    panel.view.setSourceText(CheckedAt(s.OutputAlphaList, CheckedAt(s.OutputPosition, feeder, "OutputPosition"), "OutputAlphaList")
                             + QStringLiteral("  (ch ") + QString::number(feeder + 1) + QLatin1Char(')'));
}

// Updating is set while code selects an entry, and back as it was however the selection ends.
class UpdatingWhile {
public:
    explicit UpdatingWhile(PanelState& s) : m_s(s), m_was(s.Updating) { s.Updating = true; }
    ~UpdatingWhile() { m_s.Updating = m_was; }
    UpdatingWhile(const UpdatingWhile&) = delete;
    UpdatingWhile& operator=(const UpdatingWhile&) = delete;

private:
    PanelState& m_s;
    bool m_was;
};

bool FedByDestination(const OutputStatusRecord& r) { return r.SourceCount > 0 && r.OutputSourceCount == r.SourceCount; }

// Fills the emptied source box from positions 0 to last, leaving out the "{" names unless all
// are wanted, and adds "- OFF -" for the systems that have it.
void FillSourceBox(Panel& panel, bool all)
{
    PanelState& s = panel.s;
    QStringList entries;
    entries.reserve(LastNamedPosition(s) + 2);
    for (int k = 0; k <= LastNamedPosition(s); ++k) {
        const QString& name = CheckedAt(s.ComboAlphaList, k, "ComboAlphaList");
        if (all || !name.startsWith(HiddenMark))
            entries << ChannelEntry(name, CheckedAt(s.ComboChannelList, k, "ComboChannelList"));
    }
    const int named = static_cast<int>(entries.size());
    if (HasOffSource(s)) {
        entries << OffEntry;
        s.OffListIndex = named;
    } else {
        s.OffListIndex = s.NumInputs + 1;
    }
    panel.view.addSourceItems(entries);
}

// The controlled destination does not exist: the operator is told and, behind the login, chooses
// another in the setup dialog; the update then runs again with the destination now chosen. Each
// step follows the answer to the one before, while the link and the timers go on; then runs
// when the chain has ended.
void InvalidDestination(Panel& panel, const std::function<void()>& then)
{
    panel.prompts.message(QStringLiteral("Ch. %1 is an invalid Output Channel.\rPlease select a new output channel")
                              .arg(panel.s.OutputControlled + 1),
                          QStringLiteral("Channel Error"), MsgIcon::Critical, MsgButtons::Ok, [&panel, then](MsgResult) {
                              panel.s.OutputControlled = 0;
                              panel.s.OutputListIndex = 0;
                              OverPanel(panel, [&panel, then](ChainDone done) {
                                  panel.prompts.showDialog(Dialog::Login, QString(), [&panel, then, done](const QString&) {
                                      if (!panel.s.LoggedIn) {
                                          done();
                                          if (then)
                                              then();
                                          return;
                                      }
                                      panel.prompts.showDialog(Dialog::Setup, InitialTag, [&panel, then, done](const QString&) {
                                          done();
                                          UpdateAlphaData(panel, then);
                                      });
                                  });
                              });
                          });
}

// While the box is rebuilt it is frozen and Updating keeps its click handler out. Only a
// rebuild that gets to the end clears Updating: a half-built box may offer a source at an index
// whose ComboChannelList entry is another one, so it takes no choice until a rebuild succeeds.
// The box is redrawn however the rebuild ends.
class Rebuilding {
public:
    explicit Rebuilding(Panel& panel) : m_panel(panel)
    {
        m_panel.s.Updating = true;
        m_panel.view.setSourceBoxFrozen(true);
    }
    ~Rebuilding() { m_panel.view.setSourceBoxFrozen(false); }
    Rebuilding(const Rebuilding&) = delete;
    Rebuilding& operator=(const Rebuilding&) = delete;

private:
    Panel& m_panel;
};

// Rebuilds both boxes and status panel 1 for a destination that exists.
void RebuildView(Panel& panel)
{
    PanelState& s = panel.s;
    PanelView& view = panel.view;

    for (int p = 0; p < s.NumOutputs; ++p)
        if (CheckedAt(s.OutputChannelList, p, "OutputChannelList") == s.OutputControlled) {
            s.OutputListIndex = p;
            break;
        }

    Inhibit_Sort(panel);

    const OutputStatusRecord record = CheckedAt(s.OutputStatus, s.OutputControlled, "OutputStatus");
    const int k = FindComboEntry(s, record.Sources[0]);
    if (k >= 0)
        s.SourceListIndex = k;
    s.CurrentSource = record.Sources[0];

    const Rebuilding rebuilding(panel);
    view.clearSourceBox();
    FillSourceBox(panel, false);
    s.ListShowsAll = false;

    // The current source's index lies past the box's entries ("- OFF -" counts as one): offer
    // every source, the hidden ones with their "{", so that it can be shown. The OFF source is
    // never among the named entries and needs no full list. A hidden current source whose index
    // is that of "- OFF -" keeps the limited list, with "- OFF -" selected.
    const bool currentIsOff = HasOffSource(s) && s.CurrentSource == s.NumInputs - 1;
    if (s.SourceListIndex >= view.sourceCount() && !currentIsOff) {
        view.clearSourceBox();
        FillSourceBox(panel, true);
        s.ListShowsAll = true;
    }

    view.clearOutputSelect();
    for (int p = 0; p < s.NumOutputs; ++p)
        view.addOutputSelectItem(ChannelEntry(CheckedAt(s.OutputAlphaList, p, "OutputAlphaList"),
                                              CheckedAt(s.OutputChannelList, p, "OutputChannelList")));

    if (FedByDestination(record))
        ShowFeeder(panel, record.OutputSources[0]);
    else
        SelectCurrentEntry(panel, true);
    checkIndex(s.OutputListIndex, s.NumOutputs, "destination");
    view.setOutputSelectIndex(s.OutputListIndex);
    s.Updating = false;

    view.setStatusText(1, DestinationStatus(CheckedAt(s.OutputAlphaList, s.OutputListIndex, "OutputAlphaList"),
                                            s.OutputControlled));
}

// The update itself; false when it leads into the invalid-destination chain, which runs then
// when it ends.
bool UpdateOnce(Panel& panel, const std::function<void()>& then)
{
    PanelState& s = panel.s;
    if (s.SalvoMode)
        return true;
    try {
        if (s.OutputControlled > s.NumOutputs - 1) {
            InvalidDestination(panel, then);
            return false;
        }
        // TCP/IP mode: nothing to show until every table has arrived.
        if (s.TcpIpMode && !s.PanelPopulated)
            return true;
        // Placeholders follow the destinations that exist: this channel is not one of them.
        if (CheckedAt(s.OutputAlphaList, s.OutputControlled, "OutputAlphaList") == PlaceholderName) {
            InvalidDestination(panel, then);
            return false;
        }
        RebuildView(panel);
    } catch (const TableFault& e) {
        LogError(s, panel.clock, QStringLiteral("Error Updating Display"), QStringLiteral("Alpha Error"), e.failure);
    }
    return true;
}

} // namespace

QString ChannelEntry(const QString& name, int channel)
{
    // One allocation an entry: the box of a large router holds thousands.
    char digits[12];
    const char* end = std::to_chars(digits, digits + sizeof digits, channel + 1).ptr;
    return name % QLatin1String("   (ch ") % QLatin1String(digits, end) % QLatin1Char(')');
}

QString DestinationStatus(const QString& name, int channel)
{
    return QStringLiteral("Destination: ") + name + QStringLiteral(" [")
        + QStringLiteral("%1").arg(channel + 1, 3, 10, QLatin1Char('0')) + QLatin1Char(']');
}

void SelectSourceEntry(Panel& panel, int index)
{
    checkIndex(index, panel.view.sourceCount(), "source");
    panel.view.setSourceIndex(index);
}

void SelectCurrentEntry(Panel& panel, bool strict)
{
    const PanelState& s = panel.s;
    const int count = panel.view.sourceCount();
    const int index = s.SourceListIndex >= 0 && s.SourceListIndex < count ? s.SourceListIndex : s.OffListIndex;
    if (strict)
        checkIndex(index, count, "source");
    else if (index < 0 || index >= count)
        return;
    panel.view.setSourceIndex(index);
}

void FollowCurrentSource(Panel& panel, SourceChange change)
{
    PanelState& s = panel.s;
    const bool strict = change != SourceChange::File;
    if (!strict && (s.OutputControlled < 0 || s.OutputControlled >= static_cast<int>(s.OutputStatus.size())))
        return;
    const OutputStatusRecord& r = CheckedAt(s.OutputStatus, s.OutputControlled, "OutputStatus");
    if (change == SourceChange::File)
        s.CurrentSource = r.Sources[0];
    if (change == SourceChange::Map && FedByDestination(r)) {
        ShowFeeder(panel, r.OutputSources[0]);
        return;
    }

    const int k = FindComboEntry(s, r.Sources[0], strict);
    if (k >= 0)
        s.SourceListIndex = k;
    else if (change != SourceChange::File)
        return;

    // The box leaves hidden sources out unless the current one is hidden: a change either way
    // needs the other filling.
    if (change != SourceChange::Take && HiddenEntry(s, s.SourceListIndex, strict) != s.ListShowsAll) {
        UpdateAlphaData(panel);
        return;
    }
    const UpdatingWhile updating(s);
    if (change == SourceChange::Take)
        SelectSourceEntry(panel, k);
    else if (change == SourceChange::Map)
        SelectSourceEntry(panel, s.SourceListIndex > panel.view.sourceCount() ? s.OffListIndex : s.SourceListIndex);
    else
        SelectCurrentEntry(panel, false);
}

void Inhibit_Sort(Panel& panel)
{
    PanelState& s = panel.s;
    const QString title = QStringLiteral("Inhibit Sort Error");
    bool anyHidden = false;
    try {
        anyHidden = MarkHiddenSources(s);
    } catch (const TableFault& e) {
        LogError(s, panel.clock, QStringLiteral("Error using Display List"), title, e.failure);
        return;
    }
    if (!anyHidden)
        return;
    try {
        SortLimitedList(s);
    } catch (const TableFault& e) {
        LogError(s, panel.clock, QStringLiteral("Error Preparing limited list"), title, e.failure);
    }
}

void UpdateAlphaData(Panel& panel, const std::function<void()>& then)
{
    if (UpdateOnce(panel, then) && then)
        then();
}
