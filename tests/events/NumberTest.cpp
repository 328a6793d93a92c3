#include "events/Number.h"

#include <gtest/gtest.h>
#include <limits>

namespace {

TEST(Number, PrefixRule)
{
    const std::pair<const char16_t *, double> cases[] = {
        {u"", 0},        {u"1x", 1},     {u"  12.5  ", 12.5}, {u"5,5", 5},        {u"1 2\t3\n4", 1234}, {u"\r7", 0},
        {u"1.2.3", 1.2}, {u"-.5", -0.5}, {u"-", 0},           {u"1 e 3", 1000},   {u"2E-1", 0.2},       {u"1e+", 1},
        {u"1d3", 1},     {u"1e-400", 0}, {u"& h 1Fz", 31},    {u"&HFFFF", 65535}, {u"&O17", 15},        {u"&o8", 0},
        {u"&X1", 0},     {u"-&H1F", 0},  {u"+5", 5}};
    for (const auto &[text, value] : cases)
        EXPECT_EQ(ParseNumberPrefix(QString::fromUtf16(text)), value) << qPrintable(QString::fromUtf16(text));
    for (const QString &tooLarge :
         {QStringLiteral("1e400"), QStringLiteral("1") + QString(400, u'0'), QStringLiteral("&H") + QString(300, u'F')})
        EXPECT_FALSE(ParseNumberPrefix(tooLarge)) << qPrintable(tooLarge);
}

TEST(Number, Integer16RoundsHalfToEvenThenChecksRange)
{
    const struct {
        double value;
        std::optional<int16_t> result;
    } cases[] = {{0.5, 0},
                 {2.5, 2},
                 {-1.5, -2},
                 {0.49999999999999994, 0},
                 {32767.4, 32767},
                 {32767.5, {}},
                 {-32768.5, -32768},
                 {-32768.6, {}},
                 {std::numeric_limits<double>::infinity(), {}},
                 {std::numeric_limits<double>::quiet_NaN(), {}}};
    for (const auto &c : cases)
        EXPECT_EQ(ToInteger16(c.value), c.result) << c.value;
    EXPECT_EQ(ParseInteger16(QStringLiteral("1e400")), std::nullopt);
    EXPECT_EQ(ParseInteger16(QStringLiteral("&H8000")), std::nullopt);
    EXPECT_EQ(Trimmed(QStringLiteral(" \ta \t ")), QStringLiteral("\ta \t"));
}

} // namespace
