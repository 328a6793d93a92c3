#pragma once

#include "events/Failure.h"
#include "watch/LogLines.h"

#include <QString>
#include <QStringList>
#include <vector>

// What one read of a log file brought.
struct [[nodiscard]] LogRead {
    QStringList lines;              // complete lines, without their line ends
    std::vector<LogLineKind> kinds; // one per line
    bool restarted = false;         // the file became shorter than what was read: lines start again from its top
    bool more = false;              // more was written than one read takes; the next read goes on
    Failure failure;                // why the file could not be read; a file not written yet is no failure
};

// Follows one log file from where its last read ended. Every read opens the file read-only and closes it again,
// so the program's own writer and any other can append meanwhile, on Windows too.
class LogTail
{
public:
    static constexpr qint64 ChunkBytes = 4 << 20;

    LogTail() = default;
    explicit LogTail(QString path) : m_path(std::move(path)) {}
    const QString &path() const { return m_path; }

    // The lines appended since the last read, at most about maxBytes of them; a line still without its end is
    // left for a later read.
    LogRead readNew(qint64 maxBytes = ChunkBytes);

private:
    QString m_path;
    qint64 m_offset = 0;
};
