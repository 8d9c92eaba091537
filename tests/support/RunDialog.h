#pragma once

#include "dialogs/PanelDialog.h"

#include <QTest>

#include <optional>

// Opens a dialog with the Tag and waits, bounded, until it closes; the Tag it closed with.
inline QString RunDialog(PanelDialog& dialog, const QString& tag)
{
    std::optional<QString> closed;
    dialog.openWith(tag, [&closed](const QString& t) { closed = t; });
    (void)QTest::qWaitFor([&closed] { return closed.has_value(); }, 10000);  // a closed that never came shows below
    return closed.value_or(QStringLiteral("<still open>"));
}
