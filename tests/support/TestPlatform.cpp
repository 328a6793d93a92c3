#include "tests/support/TestPlatform.h"

#include <QFile>
#include <QFileInfo>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#ifdef _WIN32

namespace {

// 100 ns ticks from 1601-01-01 to 1970-01-01.
constexpr int64_t UnixEpochTicks = 116444736000000000;

FILETIME ToFileTime(int64_t seconds, int32_t nanoseconds)
{
    const auto ticks = static_cast<uint64_t>(seconds * 10000000 + nanoseconds / 100 + UnixEpochTicks);
    return {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

const wchar_t *Native(const QString &path)
{
    return reinterpret_cast<const wchar_t *>(path.utf16());
}

} // namespace

bool SetFileTimesSince1970(const QString &path, int64_t writeSeconds, int32_t writeNanoseconds, int64_t accessSeconds)
{
    HANDLE file = CreateFileW(Native(path), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const FILETIME access = ToFileTime(accessSeconds, 0), write = ToFileTime(writeSeconds, writeNanoseconds);
    const bool set = SetFileTime(file, nullptr, &access, &write) != 0;
    CloseHandle(file);
    return set;
}

bool MakeFifo(const QString &)
{
    return false;
}

void PrepareForRequestStop(QProcess &process)
{
    // Ctrl+Break travels through a console that the test and the process share: the test makes one when it
    // runs without, keeping its own output where it was.
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE), err = GetStdHandle(STD_ERROR_HANDLE);
    if (AllocConsole()) {
        SetStdHandle(STD_OUTPUT_HANDLE, out);
        SetStdHandle(STD_ERROR_HANDLE, err);
    }
    // Its own process group, so that Ctrl+Break reaches it and not the test.
    process.setCreateProcessArgumentsModifier(
        [](QProcess::CreateProcessArguments *arguments) { arguments->flags |= CREATE_NEW_PROCESS_GROUP; });
}

bool RequestStop(QProcess &process)
{
    return GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, static_cast<DWORD>(process.processId())) != 0;
}

HeldOpen::HeldOpen(const QString &path)
{
    HANDLE file = CreateFileW(Native(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        m_handle = file;
}

HeldOpen::~HeldOpen()
{
    if (m_handle)
        CloseHandle(m_handle);
}

OtherProcess ParentProcess()
{
    return {};
}

FileSizeLimit::FileSizeLimit(int64_t) {}

FileSizeLimit::~FileSizeLimit() = default;

#else

bool SetFileTimesSince1970(const QString &path, int64_t writeSeconds, int32_t writeNanoseconds, int64_t accessSeconds)
{
    const timespec times[2] = {{static_cast<time_t>(accessSeconds), 0},
                               {static_cast<time_t>(writeSeconds), writeNanoseconds}};
    return utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
}

bool MakeFifo(const QString &path)
{
    return mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

OtherProcess ParentProcess()
{
    const qint64 pid = getppid();
    return {pid, QFileInfo(QStringLiteral("/proc/") + QString::number(pid) + QStringLiteral("/exe")).symLinkTarget()};
}

void PrepareForRequestStop(QProcess &) {}

HeldOpen::HeldOpen(const QString &) {}

HeldOpen::~HeldOpen() = default;

bool RequestStop(QProcess &process)
{
    return kill(static_cast<pid_t>(process.processId()), SIGTERM) == 0;
}

FileSizeLimit::FileSizeLimit(int64_t bytes)
{
    m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    m_old = static_cast<int64_t>(limit.rlim_cur);
    limit.rlim_cur = static_cast<rlim_t>(bytes);
    m_set = setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

FileSizeLimit::~FileSizeLimit()
{
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = static_cast<rlim_t>(m_old);
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, m_oldHandler);
}

#endif
