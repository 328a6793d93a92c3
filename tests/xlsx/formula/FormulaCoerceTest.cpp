#include "xlsx/formula/Coerce.h"

#include <gtest/gtest.h>

namespace {

using namespace formula;

TEST(FormulaCoerce, TextReadAsANumber)
{
    const struct {
        const char *text;
        std::optional<double> value;
    } cases[] = {
        {" 12 ", 12},
        {"-1,234.5", -1234.5},
        {"1,23", std::nullopt},
        {",123", std::nullopt},
        {"(3)", -3},
        {"$5", 5},
        {"50%", 0.5},
        {"1e3", 1000},
        {"1e", std::nullopt},
        {".5", 0.5},
        {".", std::nullopt},
        {"10:30", 0.4375},
        {"25:00", 25.0 / 24},
        {"10:60", std::nullopt},
        {"1:30.5", 90.5 / 86400},
        {"9:05:10 PM", (21 * 3600 + 5 * 60 + 10) / 86400.0},
        {"12:00 AM", 0},
        {"13:00 PM", std::nullopt},
        {"10 AM", 10.0 / 24},
        {"1:2:3:4", std::nullopt},
        {"2024-03-15", 45366},
        {"2024/3/15", 45366},
        {"3/15/2024 6:00 PM", 45366.75},
        {"3/15/24", 45366},
        {"2024-02-30", std::nullopt},
        {"15.03.2024", std::nullopt},
        {"", std::nullopt},
        {"TRUE", std::nullopt},
    };
    for (const auto &c : cases) {
        const std::optional<double> value = TextToNumber(QString::fromUtf8(c.text));
        ASSERT_EQ(value.has_value(), c.value.has_value()) << c.text;
        if (value) {
            EXPECT_DOUBLE_EQ(*value, *c.value) << c.text;
        }
    }
}

TEST(FormulaCoerce, ComparisonOrderAndMargin)
{
    EXPECT_EQ(CompareValues(Value::Number(1e10), Value::Text(QStringLiteral("0"))), -1);
    EXPECT_EQ(CompareValues(Value::Text(QStringLiteral("zz")), Value::Boolean(false)), -1);
    EXPECT_EQ(CompareValues(Value::Blank(), Value::Boolean(false)), 0);
    EXPECT_EQ(CompareValues(Value::Number(0.1 + 0.2), Value::Number(0.3)), 0);
    EXPECT_EQ(CompareValues(Value::Number(1), Value::Number(1 + 1e-13)), -1);
}

} // namespace
