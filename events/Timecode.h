#pragma once

#include <QDate>
#include <QString>

// Timecodes are "hh:mm:ss;ff" at 30 frames per second, fields found by position only. None of these
// conversions fails: malformed input degrades to zero.

// Seconds of a timecode (full form, or "hh:mm:ss") as number text; frames count 0.033 s each.
QString TimecodeToSeconds(const QString &timecode);

// a + b or a - b (op "+" or "-"); with wrap a day is added to a negative difference and 24 hours taken off
// a result of 24 hours or more. Rejected input gives "00:00:00;00".
QString TimecodeCalc(const QString &a, const QString &b, const QString &op, bool wrap);

// "yyyymmdd".
QString DateToYYYYMMDD(const QDate &date);

// The same texts written at out (room for 96 characters) for writers that build bytes; they return the end.
// Each timecode field takes at least two digits.
char *WriteTimecode(char *out, long long hours, long long minutes, long long seconds, long long frames);
char *WriteYYYYMMDD(char *out, const QDate &date);

inline const QString ZeroTimecode = QStringLiteral("00:00:00;00");
