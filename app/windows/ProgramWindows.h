#pragma once

#include <QObject>
#include <functional>

class QWidget;
class QWindow;

// Calls deactivated when another window of this program becomes active after window was the program's active
// window. Switching to another application, to one of window's own child windows or to a popup does not count; coming
// back from another application to a different window of the program does.
class DeactivationWatch : public QObject
{
public:
    DeactivationWatch(QWidget *window, std::function<void()> deactivated);

private:
    void focusWindowChanged(QWindow *focus);

    QWidget *m_window;
    std::function<void()> m_deactivated;
    bool m_wasActive = false;
};
