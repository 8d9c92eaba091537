#include "state/PanelState.h"

#include "state/Ports.h"

QString DefaultInputAlpha(int channel)
{
    return QStringLiteral("Inpt%1").arg(channel + 1, 4, 10, QLatin1Char('0'));
}

void InitVariables(PanelState& s, Server& server)
{
    s.NumInputs = 256;
    s.NumOutputs = 256;

    const auto inputs = static_cast<std::size_t>(s.NumInputs);
    const auto outputs = static_cast<std::size_t>(s.NumOutputs);
    s.InputAlphaList.assign(256, QString());
    s.OutputAlphaList.assign(outputs, QString());
    s.OutputStatus.assign(outputs, OutputStatusRecord{});
    s.ComboAlphaList.assign(inputs, QString());
    s.InputPosition.assign(inputs, 0);
    s.InputChannelList.assign(inputs, 0);
    s.ComboChannelList.assign(inputs, 0);
    s.InputAlphas.assign(inputs, QString());
    s.OutputChannelList.assign(outputs, 0);
    s.resizeInhibitMap(s.NumInputs, s.NumOutputs);

    s.StayOnTop = TopMost;
    s.OutputListIndex = 0;
    s.OutputControlled = 0;
    s.XptMapStamp = 0;
    s.ServerStatus = 0;
    s.Updating = false;
    s.LoggedIn = false;
    s.HideInhibits = true;
    s.IpPort = 1250;
    s.IpAddress = QStringLiteral("0.0.0.0");
    s.IpTimeOut = 30;
    s.ErrorLogMaxKB = 1000;
    s.PollRate = 1;
    s.PendingTables = Tables::All;
    s.ErrorLogEnabled = true;
    s.ErrorLogArchive = true;
    s.RefreshRate = 100;
    s.FileTimeOut = 50;
    s.FileTimeOutTicks = 1000 / s.RefreshRate * s.FileTimeOut;

    server.setPollInterval(s.RefreshRate);

    s.FileMissCount = 0;
    for (auto& record : s.OutputStatus)
        record.Sources[0] = 0;
    for (int i = 0; i < s.NumInputs; ++i)
        s.InputAlphas[static_cast<std::size_t>(i)] = DefaultInputAlpha(i);
}
