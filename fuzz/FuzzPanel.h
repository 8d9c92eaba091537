#pragma once

#include "state/Panel.h"

#include <QStringList>

#include <map>

// Ports that accept everything and keep nothing, so a fuzz run's memory stays flat.
class NullView final : public PanelView {
public:
    void setWindowOrder(int) override {}
    void clearSourceBox() override { items = 0; }
    void addSourceItem(const QString&) override { ++items; }
    void setSourceIndex(int) override {}
    int sourceCount() const override { return items; }
    void setSourceText(const QString&) override {}
    void addSourceItems(const QStringList& texts) override { items += static_cast<int>(texts.size()); }
    void setSourceBoxFrozen(bool) override {}
    void setSalvoTimerEnabled(bool) override {}
    void setSourceBoxEnabled(bool) override {}
    void clearOutputSelect() override {}
    void addOutputSelectItem(const QString&) override {}
    void setOutputSelectIndex(int) override {}
    void setStatusText(int, const QString&) override {}
    void setMenuEnabled(MenuCommand, bool) override {}
    void setMenuCaption(MenuCommand, const QString&) override {}
    void closeAllWindows() override {}
    int items = 0;
};

// Answers every box with OK and closes every dialog unchanged, at once.
class NullPrompts final : public Prompts {
public:
    void closeDialog(Dialog) override {}
    bool openHelp() override { return false; }
    QString helpPage() const override { return {}; }

protected:
    void showMessage(const QString&, const QString&, MsgIcon, MsgButtons, Answered done) override { done(MsgResult::Ok); }
    void openDialog(Dialog, const QString& tag, Closed done) override { done(tag); }
};

// Runs every job at once, on the calling thread.
class InlineWorker final : public Worker {
public:
    void post(std::function<void()> job, std::function<void(bool)> done, int) override
    {
        job();
        done(true);
    }
};

class NullClock final : public Clock {
public:
    QDateTime now() const override { return {}; }
};

class NullServer final : public Server {
public:
    void ConnectSocket() override {}
    void DisconnectSocket() override {}
    void SendCrosspointChange(int, int) override {}
    void SendSalvoExecute(int) override {}
    void ReadNetworkFiles(std::function<void(bool)> then) override { then(false); }
    void PollCycle() override {}
    void setPollInterval(int) override {}
    void setPollEnabled(bool) override {}
};

class CountingLink final : public Link {
public:
    bool connectToHost(const QString&, int) override { return true; }
    void close() override {}
    bool isConnected() const override { return true; }
    bool write(const QByteArray& bytes) override
    {
        written += bytes.size();
        return true;
    }
    void scheduleReconnect(int) override {}
    void cancelReconnect() override {}
    void setDecodeTimerEnabled(bool enabled) override { decodeTimerEnabled = enabled; }
    qint64 written = 0;
    bool decodeTimerEnabled = false;  // tmrDecode: the targets tick it only while it runs
};

struct FuzzPanel {
    PanelState s;
    NullView view;
    NullPrompts prompts;
    NullClock clock;
    NullServer server;
    CountingLink link;
    InlineWorker worker;
    Panel panel{s, view, prompts, clock, server, link, worker};
};

// The state InitVariables gives, for a router of the given size: the handlers size their tables
// from what the input says, so a small start costs little to put back for each input.
inline PanelState MinimalState(int channels)
{
    PanelState s;
    NullServer server;
    InitVariables(s, server);
    const auto n = static_cast<std::size_t>(channels);
    s.NumInputs = s.NumOutputs = channels;
    for (auto* names : {&s.InputAlphas, &s.InputAlphaList, &s.ComboAlphaList, &s.OutputAlphaList})
        names->resize(n);
    for (auto* numbers : {&s.InputPosition, &s.InputChannelList, &s.ComboChannelList, &s.OutputChannelList})
        numbers->resize(n);
    s.OutputStatus.resize(n);
    s.resizeInhibitMap(channels, channels);
    return s;
}

// One panel for the whole run, put back before each input into that state: building a new panel
// (or copying a 256 x 256 one) per input spent most of the run allocating and clearing tables.
// A panel already put back by the input before (PanelReset) is not copied again.
inline FuzzPanel& FreshPanel(int channels = 16, bool keep = false)
{
    static FuzzPanel* const panel = new FuzzPanel;
    static std::map<int, PanelState> initial;
    static int untouched = 0;  // the channels of the state the panel holds as put back, or 0
    if (untouched != channels) {
        auto start = initial.find(channels);
        if (start == initial.end())
            start = initial.emplace(channels, MinimalState(channels)).first;
        panel->s = start->second;
        panel->view.items = 0;
        panel->link.written = 0;
        panel->link.decodeTimerEnabled = false;
    }
    untouched = keep ? channels : 0;
    return *panel;
}

// Puts the panel back when an input is done, so that what the input built is freed within it:
// libFuzzer runs every input that ends with more allocations than it began with a second time
// and then looks for leaks, which cost more than the input itself.
struct PanelReset {
    ~PanelReset() { FreshPanel(16, true); }
};
