#pragma once

struct Panel;

// File > Setup: the login dialog, then the setup dialog once the operator is logged in.
void mnuSetup_Click(Panel& panel);

// File > Password: the password dialog.
void mnuPassword_Click(Panel& panel);

// File > Edit Display List: the display list editor; the source box is rebuilt afterwards,
// whether the editor was accepted or cancelled.
void mnuDsiplayList_Click(Panel& panel);

// File > Connect / Disconnect.
void mnuConnect_Click(Panel& panel);

// Help > Contents: opens the help page; says where it is when no viewer can show it.
void mnuContents_Click(Panel& panel);

// Help > About: the about box.
void mnuAbout_Click(Panel& panel);
