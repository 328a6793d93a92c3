#include "files/SafeFile.h"

#include <QSaveFile>
#include <cerrno>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

// True once the file's data reached the disk.
bool SyncToDisk(int handle)
{
#ifdef _WIN32
    return _commit(handle) == 0;
#else
    return fsync(handle) == 0;
#endif
}

} // namespace

Failure ReplaceWholeFile(const QString &path, const QByteArray &bytes)
{
    // The QSaveFile removes its temporary file when it goes out of scope uncommitted.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {file.errorString()};
    // Qt 6.4's commit() misses a failed flush of the last buffer and ignores a failed sync, so both are checked here.
    errno = 0;
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        // After a short write the file reports "Unknown error"; errno still says why the rest was refused.
        return {errno != 0 ? qt_error_string(errno) : file.errorString()};
    }
    if (!SyncToDisk(file.handle()))
        return {qt_error_string(errno)};
    if (!file.commit())
        return {file.errorString()};
    return {};
}
