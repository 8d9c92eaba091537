#pragma once

#include <QString>

// The setup dialog's field help: the text lblHelp shows for the control under the pointer.

// lblHelp's caption when the dialog is created.
QString SetupHelp_Initial();

// The help of a control by its object name; the time-out and rate texts take the File or the
// TCP/IP form after the mode option selected in the dialog. A null string for a control that
// shows no help (the label keeps its text).
QString SetupHelp_ForControl(const QString& controlName, bool tcpIpSelected);
