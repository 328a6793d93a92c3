#include "events/DateValue.h"

#include <cmath>

namespace {

const QDate SerialEpoch(1899, 12, 30);

} // namespace

double DateToSerial(const QDate &date)
{
    return static_cast<double>(SerialEpoch.daysTo(date));
}

QDate SerialToDate(double serial)
{
    const double day = std::floor(serial);
    // Beyond any calendar QDate can hold; also keeps the conversion to an integer defined.
    if (!std::isfinite(day) || std::fabs(day) > 1e11)
        return QDate();
    return SerialEpoch.addDays(static_cast<qint64>(day));
}

double TimeOfDayPart(double d)
{
    return d - std::floor(d);
}

int32_t SecondOfDay(double d)
{
    // 1.1574074074074073e-05 is one second as a fraction of a day, as the system's own formula divides by it;
    // its reciprocal is exactly 86400.0, so this is the plain product.
    const double t = TimeOfDayPart(d) * (1.0 / 1.1574074074074073e-05);
    if (!std::isfinite(t))
        return 0;
    double whole = std::floor(t);
    if (t - whole >= 0.5)
        whole += 1;
    return static_cast<int32_t>(whole) % 86400;
}
