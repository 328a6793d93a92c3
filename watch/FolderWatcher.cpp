#include "watch/FolderWatcher.h"

#include <QDir>
#include <QFileInfo>

FolderWatcher::FolderWatcher()
{
    QObject::connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_watcher,
                     [this](const QString &path) { notify(path, false); });
    QObject::connect(&m_watcher, &QFileSystemWatcher::fileChanged, &m_watcher,
                     [this](const QString &path) { notify(path, true); });
}

void FolderWatcher::notify(const QString &path, bool isFile) const
{
    // Both folders may name the same place.
    for (int folder = 1; folder <= WatchFolderCount; ++folder)
        if ((isFile ? m_files[folder].contains(path) : m_paths[folder] == path) && m_handler)
            m_handler(folder);
}

void FolderWatcher::watch(int folder, const QString &path, const QStringList &workbooks)
{
    if (folder < 1 || folder > WatchFolderCount)
        return;
    const QString cleaned = path.isEmpty() ? QString() : QDir::cleanPath(QDir::fromNativeSeparators(path));
    const QString previous = m_paths[folder];
    QSet<QString> files;
    if (!cleaned.isEmpty())
        for (const QString &name : workbooks)
            files.insert(cleaned + u'/' + name);

    // What this folder no longer needs, unless the other folder (naming the same place) still does.
    const auto usedElsewhere = [&](const QString &watched, bool isFile) {
        for (int other = 1; other <= WatchFolderCount; ++other)
            if (other != folder && (isFile ? m_files[other].contains(watched) : m_paths[other] == watched))
                return true;
        return false;
    };
    QStringList unwanted;
    for (const QString &file : std::as_const(m_files[folder]))
        if (!files.contains(file) && !usedElsewhere(file, true))
            unwanted.append(file);
    if (previous != cleaned) {
        m_refusedFolder[folder].clear();
        if (!previous.isEmpty() && !usedElsewhere(previous, false))
            unwanted.append(previous);
    }
    m_paths[folder] = cleaned;
    m_files[folder] = files;
    m_refusedFiles[folder].intersect(files);
    if (!unwanted.isEmpty())
        m_watcher.removePaths(unwanted);
    if (cleaned.isEmpty())
        return;

    // Checked first, so that a missing folder costs no failed call at every scan.
    const QStringList watchedDirectories = m_watcher.directories();
    if (cleaned != m_refusedFolder[folder] && !watchedDirectories.contains(cleaned) && QFileInfo(cleaned).isDir() &&
        !m_watcher.addPath(cleaned))
        m_refusedFolder[folder] = cleaned;

    // A workbook replaced through a rename drops out of the watcher's list and is taken up again here.
    const QStringList watchedFiles = m_watcher.files();
    const QSet<QString> watched(watchedFiles.cbegin(), watchedFiles.cend());
    QStringList wanted;
    for (const QString &file : std::as_const(files))
        if (!watched.contains(file) && !m_refusedFiles[folder].contains(file))
            wanted.append(file);
    if (!wanted.isEmpty())
        for (const QString &refused : m_watcher.addPaths(wanted))
            m_refusedFiles[folder].insert(refused);
}
