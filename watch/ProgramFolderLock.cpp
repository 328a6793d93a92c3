#include "watch/ProgramFolderLock.h"

#include <QCoreApplication>
#include <QDir>
#include <QSysInfo>
#include <QThread>

namespace {

// The holder may be between making the file and writing itself into it, or just removing it.
constexpr int InfoAttempts = 10;
constexpr unsigned long InfoRetryMilliseconds = 20;

QString HeldMessage(const QString &folder, qint64 pid, const QString &host)
{
    return QStringLiteral("DWX Tavrel Translator is already running for ") + folder + QStringLiteral(" (process ") +
           (pid > 0 ? QString::number(pid) : QStringLiteral("?")) + QStringLiteral(" on ") +
           (host.isEmpty() ? QStringLiteral("?") : host) + QStringLiteral("). Close it first.");
}

QString NotLockableMessage(const QString &folder, QLockFile::LockError error)
{
    const QString reason = error == QLockFile::PermissionError ? QStringLiteral("no permission to write ")
                                                               : QStringLiteral("cannot write ");
    return QStringLiteral("DWX Tavrel Translator cannot lock ") + folder + QStringLiteral(" (") + reason +
           QLatin1String(ProgramFolderLock::FileName) +
           QStringLiteral("): another program on this folder would go unnoticed.");
}

} // namespace

#ifdef Q_OS_WIN
QString ProgramFolderLock::hostName()
{
    return qEnvironmentVariable("COMPUTERNAME");
}
#else
QString ProgramFolderLock::hostName()
{
    return QSysInfo::machineHostName();
}
#endif

ProgramFolderLock::ProgramFolderLock(const QString &programDir)
    : m_programDir(programDir), m_file(QDir(programDir).filePath(QLatin1String(FileName)))
{
    // Held for days: only a holder that is gone makes the lock stale, never its age.
    m_file.setStaleLockTime(0);
}

ProgramFolderLockResult ProgramFolderLock::lock()
{
    using Status = ProgramFolderLockResult::Status;
    const QString folder = QDir::toNativeSeparators(m_programDir);
    for (int attempt = 1;; ++attempt) {
        if (m_file.tryLock(0))
            return {};
        if (m_file.error() != QLockFile::LockFailedError)
            return {Status::NotLockable, NotLockableMessage(folder, m_file.error())};
        qint64 pid = 0;
        QString host;
        const bool read = m_file.getLockInfo(&pid, &host, nullptr);
        // This process's own number: left by an earlier one that had it before a restart. The removal fails while
        // another holder has the file open.
        if (read && pid == QCoreApplication::applicationPid() && host == hostName() && m_file.removeStaleLockFile())
            continue;
        if (read || attempt == InfoAttempts)
            return {Status::HeldByAnother, HeldMessage(folder, pid, host)};
        QThread::msleep(InfoRetryMilliseconds);
    }
}
