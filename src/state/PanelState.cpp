#include "state/PanelState.h"

#include "state/Ports.h"

QString DefaultInputAlpha(int channel)
{
    return QStringLiteral("Inpt%1").arg(channel + 1, 4, 10, QLatin1Char('0'));
}

void InitVariables(PanelState& s, Server& server)
{
    // The start values are the ones PanelState is declared with.
    const PanelState d;
    s.NumInputs = d.NumInputs;
    s.NumOutputs = d.NumOutputs;

    const auto inputs = static_cast<std::size_t>(s.NumInputs);
    const auto outputs = static_cast<std::size_t>(s.NumOutputs);
    s.InputAlphaList.assign(inputs, QString());
    s.OutputAlphaList.assign(outputs, QString());
    s.OutputStatus.assign(outputs, OutputStatusRecord{});
    s.ComboAlphaList.assign(inputs, QString());
    s.InputPosition.assign(inputs, 0);
    s.InputChannelList.assign(inputs, 0);
    s.ComboChannelList.assign(inputs, 0);
    s.InputAlphas.assign(inputs, QString());
    s.OutputChannelList.assign(outputs, 0);
    s.resizeInhibitMap(s.NumInputs, s.NumOutputs);

    s.StayOnTop = d.StayOnTop;
    s.OutputListIndex = d.OutputListIndex;
    s.OutputControlled = d.OutputControlled;
    s.XptMapStamp = d.XptMapStamp;
    s.ServerStatus = d.ServerStatus;
    s.Updating = d.Updating;
    s.LoggedIn = d.LoggedIn;
    s.HideInhibits = d.HideInhibits;
    s.IpPort = d.IpPort;
    s.IpAddress = d.IpAddress;
    s.IpTimeOut = d.IpTimeOut;
    s.ErrorLogMaxKB = d.ErrorLogMaxKB;
    s.PollRate = d.PollRate;
    s.PendingTables = d.PendingTables;
    s.ErrorLogEnabled = d.ErrorLogEnabled;
    s.ErrorLogArchive = d.ErrorLogArchive;
    s.RefreshRate = d.RefreshRate;
    s.FileTimeOut = d.FileTimeOut;
    s.FileTimeOutTicks = 1000 / s.RefreshRate * s.FileTimeOut;

    server.setPollInterval(s.RefreshRate);

    s.FileMissCount = d.FileMissCount;
    for (auto& record : s.OutputStatus)
        record.Sources[0] = 0;
    for (int i = 0; i < s.NumInputs; ++i)
        s.InputAlphas[static_cast<std::size_t>(i)] = DefaultInputAlpha(i);
}
