#pragma once

#include "events/Failure.h"

#include <QByteArray>
#include <QString>

// Replaces the file at path by exactly bytes: written to a temporary file beside it, flushed, synced to disk,
// then renamed over it. On failure the old file is untouched and no temporary file is left.
Failure ReplaceWholeFile(const QString &path, const QByteArray &bytes);
