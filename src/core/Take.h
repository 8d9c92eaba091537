#pragma once

#include <QString>

struct Panel;

// The operator chose entry index (showing text) in the source box: a take, or in salvo mode a
// salvo or key choice. Selections made by code never reach here.
void cmboSourceSelect_Click(Panel& panel, int index, const QString& text);
