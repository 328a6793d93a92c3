#include "watch/FileTimes.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <QFile>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace {

#ifdef _WIN32

uint64_t FromFileTime(const FILETIME &time)
{
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

#else

// 100 ns ticks from 1601-01-01 to 1970-01-01.
constexpr int64_t UnixEpochTicks = 116444736000000000;

uint64_t ToFileTime(int64_t seconds, int64_t nanoseconds)
{
    // Times before 1601 cannot be expressed and read as unknown.
    if (seconds < -UnixEpochTicks / 10000000)
        return 0;
    if (seconds > (INT64_MAX - UnixEpochTicks) / 10000000 - 1)
        return UINT64_MAX;
    const int64_t ticks = seconds * 10000000 + nanoseconds / 100 + UnixEpochTicks;
    return ticks < 0 ? 0 : static_cast<uint64_t>(ticks);
}

#endif

} // namespace

bool GetFileTimes(const QString &fileName, FileTimes &times)
{
#ifdef _WIN32
    // No sharing: a file another program still holds open is not read until it is closed.
    HANDLE file = CreateFileW(reinterpret_cast<const wchar_t *>(fileName.utf16()), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    FILETIME creation, access, write;
    const bool read = GetFileTime(file, &creation, &access, &write) != 0;
    CloseHandle(file);
    if (!read)
        return false;
    times = {FromFileTime(creation), FromFileTime(access), FromFileTime(write)};
    return true;
#else
    const QByteArray path = QFile::encodeName(fileName);
    if (path.isEmpty())
        return false;
#ifdef STATX_BTIME
    struct statx extended {
    };
    if (statx(AT_FDCWD, path.constData(), 0, STATX_BASIC_STATS | STATX_BTIME, &extended) == 0) {
        if (S_ISDIR(extended.stx_mode))
            return false;
        const uint64_t creation =
            (extended.stx_mask & STATX_BTIME) ? ToFileTime(extended.stx_btime.tv_sec, extended.stx_btime.tv_nsec) : 0;
        times = {creation, ToFileTime(extended.stx_atime.tv_sec, extended.stx_atime.tv_nsec),
                 ToFileTime(extended.stx_mtime.tv_sec, extended.stx_mtime.tv_nsec)};
        return true;
    }
    // A kernel or sandbox that refuses statx still answers stat.
#endif
    struct stat info {
    };
    if (stat(path.constData(), &info) != 0 || S_ISDIR(info.st_mode))
        return false;
    times = {0, ToFileTime(info.st_atim.tv_sec, info.st_atim.tv_nsec),
             ToFileTime(info.st_mtim.tv_sec, info.st_mtim.tv_nsec)};
    return true;
#endif
}

int32_t CompareFileTimes(uint64_t a, uint64_t b)
{
    if (a < b)
        return -1;
    return a > b ? 1 : 0;
}
