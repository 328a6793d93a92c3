#include "watch/FolderWatcher.h"

#include <QDir>
#include <QFileInfo>

FolderWatcher::FolderWatcher()
{
    QObject::connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_watcher, [this](const QString &path) {
        // Both folders may name the same place.
        for (int folder = 1; folder <= WatchFolderCount; ++folder)
            if (m_paths[folder] == path && m_handler)
                m_handler(folder);
    });
}

void FolderWatcher::watch(int folder, const QString &path)
{
    if (folder < 1 || folder > WatchFolderCount)
        return;
    const QString cleaned = path.isEmpty() ? QString() : QDir::cleanPath(QDir::fromNativeSeparators(path));
    const QString previous = m_paths[folder];
    m_paths[folder] = cleaned;
    if (previous != cleaned) {
        m_refused[folder].clear();
        bool stillUsed = false;
        for (int other = 1; other <= WatchFolderCount; ++other)
            stillUsed = stillUsed || m_paths[other] == previous;
        if (!previous.isEmpty() && !stillUsed && m_watcher.directories().contains(previous))
            m_watcher.removePath(previous);
    }
    if (cleaned.isEmpty() || cleaned == m_refused[folder] || m_watcher.directories().contains(cleaned))
        return;
    // Checked first, so a missing folder puts no warning of the watcher's on standard error at every scan.
    if (!QFileInfo(cleaned).isDir())
        return;
    if (!m_watcher.addPath(cleaned))
        m_refused[folder] = cleaned;
}
