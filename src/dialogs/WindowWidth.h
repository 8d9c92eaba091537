#pragma once

#include <QComboBox>
#include <QFont>
#include <QFontMetrics>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QWidget>

// The width a window needs for its title to be read whole under a usual window manager: the title
// in a bold font a little larger than the window's own. Window managers centre the title on the
// whole title bar, so it needs the room of the three buttons (each about a line high, with a gap of
// a quarter line) on both sides, and a little for the frame and the title's shadow.
inline int TitleBarWidth(const QWidget& window)
{
    QFont font = window.font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.15);
    const QFontMetrics metrics(font);
    return metrics.horizontalAdvance(window.windowTitle()) + 2 * 4 * metrics.height() + 16;
}

// The longest router name shown whole wherever a name shows, in characters.
constexpr int ReadableNameLength = 16;

// The widest letter or digit of a font: a name of n such characters is as wide as any name of n
// letters and digits can be.
inline int WidestCharacter(const QFontMetrics& metrics)
{
    int widest = 0;
    for (const QChar c : QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"))
        widest = std::max(widest, metrics.horizontalAdvance(c));
    return widest;
}

// The width of a drop-down list of channels (the source box, the destination list) whose entry of
// a name of ReadableNameLength characters and a four-digit channel, "   (ch nnnn)", shows whole in
// the box's own font beside its arrow.
inline int ChannelBoxWidth(const QComboBox& box)
{
    const QFontMetrics metrics = box.fontMetrics();
    const int text = ReadableNameLength * WidestCharacter(metrics) + metrics.horizontalAdvance(QStringLiteral("   (ch 0000)"));
    QStyleOptionComboBox option;
    option.initFrom(&box);
    return box.style()->sizeFromContents(QStyle::CT_ComboBox, &option, QSize(text, metrics.height()), &box).width();
}
