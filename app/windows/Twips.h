#pragma once

#include <QLabel>
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

// A control named name + index, as the windows' control arrays are (lblPath1, lblPath2), at geometry.
template <typename Control> Control *MakeControl(QWidget *parent, const QString &name, int index, const QRect &geometry)
{
    auto *control = new Control(parent);
    control->setObjectName(name + QString::number(index));
    control->setGeometry(geometry);
    return control;
}

inline QLabel *MakeLabel(QWidget *parent, const QString &name, int index, const QString &caption, const QRect &geometry)
{
    QLabel *label = MakeControl<QLabel>(parent, name, index, geometry);
    label->setText(caption);
    return label;
}
