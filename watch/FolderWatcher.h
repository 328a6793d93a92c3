#pragma once

#include "config/WatchSettings.h"

#include <QFileSystemWatcher>
#include <QString>
#include <array>
#include <functional>

// Platform notifications of changes in the watch folders, for the view that owns it (the core owns no
// watcher, as it owns no timer). A folder that cannot be watched is simply not watched: the periodic scan
// still finds its files.
class FolderWatcher
{
public:
    using Handler = std::function<void(int folder)>;

    FolderWatcher();
    void setHandler(Handler handler) { m_handler = std::move(handler); }
    // Watches path for folder (1 or 2) instead of what it watched before; an empty path ends its watch. Asking
    // again for the same path retries a folder that was missing or had gone.
    void watch(int folder, const QString &path);

private:
    QFileSystemWatcher m_watcher;
    Handler m_handler;
    std::array<QString, WatchFolderCount + 1> m_paths{};
    // A folder that exists but could not be watched (out of watches) is not tried again until its path changes.
    std::array<QString, WatchFolderCount + 1> m_refused{};
};
