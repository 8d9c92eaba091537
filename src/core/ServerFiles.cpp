#include "core/ServerFiles.h"

#include "state/PanelState.h"

#include <QDir>

QString ServerFile(const PanelState& s, const QString& name)
{
    const QString& dir = s.ServerPath;
    if (dir.isEmpty() || dir.endsWith(u'/') || dir.endsWith(QDir::separator()))
        return dir + name;
    return dir + QDir::separator() + name;
}
