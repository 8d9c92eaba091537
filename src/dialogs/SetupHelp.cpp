#include "dialogs/SetupHelp.h"

namespace {

QString Port()
{
    return QStringLiteral("Enter the IP Port used by the ZEB Server Module.  ") + QStringLiteral("The default is 1250.");
}

QString Address()
{
    return QStringLiteral("Enter the IP Address of the computer running the ZEB ") + QStringLiteral("Server Module.  ");
}

QString TimeOut(bool tcpIp)
{
    const QString start = QStringLiteral("Enter the Time Out period in seconds.  This is the ")
        + QStringLiteral("length of time the Vantrel will wait ");
    if (tcpIp)
        return start + QStringLiteral("before disconnecting from the Server Module")
            + QStringLiteral(" when it fails to respond to its polls.");
    return start + QStringLiteral("before it considers it has been ") + QStringLiteral("disconnected from the switcher when it is")
        + QStringLiteral(" unable to find or access the .ndf files.");
}

QString Rate(bool tcpIp)
{
    const QString start = QStringLiteral("Enter the Refresh Rate in seconds.  This is how often ");
    if (tcpIp)
        return start + QStringLiteral("the Vantrel will poll the Server ") + QStringLiteral("Module. ");
    return start + QStringLiteral("the Vantrel reads the .ndf files ") + QStringLiteral("created and maintained by the Server ")
        + QStringLiteral("Module. ");
}

QString Password()
{
    return QStringLiteral("If desired, enter the Password required by the Server ")
        + QStringLiteral("Module for login by a Vantrel.  If no ") + QStringLiteral("Password is entered and one is required ")
        + QStringLiteral("by the Server Module, the user will be ")
        + QStringLiteral("prompted to enter the required password.");
}

QString Directory()
{
    return QStringLiteral("Select the Drive and Directory where ") + QStringLiteral("the ZEB Server software is installed ");
}

QString Save()
{
    return QStringLiteral("Save and use the current information.  The entered ")
        + QStringLiteral("information will be written to the ") + QStringLiteral("zebntpnl.ini file.");
}

QString Abort() { return QStringLiteral("Abort any changes made and restore previous information. "); }

QString Inhibits()
{
    return QStringLiteral("When selected, sources inhibited for the selected ")
        + QStringLiteral("destination will not be displayed in the ") + QStringLiteral("selection list. ");
}

QString OnTop()
{
    return QStringLiteral("Select this option to keep the ZEB Voduzovu ")
        + QStringLiteral("displayed on top of other Windows applications.");
}

QString FileMode()
{
    return QStringLiteral("When selected, the Vantrel uses network data files ")
        + QStringLiteral("maintained by the ZEB Server software ")
        + QStringLiteral("to communicate with the ZEB Routing Switcher.");
}

QString TcpIpMode()
{
    return QStringLiteral("When selected, the Vantrel communicates with the ZEB ")
        + QStringLiteral("Server Module via TCP/IP and the Server ") + QStringLiteral("Module connects serially to the ZEB Routing ")
        + QStringLiteral("Switcher.");
}

} // namespace

QString SetupHelp_Initial()
{
    return QStringLiteral("Specify the drive and directory where ZEB Server software is installed, verify the "
                          "server's location using the verify button and then select the destination (output) which "
                          "will be controlled and set the Stay On Top option.");
}

QString SetupHelp_ForControl(const QString& name, bool tcpIpSelected)
{
    if (name == u"lblIpPort" || name == u"txtIpPort")
        return Port();
    if (name == u"lblIP" || name == u"txtIP")
        return Address();
    if (name == u"lblIPTimeOut" || name == u"txtIPTimeOut" || name == u"lblTimeout" || name == u"txtTimeout")
        return TimeOut(tcpIpSelected);
    if (name == u"lblPollRate" || name == u"txtPollRate" || name == u"lblRefresh" || name == u"txtRefresh")
        return Rate(tcpIpSelected);
    if (name == u"lblPassword" || name == u"txtPassword")
        return Password();
    if (name == u"frDirSelect")
        return Directory();
    if (name == u"cmdVerifyServer")
        return Save();
    if (name == u"cmdCancel")
        return Abort();
    if (name == u"ChkHideInhibits")
        return Inhibits();
    if (name == u"chkStayOnTop")
        return OnTop();
    if (name == u"optFile")
        return FileMode();
    if (name == u"optTCPIP")
        return TcpIpMode();
    return {};
}
