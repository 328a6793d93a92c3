#pragma once

#include "events/Failure.h"

#include <QDateTime>
#include <QString>
#include <optional>

// A workbook's failed attempts to make its event file since its last success, and when the log last told of them.
// The first failure and each new reason are logged in full; the same reason again only at growing intervals.
class FailureStreak
{
public:
    // The first "still not made" line comes this long after the first failure, each later one twice as long
    // after the one before, but never more than MaxReportGap.
    static constexpr qint64 FirstReportGap = 60 * 1000;
    static constexpr qint64 MaxReportGap = 60 * 60 * 1000;

    // Counts one failed attempt at now; returns the log message it calls for, if any.
    std::optional<QString> failed(const QString &fileName, const Failure &failure, const QDateTime &now);
    // The log message for the first success after the failures counted.
    QString madeMessage(const QString &fileName) const;
    int attempts() const { return m_attempts; }

private:
    Failure m_failure;
    int m_attempts = 0;
    QDateTime m_since;
    qint64 m_nextReport = 0; // ms since 1970
    qint64 m_reportGap = FirstReportGap;
};

// "14:05:33": the time shown beside the last event file made, and since when a workbook fails.
QString ClockTime(const QTime &time);
// "TVX File not made for : NAME (REASON)".
QString NotMadeMessage(const QString &fileName, const Failure &failure);
