#include "app/windows/ProgramWindows.h"

#include <QApplication>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace {

bool IsOrBelongsTo(const QWidget *widget, const QWidget *window)
{
    for (; widget != nullptr; widget = widget->parentWidget()) {
        if (widget == window) {
            return true;
        }
    }
    return false;
}

} // namespace

DeactivationWatch::DeactivationWatch(QWidget *window, std::function<void()> deactivated)
    : QObject(window), m_window(window), m_deactivated(std::move(deactivated))
{
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, &DeactivationWatch::focusWindowChanged);
}

void DeactivationWatch::focusWindowChanged(QWindow *focus)
{
    if (focus == nullptr) {
        return;
    }
    const QWidgetList windows = QApplication::topLevelWidgets();
    const auto active = std::find_if(windows.cbegin(), windows.cend(),
                                     [focus](const QWidget *window) { return window->windowHandle() == focus; });
    // A popup (a completion list, a menu) opens above whatever window it serves, often without a parent of its
    // own: it is no other window of the program.
    if (active == windows.cend() || (*active)->windowType() == Qt::Popup) {
        return;
    }
    if (IsOrBelongsTo(*active, m_window)) {
        m_wasActive = true;
    } else if (m_wasActive) {
        m_wasActive = false;
        // Queued, so that the window does not hide while the activation is still being delivered.
        QMetaObject::invokeMethod(this, m_deactivated, Qt::QueuedConnection);
    }
}
