#include "watch/FailureStreak.h"

#include "events/Number.h"

#include <algorithm>

QString ClockTime(const QTime &time)
{
    return FormatInteger(time.hour(), 2) + u':' + FormatInteger(time.minute(), 2) + u':' +
           FormatInteger(time.second(), 2);
}

QString NotMadeMessage(const QString &fileName, const Failure &failure)
{
    return QStringLiteral("TVX File not made for : ") + fileName + QLatin1String(" (") + failure.reason + u')';
}

std::optional<QString> FailureStreak::failed(const QString &fileName, const Failure &failure, const QDateTime &now)
{
    const qint64 at = now.toMSecsSinceEpoch();
    if (m_attempts++ == 0)
        m_since = now;
    if (m_attempts == 1 || failure.reason != m_failure.reason) {
        m_failure = failure;
        m_reportGap = FirstReportGap;
        m_nextReport = at + m_reportGap;
        return NotMadeMessage(fileName, failure);
    }
    if (at < m_nextReport)
        return std::nullopt;
    m_reportGap = std::min(m_reportGap * 2, MaxReportGap);
    m_nextReport = at + m_reportGap;
    return QStringLiteral("TVX File still not made for : ") + fileName + QLatin1String(" (") + failure.reason +
           QLatin1String("), ") + FormatInteger(m_attempts) + QLatin1String(" attempts since ") +
           ClockTime(m_since.time());
}

QString FailureStreak::madeMessage(const QString &fileName) const
{
    return QStringLiteral("TVX File made for : ") + fileName + QLatin1String(" after ") + FormatInteger(m_attempts) +
           (m_attempts == 1 ? QLatin1String(" failed attempt") : QLatin1String(" failed attempts"));
}
