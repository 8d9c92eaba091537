#pragma once

#include <QString>

struct Panel;

// What the setup dialog does after the check.
enum class VerifyResult {
    Ignored,            // TCP/IP mode: nothing was done
    Verified,           // enable cmdOk, cmboOutputSelect, chkStayOnTop and ChkHideInhibits
    NamesMissing,       // disable cmboOutputSelect, stay open
    InhibitsMissing,    // disable cmboOutputSelect, stay open
    CrosspointMissing,  // close as Cancel does (Tag "False")
    StatusMissing,      // disable cmboOutputSelect, stay open
};

// The Verify button of the setup dialog: checks that the directory holds every network data file,
// shows the server's status in status panel 2, reads the names from it without making it
// ServerPath, and fills the dialog's destination box, selecting the controlled destination.
// setupOutputListIndex is the dialog's SetupOutputListIndex, kept when no destination matches.
VerifyResult VerifyServerLocation(Panel& panel, const QString& directory, int& setupOutputListIndex);
