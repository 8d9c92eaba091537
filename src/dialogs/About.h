#pragma once

#include <QString>

struct Panel;

// The about box's texts, computed from the current settings.
struct AboutTexts {
    QString versionInfo;     // lines separated by "\r"
    QString serverLocation;
    QString outputControlled;
    QString rate;
    QString timeout;
};
AboutTexts About_Activate(const Panel& panel);
