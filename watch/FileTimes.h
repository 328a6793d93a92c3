#pragma once

#include <QString>
#include <cstdint>

// File times as counts of 100 ns since 1601-01-01 UTC, at the file system's full resolution; zero when
// unknown.
struct FileTimes {
    uint64_t CreationTime = 0;
    uint64_t LastAccessTime = 0;
    uint64_t LastWriteTime = 0;
};

// True when the three times of the file were read into times; false for a missing file or a folder, which
// leaves times as it was.
bool GetFileTimes(const QString &fileName, FileTimes &times);
// -1, 0 or 1 as a is earlier than, equal to or later than b.
int32_t CompareFileTimes(uint64_t a, uint64_t b);
