#pragma once

// What the message handlers share: their error title and the guard that clears Updating.

#include "state/PanelState.h"

#include <QString>

inline const QString IpError = QStringLiteral("IP Error");

// Clears Updating however the handler ends.
class UpdatingOff {
public:
    explicit UpdatingOff(PanelState& s) : m_s(s) {}
    ~UpdatingOff() { m_s.Updating = false; }
    UpdatingOff(const UpdatingOff&) = delete;
    UpdatingOff& operator=(const UpdatingOff&) = delete;

private:
    PanelState& m_s;
};
