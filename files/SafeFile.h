#pragma once

#include <QByteArray>
#include <QString>

// Replaces the file at path by exactly bytes: written to a temporary file beside it, flushed, synced to disk,
// then renamed over it. Returns "" on success, otherwise the reason; on failure the old file is untouched
// and no temporary file is left.
[[nodiscard]] QString ReplaceWholeFile(const QString &path, const QByteArray &bytes);
