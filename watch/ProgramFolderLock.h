#pragma once

#include <QLockFile>
#include <QString>

// What taking the program folder's lock came to. Only a folder held by another program stops the start: one
// whose lock cannot be made at all (a read-only folder) is still worked in, with a warning.
struct [[nodiscard]] ProgramFolderLockResult {
    enum class Status { Locked, HeldByAnother, NotLockable };
    Status status = Status::Locked;
    QString message; // for the operator, in a message box or on standard error; empty when locked

    explicit operator bool() const { return status == Status::Locked; }
};

// The window and tavrel-watch hold this for as long as they run, so that no two programs convert the same
// folders and write the same logs. The lock of a process that ended without releasing it (killed, crashed, the
// machine restarted) is taken over.
class ProgramFolderLock
{
public:
    static constexpr char FileName[] = "tavrel.lock";

    explicit ProgramFolderLock(const QString &programDir);
    ProgramFolderLockResult lock();

    // This computer's name as a lock names its holder's (on Windows the NetBIOS name, as in COMPUTERNAME).
    static QString hostName();

private:
    QString m_programDir;
    QLockFile m_file;
};
