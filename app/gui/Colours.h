#pragma once

#include <QColor>
#include <QPalette>

// Qt's palette has no error or warning role: colours that read on the window's own background, dark or light.
inline bool IsDark(const QPalette &palette)
{
    return palette.color(QPalette::Window).lightness() < 128;
}

inline QColor ErrorColour(const QPalette &palette)
{
    return IsDark(palette) ? QColor(0xFF, 0x6B, 0x6B) : QColor(0xC0, 0x00, 0x00);
}

inline QColor WarningColour(const QPalette &palette)
{
    return IsDark(palette) ? QColor(0xFF, 0xC8, 0x57) : QColor(0x8A, 0x5A, 0x00);
}
