#pragma once

#include "state/Failure.h"

#include <QByteArray>
#include <QString>

#include <optional>

class IniFile;
struct Panel;
struct PanelState;

inline const QString SettingsFileName = QStringLiteral("zebntpnl.ini");

// Loads every setting from the settings file into the state, applies the poll timer's interval
// and the window order, and loads the display list file. False (and logged) when the file is
// missing or a key cannot be read; settings read before the failure keep their new values.
bool ReadSettings(Panel& panel);

// The settings of a parsed settings file into the state, as ReadSettings stores them (without
// the file and the display list). False (and logged) when a key cannot be read.
bool ApplySettings(Panel& panel, const IniFile& ini);

// Sets every key of the document whose stored text differs from the state's setting, up to a
// key that cannot be stored (the failure).
struct SettingsUpdate {
    bool changed = false;
    Failure failure;
};
SettingsUpdate UpdateSettings(const PanelState& s, IniFile& ini);

// Saves the display list file, then writes every setting whose stored text differs, and checks
// that "Output" reads back as written. False when there is nothing to configure (File mode
// without a server path) or a write failed.
bool WriteSettings(Panel& panel);

// Text conversions of the settings file, shared with the dialogs that validate the same fields.
namespace SettingsText {
// The number the text begins with (blanks before it allowed), 0 when it begins with none.
double leadingNumber(const QByteArray& text);
// The whole text as a number rounded to the nearest whole number; nullopt when it is not one.
std::optional<double> wholeNumber(const QByteArray& text);
// Each character's code plus its 1-based position; nullopt when a code leaves 0..255.
std::optional<QByteArray> encodePassword(const QString& plain);
std::optional<QString> decodePassword(const QByteArray& stored);
} // namespace SettingsText
