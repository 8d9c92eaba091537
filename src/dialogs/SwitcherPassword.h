#pragma once

#include <QString>

struct Panel;

// The Server Module password prompt's logic, without its window.

// The prompt opens: it is marked shown; returns the text of its address label.
QString SwitcherPassword_Activate(Panel& panel);

// OK (or Enter in the field): sends the typed password unless it is empty. True when the prompt
// is to close.
bool SwitcherPassword_Ok(Panel& panel, const QString& typed);

// Cancel: answers the request with an empty password.
void SwitcherPassword_Cancel(Panel& panel);

// The operator closed the prompt (Cancel, Escape, the window's close button): the server waits
// for an answer, so it gets Cancel's. Windows closed by the shut-down answer nothing.
void SwitcherPassword_Closed(Panel& panel);

// The prompt has closed, whichever way.
void SwitcherPassword_Unload(Panel& panel);
