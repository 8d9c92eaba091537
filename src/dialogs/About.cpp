#include "dialogs/About.h"

#include "core/ServerFiles.h"
#include "state/Panel.h"

namespace {

// "Output 5 - (STUDIO A)": the controlled destination, numbered from 1.
QString destinationText(const PanelState& s)
{
    const auto index = static_cast<std::size_t>(s.OutputListIndex);
    if (s.OutputListIndex < 0 || index >= s.OutputChannelList.size() || index >= s.OutputAlphaList.size())
        return QStringLiteral("Output %1 - ()").arg(s.OutputControlled + 1);
    return QStringLiteral("Output %1 - (%2)").arg(s.OutputChannelList[index] + 1).arg(s.OutputAlphaList[index]);
}

} // namespace

AboutTexts About_Activate(const Panel& panel)
{
    const PanelState& s = panel.s;
    const QString notSpecified = QStringLiteral("Not Specified");
    AboutTexts t;
    // The product's release line; the build's own version is printed by --version.
    t.versionInfo = QStringLiteral("Tova Vantrel\rVersion 3.18 - 10/23/2009");
    bool configured;
    if (s.TcpIpMode) {
        configured = s.IpAddress != QLatin1String("0.0.0.0");
        t.serverLocation = s.IpAddress;
        t.rate = QString::number(s.PollRate) + QStringLiteral(" Second");
        t.timeout = QString::number(s.IpTimeOut) + QStringLiteral(" Seconds");
    } else {
        configured = !s.ServerPath.isEmpty();
        // Reads as a file pattern in the server directory.
        t.serverLocation = ServerFile(s, QStringLiteral("*.ndf"));
        t.rate = QString::number(s.RefreshRate) + QStringLiteral(" Milliseconds");
        t.timeout = QString::number(s.FileTimeOut) + QStringLiteral(" Seconds");
    }
    if (configured) {
        t.outputControlled = destinationText(s);
    } else {
        t.serverLocation = notSpecified;
        t.outputControlled = notSpecified;
    }
    return t;
}
