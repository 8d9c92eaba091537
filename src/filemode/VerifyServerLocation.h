#pragma once

#include <QString>

#include <functional>

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

// The Verify button of the setup dialog: checks (off the GUI thread) that the directory holds every
// network data file, shows the server's status in status panel 2, reads the names from it without
// making it ServerPath, and fills the dialog's destination box, selecting the controlled destination.
// setupOutputListIndex is the dialog's SetupOutputListIndex, kept when no destination matches; it
// must outlive the check. done runs with the result once the last message box has been answered.
// A directory that gives no answer within ServerFileTimeout fails as one without the names file.
void VerifyServerLocation(Panel& panel, const QString& directory, int& setupOutputListIndex,
                          std::function<void(VerifyResult)> done);
