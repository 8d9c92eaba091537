#pragma once

#include <QString>

struct PanelState;

// Path of a file in the server directory ServerPath: the directory and the name joined by a
// separator unless ServerPath already ends in one. An empty ServerPath gives the bare name;
// callers check for an unconfigured directory first.
QString ServerFile(const PanelState& s, const QString& name);
