#pragma once

struct Panel;

// File > Salvo Mode / Crosspoint Mode.
void mnuSalvoMode_Click(Panel& panel);

// Salvo mode: lists the salvos with the first selected.
void DisplayFirstSalvo(Panel& panel);

// Salvo mode: lists the keys of SalvoSelected.
void DisplaySalvoKeys(Panel& panel);

// The operator chose entry index of the salvo list or the key list.
void SalvoChoice(Panel& panel, int index);

// tmrSalvoMsg: ends the "Executed"/"Failed" message and returns to the source view.
void tmrSalvoMsg_Timer(Panel& panel);
