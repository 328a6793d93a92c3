#include "events/DateValue.h"

#include <gtest/gtest.h>

namespace {

TEST(DateValue, SecondOfDayRoundsToWholeSecondHalfUp)
{
    const struct {
        int h, m;
        double s;
        int hour, minute, second;
    } cases[] = {
        {23, 59, 59, 23, 59, 59}, {12, 34, 59.6, 12, 35, 0}, {12, 34, 58.4, 12, 34, 58}, {23, 59, 59.7, 0, 0, 0}};
    for (const auto &c : cases) {
        for (const QDate &day : {QDate(1899, 12, 30), QDate(2026, 12, 4)}) {
            const double d = DateToSerial(day) + (c.h * 3600 + c.m * 60 + c.s) / 86400.0;
            EXPECT_EQ(SecondOfDay(d), c.hour * 3600 + c.minute * 60 + c.second) << c.h << ':' << c.m << ':' << c.s;
        }
    }
    EXPECT_EQ(SecondOfDay(0.5 / 86400), 1);
    EXPECT_EQ(SecondOfDay(1.5 / 86400), 2);
}

} // namespace
