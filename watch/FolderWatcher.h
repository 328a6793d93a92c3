#pragma once

#include "config/WatchSettings.h"

#include <QFileSystemWatcher>
#include <QSet>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>

// Platform notifications of changes in the watch folders, for the view that owns it (the core owns no
// watcher, as it owns no timer). The folder itself tells of files created, renamed and deleted; its workbooks
// are watched one by one as well, since a workbook rewritten in place changes nothing in its folder. What
// cannot be watched is simply not watched: the periodic scan still finds it.
class FolderWatcher
{
public:
    using Handler = std::function<void(int folder)>;

    FolderWatcher();
    void setHandler(Handler handler) { m_handler = std::move(handler); }
    // Watches path and the named workbooks in it for folder (1 or 2) instead of what it watched before; an
    // empty path ends its watch. Asking again for the same path retries a folder that was missing or had gone.
    void watch(int folder, const QString &path, const QStringList &workbooks);

private:
    void notify(const QString &path, bool isFile) const;

    QFileSystemWatcher m_watcher;
    Handler m_handler;
    std::array<QString, WatchFolderCount + 1> m_paths{};
    std::array<QSet<QString>, WatchFolderCount + 1> m_files{};
    // Refused though present (out of watches): not tried again while the folder's path, or the file's listing,
    // stays the same.
    std::array<QString, WatchFolderCount + 1> m_refusedFolder{};
    std::array<QSet<QString>, WatchFolderCount + 1> m_refusedFiles{};
};
