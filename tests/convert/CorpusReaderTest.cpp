#include "convert/XlsxWorkbook.h"
#include "tests/convert/CellTestSupport.h"

#include <QFileInfo>
#include <vector>

namespace {

const QString CorpusDir = QStringLiteral(TAVREL_SHARED_DIR "/corpus/xlsx/");

struct CorpusCase {
    const char *file;
    size_t cellCount; // cells holding a value in rows 1..100
    std::vector<std::pair<CellPosition, CellValue>> cells;
    const char *error = "";
};

// One or two cells per file that show the file's particularity was read right, checked against its XML by hand.
const CorpusCase CorpusCases[] = {
    {"01_calamine_any_sheets.xlsx",
     7,
     {{{5, 1}, Text("This workbook contains 4 sheets: Visible, Hidden, VeryHidden and Chart")}}},
    {"02_xlsxwriter_firstsheet01.xlsx", 0, {}},
    {"03_readxl_sheet-xml-lookup.xlsx", 36, {{{2, 1}, Text("Algeria")}}},
    {"04_edr_Test_git_issue_629.xlsx", 57, {{{1, 1}, Text("BVI Excel Sheet_V7_1")}}},
    {"05_calamine_issue_530.xlsx", 30, {{{1, 1}, Text(QString::fromUtf8("报表导出人："))}}},
    {"06_calamine_issue_419.xlsx", 1, {{{1, 1}, Text("Hello")}}},
    {"07_calamine_hyperlinks.xlsx", 9, {{{8, 1}, Text("sales data range")}}},
    {"08_calamine_nonstandard-xml-ns-prefix.xlsx", 6, {{{1, 1}, Text("a")}, {{3, 2}, Number(4)}}},
    {"09_calamine_richtext-namespaced.xlsx",
     2,
     {{{1, 1}, Text("inline string\nLine 2\nLine 3")}, {{1, 8}, Text("shared string\nLine 2\nLine 3")}}},
    {"10_edr_Test_git_issue_324.xlsx", 230, {{{1, 1}, Text("London Metal Exchange")}, {{12, 5}, Number(366607.78)}}},
    {"11_calamine_issue_261.xlsx", 250, {{{1, 1}, Text("String Value 32")}, {{7, 7}, Number(901)}}},
    {"12_edr_LowerCaseReferenceAttribute.xlsx", 9, {{{3, 5}, Text("E3")}}},
    {"13_calamine_strict_iso_paths.xlsx", 1368, {{{1, 1}, Text("Item")}, {{2, 2}, Number(1.5)}}},
    {"14_edr_strict_roo_1904_base.xlsx", 2, {{{1, 1}, Number(39979)}}},
    {"15_edr_strict_Test_git_issue_694_TimeSpan.xlsx", 106, {{{2, 2}, Text("-13:57")}, {{4, 2}, Number(11.0 / 1440)}}},
    {"16_sheetjs_xlsx-stream-d-date-cell.xlsx",
     33,
     {{{4, 2}, Boolean(true)}, {{5, 2}, Number(41684 + 30468.765 / 86400)}}},
    {"17_calamine_date_1904.xlsx", 6, {{{3, 1}, Number(10.6320601851852)}}},
    {"18_readxl_types.xlsx", 21, {{{2, 2}, Boolean(true)}, {{2, 5}, Text("hello")}}},
    {"19_calamine_empty_shared_string.xlsx", 2, {{{1, 1}, Text("abc")}, {{2, 1}, Text("")}}},
    {"20_calamine_empty_shared_string_value.xlsx", 6, {{{2, 2}, CellValue()}, {{3, 2}, Text("Berlin")}}},
    {"21_calamine_richtext-after-plain.xlsx", 8, {{{2, 1}, Text("tvalrval1rval2")}}},
    {"22_calamine_rph.xlsx", 1, {{{1, 1}, Text(QString::fromUtf8("課きく　毛こ"))}}},
    {"23_xlsxwriter_shared_strings01.xlsx", 99, {{{2, 1}, Text("\x01")}, {{10, 1}, Text("\t")}}},
    {"24_calamine_whitespace_trim.xlsx", 7, {{{1, 1}, Text("  trimmed value  ")}, {{1, 3}, Text(" \t\n")}}},
    {"25_sheetjs_ErrorTypes.xlsx", 140, {{{2, 1}, Error()}, {{8, 2}, Text("#N/A!")}}},
    {"26_readxl_missing-v-node-xlsx.xlsx", 5, {{{2, 2}, Number(2)}, {{2, 3}, CellValue()}}},
    {"27_edr_Test_git_issue_694_TimeSpan.xlsx", 106, {{{4, 2}, Number(0.007638888888888973)}}},
    {"28_calamine_issue_174.xlsx", 22, {{{2, 6}, Number(1.5)}}},
    {"29_calamine_pass_protected.xlsx", 0, {}, "encrypted workbook"},
    {"30_edr_Test_git_issue289.xlsx", 0, {}, "encrypted workbook"},
};

void PrintTo(const CorpusCase &c, std::ostream *out)
{
    *out << c.file;
}

class CorpusReaderTest : public testing::TestWithParam<CorpusCase>
{
protected:
    void SetUp() override
    {
        if (!QFileInfo::exists(CorpusDir))
            GTEST_SKIP() << "no corpus at " << CorpusDir.toStdString();
    }
};

TEST_P(CorpusReaderTest, ReadsKnownValues)
{
    const QString path = CorpusDir + QLatin1String(GetParam().file);
    const SheetCellsResult result = ReadFirstSheetCells(path, CellWindow{1, 100, {}});
    ASSERT_EQ(result.error, GetParam().error);
    EXPECT_EQ(result.cells.size(), GetParam().cellCount);
    for (const auto &[position, expected] : GetParam().cells) {
        const auto found = result.cells.find(position);
        EXPECT_TRUE(SameCell(found == result.cells.end() ? CellValue() : found->second, expected))
            << "row " << position.first << " column " << position.second;
    }
    EXPECT_EQ(ReadWorkbookCells(path).error, GetParam().error); // the schedule reader gives the same verdict
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusReaderTest, testing::ValuesIn(CorpusCases),
                         [](const auto &info) { return std::string(info.param.file).substr(0, 2); });

TEST(CorpusReader, FillerRowBeyondHundredIsNeverInflated)
{
    const QString path = CorpusDir + QStringLiteral("28_calamine_issue_174.xlsx"); // 1.5 MB of XML in row 1048576
    if (!QFileInfo::exists(path))
        GTEST_SKIP();
    EXPECT_EQ(ReadFirstSheetCells(path, CellWindow{1, 100, {}}, 64 * 1024).error, "");
}

} // namespace
