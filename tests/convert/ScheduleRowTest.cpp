#include "convert/ScheduleRow.h"

#include <gtest/gtest.h>

namespace {

CellValue number(double value)
{
    CellValue cell;
    cell.type = CellValue::Type::Number;
    cell.number = value;
    return cell;
}

CellValue text(const QString &value)
{
    CellValue cell;
    cell.type = CellValue::Type::Text;
    cell.text = value;
    return cell;
}

CellValue boolean(bool value)
{
    CellValue cell;
    cell.type = CellValue::Type::Boolean;
    cell.boolean = value;
    return cell;
}

CellValue error()
{
    CellValue cell;
    cell.type = CellValue::Type::Error;
    return cell;
}

struct TextCase {
    const char *label;
    CellValue cell;
    QString expected;
};

class CellTextTest : public testing::TestWithParam<TextCase>
{
};

TEST_P(CellTextTest, ConvertsLikeG15)
{
    EXPECT_EQ(CellText(GetParam().cell), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cells, CellTextTest,
    testing::Values(TextCase{"empty", CellValue{}, ""}, TextCase{"text_verbatim", text(" a\tb "), " a\tb "},
                    TextCase{"half", number(12.5), "12.5"}, TextCase{"whole", number(7), "7"},
                    TextCase{"big", number(1e20), "1E+20"}, TextCase{"small", number(0.00001), "1E-05"},
                    TextCase{"fifteen_digits", number(0.1 + 0.2), "0.3"}, TextCase{"true", boolean(true), "True"},
                    TextCase{"false", boolean(false), "False"}, TextCase{"error", error(), ""}),
    [](const auto &info) { return std::string(info.param.label); });

struct TimeCase {
    const char *label;
    CellValue cell;
    double expected; // seconds of the day, or a raw serial for non-text cells
};

class CellDateTimeTest : public testing::TestWithParam<TimeCase>
{
};

TEST_P(CellDateTimeTest, GivesTimeOfDay)
{
    const TimeCase &c = GetParam();
    const double expected = c.cell.type == CellValue::Type::Text ? c.expected / 86400.0 : c.expected;
    EXPECT_DOUBLE_EQ(CellDateTime(c.cell), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cells, CellDateTimeTest,
    testing::Values(
        TimeCase{"serial_kept", number(46360.75), 46360.75}, TimeCase{"true_is_minus_one", boolean(true), -1},
        TimeCase{"false_is_zero", boolean(false), 0}, TimeCase{"error", error(), 0}, TimeCase{"empty", CellValue{}, 0},
        TimeCase{"short_time", text("10:00"), 36000}, TimeCase{"trimmed_one_digit_hour", text("  9:05:07 "), 32707},
        TimeCase{"fraction", text("23:59:59.25"), 86399.25},
        TimeCase{"iso_date_and_time", text("2026-12-04 18:00:00"), 64800},
        TimeCase{"us_date_pm_many_blanks", text("12/4/2026   6:30    pm"), 66600},
        TimeCase{"twelve_am", text("12:00 AM"), 0}, TimeCase{"twelve_pm_no_blank", text("12:00PM"), 43200},
        TimeCase{"one_am_lower", text("1:00am"), 3600}, TimeCase{"date_only", text("2026-12-04"), 0},
        TimeCase{"hour_24", text("24:00"), 0}, TimeCase{"pm_hour_13", text("13:00 PM"), 0},
        TimeCase{"am_hour_0", text("0:30 AM"), 0}, TimeCase{"minute_60", text("10:60"), 0},
        TimeCase{"second_60", text("10:00:60"), 0}, TimeCase{"one_digit_minute", text("10:5"), 0},
        TimeCase{"no_fraction_digits", text("10:00:00."), 0}, TimeCase{"not_a_day", text("2026-02-30 10:00"), 0},
        TimeCase{"no_blank_after_date", text("2026-12-0410:00"), 0}, TimeCase{"bad_marker", text("10:00 XM"), 0},
        TimeCase{"trailing_text", text("10:00 news"), 0}, TimeCase{"tab_is_text", text("\t10:00"), 0},
        TimeCase{"just_a_number", text("10"), 0}),
    [](const auto &info) { return std::string(info.param.label); });

ScheduleCells rowCells(CellValue j, CellValue r = text("News"), CellValue v = text("CAM 1"))
{
    ScheduleCells cells{};
    cells[ColumnJ] = std::move(j);
    cells[ColumnR] = std::move(r);
    cells[ColumnV] = std::move(v);
    return cells;
}

struct VrCase {
    const char *label;
    CellValue cell;
    int16_t expected;
};

class VrNumberTest : public testing::TestWithParam<VrCase>
{
};

TEST_P(VrNumberTest, TakesLeadingNumberHalvesToEven)
{
    EXPECT_EQ(ToScheduleRow(rowCells(GetParam().cell)).VrNumber, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cells, VrNumberTest,
    testing::Values(VrCase{"half_down_to_even", number(12.5), 12}, VrCase{"half_up_to_even", number(13.5), 14},
                    VrCase{"text_seven_then_letter", text("7 x"), 7}, VrCase{"letter_first", text("x7"), 0},
                    VrCase{"blanks_between_digits", text(" 1 2 "), 12}, VrCase{"lowest", number(-32768), -32768},
                    VrCase{"above_16_bits", number(32767.5), 0}, VrCase{"huge", number(1e20), 0},
                    VrCase{"boolean_text", boolean(true), 0}, VrCase{"error", error(), 0}),
    [](const auto &info) { return std::string(info.param.label); });

TEST(ScheduleRowTest, TrimsSpacesOnlyAndKeepsLength)
{
    ScheduleCells cells = rowCells(number(5), text("  News  "), text("\tCAM 1\u00a0"));
    cells[ColumnT] = number(7);
    const ScheduleRow row = ToScheduleRow(cells);
    EXPECT_EQ(row.EventName, "News");
    EXPECT_EQ(row.SourceName, QString::fromUtf8("\tCAM 1\u00a0"));
    EXPECT_EQ(row.NoteText, "7");
}

TEST(ScheduleRowTest, RejectsInOrderOfReasons)
{
    const auto reason = [](CellValue j, const QString &name, const QString &source) {
        return RejectReason(ToScheduleRow(rowCells(std::move(j), text(name), text(source))));
    };
    EXPECT_EQ(reason(number(1), "News", "CAM 1"), "");
    EXPECT_EQ(reason(number(32), "News", "CAM 1"), "");
    EXPECT_EQ(reason(number(0), "", ""), "VR number outside 1 to 32");
    EXPECT_EQ(reason(number(33), "News", "CAM 1"), "VR number outside 1 to 32");
    EXPECT_EQ(reason(number(5), "   ", ""), "event name empty");
    EXPECT_EQ(reason(number(5), "News", "   "), "source name empty");
}

TEST(ScheduleRowTest, AnyValueCountsButEmptyText)
{
    EXPECT_FALSE(HasAnyValue(ScheduleCells{}));
    for (const CellValue &cell : {text(" "), number(0), boolean(false), error()}) {
        ScheduleCells cells{};
        cells[ColumnL] = cell;
        EXPECT_TRUE(HasAnyValue(cells));
    }
    ScheduleCells emptyText{};
    emptyText[ColumnT] = text("");
    EXPECT_FALSE(HasAnyValue(emptyText));
}

} // namespace
