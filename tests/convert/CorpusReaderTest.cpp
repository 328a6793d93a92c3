#include "convert/WorkbookCells.h"
#include "convert/XlsxWorkbook.h"

#include <QDir>
#include <QFileInfo>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

// Readable failure messages.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

using Type = CellValue::Type;

QString CorpusDir()
{
    return QStringLiteral(TAVREL_SHARED_DIR "/corpus/xlsx");
}

struct Expected {
    int row;
    int column;
    Type type;
    double number = 0;
    const char *text = ""; // UTF-8; also an error's code
};

struct CorpusCase {
    const char *file;
    const char *error;
    size_t cellCount; // cells holding a value in rows 1..100
    std::vector<Expected> cells;
};

// Values checked against the XML of each file, unzipped by hand.
const CorpusCase CorpusCases[] = {
    {"01_calamine_any_sheets.xlsx",
     "",
     7,
     {{3, 2, Type::Number, 6},
      {5, 1, Type::Text, 0, "This workbook contains 4 sheets: Visible, Hidden, VeryHidden and Chart"}}},
    {"02_xlsxwriter_firstsheet01.xlsx", "", 0, {}},
    {"03_readxl_sheet-xml-lookup.xlsx",
     "",
     36,
     {{2, 1, Type::Text, 0, "Algeria"}, {2, 4, Type::Number, 43.077}, {3, 1, Type::Text, 0, "Angola"}}},
    {"04_edr_Test_git_issue_629.xlsx",
     "",
     57,
     {{1, 1, Type::Text, 0, "BVI Excel Sheet_V7_1"},
      {5, 2, Type::Text, 0, ""},
      {10, 22, Type::Text, 0, "Clearing amount"}}},
    {"05_calamine_issue_530.xlsx",
     "",
     30,
     {{1, 1, Type::Text, 0, "报表导出人："}, {2, 2, Type::Text, 0, "2023年03月04日"}, {4, 4, Type::Text, 0, "平台"}}},
    {"06_calamine_issue_419.xlsx", "", 1, {{1, 1, Type::Text, 0, "Hello"}}},
    {"07_calamine_hyperlinks.xlsx",
     "",
     9,
     {{1, 1, Type::Text, 0, "calamine repo"}, {8, 1, Type::Text, 0, "sales data range"}}},
    {"08_calamine_nonstandard-xml-ns-prefix.xlsx", "", 6, {{1, 1, Type::Text, 0, "a"}, {3, 2, Type::Number, 4}}},
    {"09_calamine_richtext-namespaced.xlsx",
     "",
     2,
     {{1, 1, Type::Text, 0, "inline string\nLine 2\nLine 3"}, {1, 8, Type::Text, 0, "shared string\nLine 2\nLine 3"}}},
    {"10_edr_Test_git_issue_324.xlsx",
     "",
     230,
     {{1, 1, Type::Text, 0, "London Metal Exchange"},
      {1, 2, Type::Text, 0, ""},
      {2, 1, Type::Text, 0, "XLME"},
      {12, 5, Type::Number, 366607.78},
      {19, 6, Type::Text, 0, "Combined"}}},
    {"11_calamine_issue_261.xlsx",
     "",
     250,
     {{1, 1, Type::Text, 0, "String Value 32"},
      {7, 1, Type::Text, 0, "String Value 29"},
      {7, 2, Type::Number, 45000},
      {7, 6, Type::Text, 0, "String Value 43"},
      {7, 7, Type::Number, 901}}},
    {"12_edr_LowerCaseReferenceAttribute.xlsx",
     "",
     9,
     {{1, 1, Type::Text, 0, "A1"}, {2, 3, Type::Text, 0, "C2"}, {3, 5, Type::Text, 0, "E3"}}},
    {"13_calamine_strict_iso_paths.xlsx",
     "",
     1368,
     {{1, 1, Type::Text, 0, "Item"},
      {2, 2, Type::Number, 1.5},
      {2, 3, Type::Number, 7},
      {50, 1, Type::Number, 1635536200}}},
    {"14_edr_strict_roo_1904_base.xlsx", "", 2, {{1, 1, Type::Number, 39979}, {2, 1, Type::Number, 41383}}},
    {"15_edr_strict_Test_git_issue_694_TimeSpan.xlsx",
     "",
     106,
     {{2, 2, Type::Text, 0, "-13:57"}, {4, 2, Type::Number, 11.0 / 1440}, {28, 2, Type::Number, 50.0 / 1440}}},
    {"16_sheetjs_xlsx-stream-d-date-cell.xlsx",
     "",
     33,
     {{1, 3, Type::Text, 0, "&'\";<>"},
      {3, 4, Type::Number, 1.23456789e22},
      {4, 2, Type::Boolean, 1},
      {4, 3, Type::Boolean, 0},
      {5, 2, Type::Number, 41684 + 30468.765 / 86400},
      {11, 2, Type::Text, 0, "String1"}}},
    {"17_calamine_date_1904.xlsx", "", 6, {{1, 1, Type::Number, 42735}, {3, 1, Type::Number, 10.6320601851852}}},
    {"18_readxl_types.xlsx",
     "",
     21,
     {{2, 2, Type::Boolean, 1},
      {2, 3, Type::Number, 41331},
      {2, 5, Type::Text, 0, "hello"},
      {6, 5, Type::Text, 0, "wor"}}},
    {"19_calamine_empty_shared_string.xlsx", "", 2, {{1, 1, Type::Text, 0, "abc"}, {2, 1, Type::Text, 0, ""}}},
    {"20_calamine_empty_shared_string_value.xlsx",
     "",
     6,
     {{2, 2, Type::Empty}, {3, 1, Type::Empty}, {3, 2, Type::Text, 0, "Berlin"}}},
    {"21_calamine_richtext-after-plain.xlsx",
     "",
     8,
     {{2, 1, Type::Text, 0, "tvalrval1rval2"}, {2, 2, Type::Text, 0, "rval1rval2"}}},
    {"22_calamine_rph.xlsx", "", 1, {{1, 1, Type::Text, 0, "課きく　毛こ"}}},
    {"23_xlsxwriter_shared_strings01.xlsx",
     "",
     99,
     {{2, 1, Type::Text, 0, "\x01"},
      {10, 1, Type::Text, 0, "\t"},
      {11, 1, Type::Text, 0, "\n"},
      {33, 1, Type::Text, 0, " "},
      {40, 1, Type::Text, 0, "'"},
      {99, 1, Type::Text, 0, "b"}}},
    {"24_calamine_whitespace_trim.xlsx",
     "",
     7,
     {{1, 1, Type::Text, 0, "  trimmed value  "},
      {1, 3, Type::Text, 0, " \t\n"},
      {2, 1, Type::Text, 0, "  line1\nline2  "},
      {3, 1, Type::Text, 0, "日期 时间"}}},
    {"25_sheetjs_ErrorTypes.xlsx",
     "",
     140,
     {{2, 1, Type::Error, 0, "#NULL!"},
      {3, 1, Type::Error, 0, "#DIV/0!"},
      {8, 2, Type::Text, 0, "#N/A!"},
      {2, 8, Type::Boolean, 1},
      {2, 9, Type::Boolean, 0}}},
    {"26_readxl_missing-v-node-xlsx.xlsx",
     "",
     5,
     {{1, 3, Type::Text, 0, "A + B"}, {2, 2, Type::Number, 2}, {2, 3, Type::Empty}}},
    {"27_edr_Test_git_issue_694_TimeSpan.xlsx",
     "",
     106,
     {{2, 1, Type::Text, 0, "416"}, {4, 2, Type::Number, 0.007638888888888973}}},
    {"28_calamine_issue_174.xlsx",
     "",
     22,
     {{1, 11, Type::Text, 0, "Your Company"}, {2, 1, Type::Number, 123}, {2, 6, Type::Number, 1.5}}},
    {"29_calamine_pass_protected.xlsx", "encrypted workbook", 0, {}},
    {"30_edr_Test_git_issue289.xlsx", "encrypted workbook", 0, {}},
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
        if (!QFileInfo::exists(CorpusDir()))
            GTEST_SKIP() << "no corpus at " << CorpusDir().toStdString();
    }
};

TEST_P(CorpusReaderTest, ReadsKnownValues)
{
    const CorpusCase &file = GetParam();
    const QString path = CorpusDir() + u'/' + QLatin1String(file.file);
    const SheetCellsResult result = ReadFirstSheetCells(path, CellWindow{1, 100, {}});
    ASSERT_EQ(result.error, QString::fromUtf8(file.error));
    EXPECT_EQ(result.cells.size(), file.cellCount);
    for (const Expected &expected : file.cells) {
        const auto found = result.cells.find({expected.row, expected.column});
        const CellValue cell = found == result.cells.end() ? CellValue() : found->second;
        SCOPED_TRACE(testing::Message() << "row " << expected.row << " column " << expected.column);
        ASSERT_EQ(int(cell.type), int(expected.type));
        if (expected.type == Type::Number) {
            EXPECT_NEAR(cell.number, expected.number, std::abs(expected.number) * 1e-15 + 1e-12);
        } else if (expected.type == Type::Text || expected.type == Type::Error) {
            EXPECT_EQ(cell.text, QString::fromUtf8(expected.text));
        } else if (expected.type == Type::Boolean) {
            EXPECT_EQ(cell.boolean, expected.number != 0);
        }
    }
    // The schedule reader gives the same verdict.
    EXPECT_EQ(ReadWorkbookCells(path).error, QString::fromUtf8(file.error));
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusReaderTest, testing::ValuesIn(CorpusCases),
                         [](const auto &info) { return std::string(info.param.file).substr(0, 2); });

TEST(CorpusReader, FillerRowBeyondHundredIsNeverInflated)
{
    // 28 holds 1.5 MB of sheet XML, almost all of it in row 1048576.
    const QString path = CorpusDir() + QStringLiteral("/28_calamine_issue_174.xlsx");
    if (!QFileInfo::exists(path))
        GTEST_SKIP() << "no corpus";
    const SheetCellsResult result = ReadFirstSheetCells(path, CellWindow{1, 100, {}}, 64 * 1024);
    EXPECT_TRUE(result.ok()) << result.error.toStdString();
}

} // namespace
