#pragma once

#include <QRect>
#include <QWidget>

// Window layouts are designed in twips, 15 to a pixel at 96 dots per inch; a higher logical DPI scales them.
inline int Twips(const QWidget *widget, int twips)
{
    return qRound(twips * widget->logicalDpiX() / (15.0 * 96.0));
}

inline QRect TwipsRect(const QWidget *widget, int left, int top, int width, int height)
{
    return {Twips(widget, left), Twips(widget, top), Twips(widget, width), Twips(widget, height)};
}
