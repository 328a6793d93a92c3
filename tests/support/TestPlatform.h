#pragma once

#include <QProcess>
#include <QString>
#include <cstdint>

// What the tests need from the operating system beyond Qt, so that test files stay free of platform code.

// A program's console output with its line ends as "\n" (a Windows console program writes "\r\n").
inline QByteArray ConsoleText(QByteArray bytes)
{
    return bytes.replace("\r\n", "\n");
}

// Sets the last-write time of path to seconds and nanoseconds since 1970 (kept to 100 ns, the finest a
// Windows file time holds) and the last-access time to access seconds. True on success.
bool SetFileTimesSince1970(const QString &path, int64_t writeSeconds, int32_t writeNanoseconds = 0,
                           int64_t accessSeconds = 0);
// A process that outlives this one (the one that started it) and the path of its program; program is empty where
// the system does not tell.
struct OtherProcess {
    qint64 pid = 0;
    QString program;
};
OtherProcess ParentProcess();
// A named pipe (FIFO) in a folder; false where the system has none (Windows).
bool MakeFifo(const QString &path);
// Asks the process to stop as an operator would: SIGTERM, or Ctrl+Break on Windows.
bool RequestStop(QProcess &process);
// Makes a process started later by this QProcess receivable for RequestStop.
void PrepareForRequestStop(QProcess &process);

// While it lives, path is held open as a reading program holds it that lets nobody replace or delete it (the
// automation system reading an event file). Where open files can always be replaced, active() is false.
class HeldOpen
{
public:
    explicit HeldOpen(const QString &path);
    ~HeldOpen();
    HeldOpen(const HeldOpen &) = delete;
    HeldOpen &operator=(const HeldOpen &) = delete;
    bool active() const { return m_handle != nullptr; }

private:
    void *m_handle = nullptr;
};

// While it lives, every file write beyond `bytes` fails as on a full disk (root is not exempt).
// Where the system has no such limit, active() is false and the test skips.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(int64_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;
    bool active() const { return m_set; }

private:
    int64_t m_old = 0;
    void (*m_oldHandler)(int) = nullptr;
    bool m_set = false;
};
