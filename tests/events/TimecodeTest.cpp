#include "events/Timecode.h"

#include <gtest/gtest.h>

namespace {

TEST(Timecode, ToSeconds)
{
    const char *cases[][2] = {{"01:00:00;10", "3600.33"},
                              {"00:00:00;01", ".033"},
                              {"  10:00:00  ", "36000"},
                              {"23:59:59;29", "86399.957"},
                              {"12:34", "0"},
                              {"10:00:00;0", "0"},
                              {"\t10:00:00", "0"},
                              {"07x00+00/15", "25200.495"},
                              {"01:-1:00;00", "3540"},
                              {"99:99:99;99", "362442.267"}};
    for (const auto &c : cases)
        EXPECT_EQ(TimecodeToSeconds(QLatin1String(c[0])), QLatin1String(c[1])) << c[0];
}

TEST(Timecode, Calc)
{
    const struct {
        const char *a, *b, *op;
        bool wrap;
        const char *result;
    } cases[] = {{"10:00:00;00", "09:59:59;29", "-", false, "00:00:00;01"},
                 {"01:00:00;00", "23:00:00;00", "-", true, "02:00:00;00"},
                 {"01:00:00;00", "23:00:00;00", "-", false, "00:00:00;00"},
                 {"12:00:00;00", "13:00:00;00", "+", false, "25:00:00;00"},
                 {"12:00:00;00", "13:00:00;00", "+", true, "01:00:00;00"},
                 {"00:00:00;45", "00:00:00;00", "+", false, "00:00:01;15"},
                 {"00:00:75;00", "00:00:00;00", "+", false, "00:01:15;00"},
                 {"0:00:00;00", "00:00:00;00", "+", false, "00:00:00;00"},
                 {"01:00:00;00", "00:00:00;00", " ", false, "00:00:00;00"},
                 {"01:00:00;00", "00:00:00;00", "*", false, "00:00:00;00"},
                 {"01:00:00;00", "00:00:00;00", " +", false, "00:00:00;00"},
                 {"01:00:00;00", "30:00:00;00", "-", true, "00:00:00;00"},
                 {"60:00:00;00", "60:00:00;00", "+", false, "120:00:00;00"},
                 {"23:59:59;29", "00:00:00;01", "+", true, "00:00:00;00"},
                 {" 1x00y05z07", "00:00:-1;00", "+", false, "01:00:04;07"},
                 {"-1:00:00;00", "00:00:00;00", "+", false, "00:00:00;00"},
                 {"99:99:99;99", "99:99:99;99", "+", false, "201:21:24;18"}};
    for (const auto &c : cases)
        EXPECT_EQ(TimecodeCalc(QLatin1String(c.a), QLatin1String(c.b), QLatin1String(c.op), c.wrap),
                  QLatin1String(c.result))
            << c.a << c.op << c.b << " wrap " << c.wrap;
}

TEST(Timecode, DateToYYYYMMDD)
{
    EXPECT_EQ(DateToYYYYMMDD(QDate(2026, 12, 4)), QStringLiteral("20261204"));
    EXPECT_EQ(DateToYYYYMMDD(QDate(2027, 1, 9)), QStringLiteral("20270109"));
    EXPECT_EQ(DateToYYYYMMDD(QDate(999, 12, 31)), QStringLiteral("9991231"));
}

} // namespace
