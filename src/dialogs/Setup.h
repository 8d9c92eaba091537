#pragma once

#include "state/Ports.h"

#include <QString>

#include <functional>

struct Panel;

// The setup dialog frmTovaFile's logic, without its window. SetupForm holds what the dialog's
// controls show; the window copies it to its widgets after each operation and copies the typed
// texts back before OK.

// A text box of the dialog, for the key filter and for the field that gets the focus.
enum class SetupField { None, txtIP, txtIpPort, txtPassword, txtPollRate, txtIPTimeOut, txtRefresh, txtTimeout };

struct SetupForm {
    // "Initial" while an opening is pending, empty once filled, "False" after Cancel.
    QString Tag;

    bool optTCPIP = false;  // optFile is selected otherwise
    bool frIPModeVisible = false;
    bool frFileModeVisible = true;
    bool cmboOutputSelectEnabled = false;
    bool chkStayOnTopEnabled = false;
    bool ChkHideInhibitsEnabled = false;
    bool cmdOkEnabled = false;
    bool cmdVerifyServerEnabled = true;
    bool chkStayOnTop = false;
    bool ChkHideInhibits = false;

    QString txtRefresh = QStringLiteral("100");
    QString txtTimeout = QStringLiteral("30");
    QString txtIP = QStringLiteral("000.000.000.000");
    QString txtIpPort = QStringLiteral("1250");
    QString txtPassword;
    QString txtPollRate = QStringLiteral("1");
    QString txtIPTimeOut = QStringLiteral("20");

    // dirDirectory's path.
    QString directory;

    // The position the destination box selects, and the timing as it stood when the dialog filled.
    int SetupOutputListIndex = 0;
    int SetupRefreshRate = 0;
    int SetupFileTimeOut = 0;

    // After a failed OK: the field to focus with its whole text selected (None: leave the focus).
    SetupField focus = SetupField::None;
    // Set by OK: the window order (TopMost/NotTopMost) to give the dialog's own window; 0 = none.
    int windowOrder = 0;
    // The server directory is being looked at off the GUI thread: OK and Verify wait for it.
    bool waiting = false;
    // Counts Cancels, so that an OK still waiting for the files knows it was abandoned.
    int cancels = 0;
};

inline const QString& SetupInitialTag = InitialTag;
inline const QString SetupCancelTag = QStringLiteral("False");

// Activation: fills the form from the settings in memory when Tag is "Initial", else nothing.
// The server directory is looked at off the GUI thread first; done runs once the form is filled.
void Setup_Activate(Panel& panel, SetupForm& form, std::function<void()> done);

// Mode option clicks: change only the dialog.
void Setup_optFileClick(SetupForm& form);
void Setup_optTCPIPClick(SetupForm& form);

// The operator picked a destination in the box.
void Setup_OutputSelectClick(Panel& panel, SetupForm& form, int position);

// A new directory (or, through a drive change, a new drive) must be verified again.
void Setup_DirectoryChange(SetupForm& form, const QString& directory);
// A drive was chosen: false (after the message) when it cannot be read; the window then shows the
// drive of the current directory again. Otherwise dirDirectory moves to the drive's root.
bool Setup_DriveChange(Panel& panel, SetupForm& form, const QString& driveRoot);

// Verify: checks form.directory off the GUI thread; done(true) when the dialog is to close as
// cancelled. form must outlive the check.
void Setup_Verify(Panel& panel, SetupForm& form, std::function<void(bool close)> done);

// The address check: true for four dotted parts, with txtIP rewritten in normal form.
bool Setup_CheckAddress(QString& txtIP);

// OK: validates and applies the fields; done(true) when the dialog is to hide, done(false) leaves
// it open with form.focus naming the field at fault, if any. In File mode the network data files are
// read off the GUI thread before done runs; form must outlive that. An OK cancelled meanwhile
// goes no further when the files come back (done does not run).
void Setup_Ok(Panel& panel, SetupForm& form, std::function<void(bool hide)> done);

// Cancel: the dialog hides with Tag "False" and nothing applied, nor anything more by an OK that
// is still waiting for the files.
void Setup_Cancel(SetupForm& form);

// Key filter: whether a typed character reaches the text box.
bool Setup_KeyAdmitted(SetupField field, QChar key);
