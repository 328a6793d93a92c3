#include "convert/ScheduleRow.h"

#include "tests/support/CellTestSupport.h"

namespace {

ScheduleCells RowCells(const CellValue &j, const CellValue &r = Text("News"), const CellValue &v = Text("CAM 1"))
{
    ScheduleCells cells{};
    cells[ColumnJ] = j;
    cells[ColumnR] = r;
    cells[ColumnV] = v;
    return cells;
}

TEST(ScheduleRow, CellTextLikeG15)
{
    // Numbers as FormatNumberG15 writes them: 15 significant digits.
    const std::pair<CellValue, QString> cases[] = {{CellValue(), ""},          {Text(" a\tb "), " a\tb "},
                                                   {Number(0.1 + 0.2), "0.3"}, {Boolean(true), "True"},
                                                   {Boolean(false), "False"},  {Error(), ""}};
    for (const auto &[cell, text] : cases)
        EXPECT_EQ(CellText(cell), text) << testing::PrintToString(cell);
}

TEST(ScheduleRow, CellDateTimeGivesTimeOfDay)
{
    // Non-text cells give their value as it is.
    EXPECT_DOUBLE_EQ(CellDateTime(Number(46360.75)), 46360.75);
    EXPECT_EQ(CellDateTime(Boolean(true)), -1);
    EXPECT_EQ(CellDateTime(Error()), 0);

    const std::pair<const char *, double> seconds[] = {{"  9:05:07 ", 32707},
                                                       {"23:59:59.25", 86399.25},
                                                       {"2026-12-04 18:00:00", 64800},
                                                       {"12/4/2026   6:30    pm", 66600},
                                                       {"12/25/2026 10:00", 36000},
                                                       {"12:00 AM", 0},
                                                       {"12:00PM", 43200},
                                                       {"2026-12-04", 0}};
    for (const auto &[text, second] : seconds)
        EXPECT_DOUBLE_EQ(CellDateTime(Text(text)), second / 86400.0) << text;
    for (const char *invalid : {"24:00", "13:00 PM", "0:30 AM", "10:60", "10:00:60", "10:5", "10:00:00.",
                                "2026-02-30 10:00", "2026-12-0410:00", "10:00 XM", "10:00 news", "\t10:00", "10"})
        EXPECT_EQ(CellDateTime(Text(invalid)), 0) << invalid;
}

TEST(ScheduleRow, VrNumberTakesTheLeadingNumberHalvesToEven)
{
    const std::pair<CellValue, int16_t> cases[] = {{Number(12.5), 12},       {Number(13.5), 14}, {Text("7 x"), 7},
                                                   {Number(-32768), -32768}, {Number(1e20), 0},  {Number(32767.5), 0},
                                                   {Boolean(true), 0}};
    for (const auto &[cell, vr] : cases)
        EXPECT_EQ(ToScheduleRow(RowCells(cell)).VrNumber, vr) << testing::PrintToString(cell);
    EXPECT_EQ(ToScheduleRow(RowCells(Number(1.4999999999999998))).VrNumber, 2); // its text, "1.5", rounds up
}

TEST(ScheduleRow, RejectsInOrderOfReasons)
{
    const auto reason = [](double vr, const char *name, const char *source) {
        return RejectReason(ToScheduleRow(RowCells(Number(vr), Text(name), Text(source))))
            .value_or(QStringLiteral("accepted"));
    };
    EXPECT_EQ(reason(1, "News", "CAM 1"), "accepted");
    EXPECT_EQ(reason(32, "News", "CAM 1"), "accepted");
    EXPECT_EQ(reason(0, "", ""), "VR number outside 1 to 32");
    EXPECT_EQ(reason(33, "News", "CAM 1"), "VR number outside 1 to 32");
    EXPECT_EQ(reason(5, "   ", ""), "event name empty");
    EXPECT_EQ(reason(5, "News", "   "), "source name empty");
}

} // namespace
