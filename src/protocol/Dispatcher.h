#pragma once

struct Panel;

// Handles at most one message from the front of RxBuffer: a single-byte link message itself,
// a framed message by its command's handler.
void ProcessCommand(Panel& panel);
