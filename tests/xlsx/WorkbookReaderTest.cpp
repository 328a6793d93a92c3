#include "tests/support/CellTestSupport.h"
#include "tests/support/TestPlatform.h"
#include "tests/support/XlsxBuilder.h"
#include "xlsx/XlsxCellValue.h"
#include "xlsx/XlsxWorkbook.h"
#include "xlsx/XlsxXml.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <functional>

namespace {

const QDateTime Moment(QDate(2026, 12, 4), QTime(14, 5, 33));

const QString HelloRow = QStringLiteral(R"(<row r="1"><c r="A1" t="inlineStr"><is><t>hello</t></is></c></row>)");

// The minimal workbook, hello in A1, with parts replaced or added.
XlsxParts Plain(const XlsxParts &changes = {})
{
    XlsxParts parts = TestWorkbookParts(HelloRow);
    for (const auto &[name, content] : changes)
        SetPart(parts, name, content);
    return parts;
}

CellValue At(const FirstSheetCells &result, int row, int column)
{
    const auto found = result.cells.find({row, column});
    return found == result.cells.end() ? CellValue() : found->second;
}

class WorkbookReaderTest : public testing::Test
{
protected:
    QString path(const QString &name = QStringLiteral("book.xlsx")) const { return m_dir.filePath(name); }
    FirstSheetCells read(const XlsxParts &parts, std::int64_t limit = InflatedXmlLimit)
    {
        EXPECT_TRUE(WriteZip(path(), parts));
        return ReadFirstSheetCells(path(), CellWindow{1, 100, {}}, Moment, limit);
    }
    FirstSheetCells readSheet(const QString &rows) { return read(TestWorkbookParts(rows)); }

    QTemporaryDir m_dir;
};

// ---- Finding the first sheet -------------------------------------------------------------------------------

TEST_F(WorkbookReaderTest, FindsTheFirstSheet)
{
    const QString sharedA1 = QStringLiteral(R"(<row r="1"><c r="A1" t="s"><v>0</v></c></row>)");
    XlsxParts strict = TestWorkbookParts(sharedA1, {QStringLiteral("strict")});
    for (auto &[name, content] : strict)
        content.replace(MainNs, "http://purl.oclc.org/ooxml/spreadsheetml/main")
            .replace(RelNs, "http://purl.oclc.org/ooxml/officeDocument/relationships");
    const struct {
        const char *name;
        XlsxParts parts;
        CellValue a1; // the only cell, or none when empty
    } cases[] = {
        {"absolute and ../ targets, parts outside xl/",
         {{"_rels/.rels", Rels(Rel("r1", "officeDocument", "/book/main.xml"))},
          {"book/main.xml", WorkbookXml(R"(<sheet name="S" sheetId="1" r:id="s"/>)")},
          {"book/_rels/main.xml.rels",
           Rels(Rel("s", "worksheet", "../data/./first.xml") + Rel("t", "sharedStrings", "/text/Table.xml"))},
          {"data/first.xml", SheetXml(sharedA1)},
          {"text/table.xml", SstXml("<si><t>found</t></si>")},
          {"xl/sharedStrings.xml", SstXml("<si><t>not this</t></si>")}},
         Text("found")},
        {"first sheet element, not lowest sheetId nor visible",
         Plain({{"xl/workbook.xml", WorkbookXml(R"(<sheet name="B" sheetId="2" state="hidden" r:id="rId2"/>)"
                                                R"(<sheet name="A" sheetId="1" r:id="rId1"/>)")},
                {"xl/_rels/workbook.xml.rels", Rels(Rel("rId1", "worksheet", "worksheets/sheet1.xml") +
                                                    Rel("rId2", "worksheet", "worksheets/sheet2.xml"))},
                {"xl/worksheets/sheet2.xml", SheetXml(R"(<row r="1"><c r="A1"><v>2</v></c></row>)")}}),
         Number(2)},
        {"strict namespaces", strict, Text("strict")},
        {"elements of other namespaces ignored",
         Plain(
             {{"xl/worksheets/sheet1.xml", SheetXml(R"(<row r="1" xmlns:o="urn:o"><c r="A1"><v>1</v></c>)"
                                                    R"(<o:c r="B1"><v>5</v></o:c><c r="C1"><o:v>6</o:v></c></row>)")}}),
         Number(1)},
        {"percent-encoded target",
         Plain({{"xl/worksheets/sheet1.xml", SheetXml(QString())},
                {QString::fromUtf8("xl/worksheets/Blatt 1ä.xml"), SheetXml(HelloRow)},
                {"xl/_rels/workbook.xml.rels", Rels(Rel("rId1", "worksheet", "worksheets/Blatt%201%C3%A4.xml"))}}),
         Text("hello")},
        {"no shared-strings part is an empty table",
         Plain({{"xl/worksheets/sheet1.xml", SheetXml(sharedA1)},
                {"xl/_rels/workbook.xml.rels", Rels(Rel("rId1", "worksheet", "worksheets/sheet1.xml"))}}),
         Error()},
        {"chartsheet first gives no cells",
         Plain(
             {{"xl/_rels/workbook.xml.rels", Rels(Rel("rId1", "chartsheet", "chartsheets/sheet1.xml"))},
              {"xl/chartsheets/sheet1.xml", "<chartsheet xmlns='" + MainNs + "'><sheetView/><drawing/></chartsheet>"}}),
         CellValue()},
    };
    for (const auto &c : cases) {
        const FirstSheetCells result = read(c.parts);
        ASSERT_FALSE(result.failure) << c.name << ": " << result.failure.reason.toStdString();
        EXPECT_EQ(result.cells.size(), c.a1.type == CellValue::Type::Empty ? 0u : 1u) << c.name;
        EXPECT_EQ(At(result, 1, 1), c.a1) << c.name;
    }

    XlsxParts renamed = Plain();
    for (auto &[name, content] : renamed)
        name = name.toUpper().replace(u'/', u'\\');
    EXPECT_EQ(At(read(renamed), 1, 1), Text("hello")) << "archive names in upper case with \\";
    renamed.emplace_back("XL/WORKSHEETS/SHEET1.XML", SheetXml(QString()));
    EXPECT_EQ(At(read(renamed), 1, 1), Text("hello")) << "of names differing in case the first counts";
}

// ---- Cell values ---------------------------------------------------------------------------------------------

TEST_F(WorkbookReaderTest, EachCellGivesTheValueOfItsTypeOrAnError)
{
    const struct {
        const char *attributes, *content;
        CellValue value;
    } cases[] = {{"t='n'", "<v>&#9;+1.5E+3&#10;</v>", Number(1500)},
                 {"", "<f>1+1</f><v>2</v>", Number(2)},
                 {"", "<v>INF</v>", Error()},
                 {"", "<v>12 kg</v>", Error()},
                 {"", "<v></v>", CellValue()},
                 {"t='s'", "<v>+0</v>", Text("zero")},
                 {"t='s'", "<v> 1 </v>", Text("")},
                 {"t='s'", "<v>2</v>", Text("a_b\tc")},
                 {"t='s'", "<v>3</v>", Error()},
                 {"t='s'", "<v>1.0</v>", Error()},
                 {"t='inlineStr'", "<is><t> a </t><r><t>b</t></r><rPh><t>x</t></rPh><r><t>c_x000D_</t></r></is>",
                  Text(" a bc\r")},
                 {"t='inlineStr'", "<v>from v</v>", Text("from v")},
                 {"t='str'", "<f>A2</f><v>x_x005F_x0041_</v>", Text("x_x0041_")},
                 {"t='b'", "<v>1</v>", Boolean(true)},
                 {"t='b'", "<v>true</v>", Error()},
                 {"t='e'", "<v>#N/A</v>", Error()},
                 {"t='d'", "<v>2024-03-01T06:00:00</v>", Number(45352.25)},
                 {"t='date'", "<v>1</v>", Error()}};
    XlsxParts parts = Plain({{"xl/sharedStrings.xml",
                              SstXml("<si><t>zero</t></si><si/><si><t>a_x005F_b</t><r><rPr><b/></rPr><t>_x0009_</t></r>"
                                     "<r><t>c</t></r><rPh><t>ignored</t></rPh><phoneticPr fontId='1'/></si>")}});
    for (const auto &c : cases) {
        const QString cell =
            QStringLiteral("<c r='A1' %1>%2</c>").arg(QLatin1String(c.attributes), QLatin1String(c.content));
        SetPart(parts, "xl/worksheets/sheet1.xml", SheetXml("<row r='1'>" + cell + "</row>"));
        const FirstSheetCells result = read(parts);
        ASSERT_FALSE(result.failure) << result.failure.reason.toStdString();
        EXPECT_EQ(At(result, 1, 1), c.value) << cell.toStdString();
    }
}

// Items used with gaps each give their own text, also when the part is left to expat after the first (CDATA) and
// read again from its start.
TEST_F(WorkbookReaderTest, SharedStringsWithGapsGiveEachCellItsOwnItem)
{
    const QString row = QStringLiteral("<row r='1'><c r='A1' t='s'><v>0</v></c><c r='B1' t='s'><v>2</v></c>"
                                       "<c r='C1' t='s'><v>3</v></c></row>");
    for (const QByteArray third : {"<t>c</t>", "<t><![CDATA[c]]></t>"}) {
        const FirstSheetCells result =
            read(Plain({{"xl/worksheets/sheet1.xml", SheetXml(row)},
                        {"xl/sharedStrings.xml", SstXml("<si><t>a</t></si><si><t>b</t></si>"
                                                        "<si>" +
                                                        third + "</si><si><t>d</t></si>")}}));
        EXPECT_EQ(std::tuple(At(result, 1, 1), At(result, 1, 2), At(result, 1, 3)),
                  std::tuple(Text("a"), Text("c"), Text("d")))
            << third.toStdString();
    }
}

TEST(WorkbookValues, IsoDatesGiveDaySerials)
{
    const std::pair<const char *, double> cases[] = {{"1899-12-30", 0},
                                                     {"2024-02-29", 45351},
                                                     {"2014-02-14T08:27:48.765Z", 41684 + 30468.765 / 86400},
                                                     {"2024-03-01T23:30:00+05:30", 45352 + 23.5 / 24},
                                                     {" 12:00:00 ", 0.5},
                                                     {"PT0H11M0.000S", 11.0 / 1440},
                                                     {"P1DT12H30M", 1.5 + 30.0 / 1440},
                                                     {"-PT36H", -1.5},
                                                     {"1899-12-29T00:00:00-08", -1}};
    for (const auto &[text, serial] : cases) {
        const std::optional<double> parsed = ParseIsoDateValue(text);
        ASSERT_TRUE(parsed.has_value()) << text;
        EXPECT_NEAR(*parsed, serial, 1e-9) << text;
    }
    for (const char *text :
         {"2023-02-29", "2024-03-01T24:00:01", "2024-13-01", "2024-3-1", "2024-03-01T25:00:00", "2024-03-01T10:60:00",
          "2024-03-01T10:00", "2024-03-01 10:00:00", "12:00", "PT", "P1Y", "PT1S2M", ""})
        EXPECT_FALSE(ParseIsoDateValue(text).has_value()) << text;
}

TEST_F(WorkbookReaderTest, PositionsFollowRowElementsAndReferencesUpToTheFirstRowAboveHundred)
{
    // No r: next positions; lower case; a cell whose reference names another row stays in its row element;
    // rows out of order; a repeated row merges; a repeated cell keeps its last value; nothing after row 101 counts.
    const FirstSheetCells result = readSheet(
        R"(<row><c><v>1</v></c><c><v>2</v></c></row><row><c r="c9"><v>3</v></c><c><v>4</v></c></row>)"
        R"(<row r="7"><c r="B7"><v>5</v></c></row><row><c r="A1"><v>6</v></c></row><row r="20"><c r="A20"><v>7</v>)"
        R"(</c><c r="B20"><v>8</v></c></row><row r="10"><c r="A10"><v>9</v></c></row><row r="20"><c r="B20">)"
        R"(<v>10</v></c><c r="C20"><v>11</v></c><c r="C20"/></row><row r="100"><c r="A100"><v>12</v></c></row>)"
        R"(<row r="101"/><row r="50"><c r="A50"><v>13</v></c></row><row r="102"><c></row>)");
    ASSERT_FALSE(result.failure) << result.failure.reason.toStdString();
    const std::map<CellPosition, double> expected = {{{1, 1}, 1},  {{1, 2}, 2},   {{2, 3}, 3},  {{2, 4}, 4},
                                                     {{7, 2}, 5},  {{8, 1}, 6},   {{20, 1}, 7}, {{20, 2}, 10},
                                                     {{10, 1}, 9}, {{100, 1}, 12}};
    ASSERT_EQ(result.cells.size(), expected.size());
    for (const auto &[position, number] : expected)
        EXPECT_EQ(At(result, position.first, position.second), Number(number))
            << position.first << "," << position.second;
}

// ---- Unreadable workbooks ------------------------------------------------------------------------------------

// Zip bombs and other hostile workbooks are checked against their time and memory limits by scripts/hostile-limits.
TEST_F(WorkbookReaderTest, AFileThatIsNoReadableWorkbookGivesTheReason)
{
    const XlsxParts parts = TestWorkbookParts(R"(<row r="5"><c r="J5" t="s"><v>1</v></c></row>)", {"x", "y"});
    const auto zipped = [&](const char *name = "", const QByteArray &content = {}) { // replaced, or removed when null
        XlsxParts changed = parts;
        content.isNull() ? RemovePart(changed, name) : SetPart(changed, name, content);
        EXPECT_TRUE(WriteZip(path(), changed));
        return ReadBytes(path());
    };
    const QByteArray whole = zipped();
    const std::pair<QByteArray, QString> cases[] = {
        // a reason ending in ": " is a prefix
        {"", "not an xlsx workbook"},
        {"VR,Start\r\n5,10:00\r\n", "not an xlsx workbook"},
        {"PK", "damaged workbook: unreadable zip archive (Not a zip archive)"},
        {QByteArray::fromHex("D0CF11E0A1B11AE1") + QByteArray(504, 0), "encrypted workbook"},
        {whole.left(whole.size() / 2), "damaged workbook: "}, // cut off, never mistaken for another kind
        {zipped("_rels/.rels", {}), "damaged workbook: missing part _rels/.rels"},
        {zipped("xl/sharedStrings.xml", {}), "damaged workbook: missing part xl/sharedStrings.xml"},
        {zipped("_rels/.rels", Rels(Rel("r", "extended-properties", "docProps/app.xml"))), "damaged workbook: "},
        {zipped("xl/_rels/workbook.xml.rels", Rels(Rel("rId7", "worksheet", "s.xml"))),
         "damaged workbook: no relationship rId1 for the first sheet"},
        {zipped("xl/_rels/workbook.xml.rels", {}), "damaged workbook: missing part xl/_rels/workbook.xml.rels"},
        {zipped("xl/worksheets/sheet1.xml", {}), "damaged workbook: missing part xl/worksheets/sheet1.xml"},
        {zipped("xl/workbook.xml", "<workbook xmlns='" + MainNs + "'/>"), "damaged workbook: "},
        {zipped("xl/worksheets/sheet1.xml", SheetXml("<row><c></row>")), "damaged workbook: "},
        {zipped("xl/sharedStrings.xml", SstXml("<si><t>x</t></si><si><t>y</si>")), "damaged workbook: "},
        {zipped("xl/worksheets/sheet1.xml", "<!DOCTYPE worksheet>" + SheetXml(QString())),
         "damaged workbook: DTD not allowed"},
    };
    for (size_t row = 0; row < std::size(cases); ++row) {
        const auto &[bytes, reason] = cases[row];
        WriteBytes(path(), bytes);
        const FirstSheetCells result = ReadFirstSheetCells(path(), CellWindow{1, 100, {}}, Moment);
        const QString &failure = result.failure.reason;
        EXPECT_TRUE(reason.endsWith(QLatin1String(": ")) ? failure.startsWith(reason) : failure == reason)
            << "row " << row << ": " << result.failure.reason.toStdString();
        EXPECT_TRUE(result.cells.empty()) << "row " << row;
    }
    EXPECT_EQ(ReadFirstSheetCells(path("missing.xlsx"), CellWindow{}, Moment).failure.reason, "file not found");
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("folder.xlsx")));
    EXPECT_EQ(ReadFirstSheetCells(path("folder.xlsx"), CellWindow{}, Moment).failure.reason, "is a folder");
    if (MakeFifo(path("pipe.xlsx"))) { // opening one would wait for a writer
        EXPECT_EQ(ReadFirstSheetCells(path("pipe.xlsx"), CellWindow{}, Moment).failure.reason, "not an xlsx workbook");
    }
}

// A workbook over a megabyte is read from the file as libzip asks, not whole: its parts, the central directory
// and the first bytes lie far apart, a long text spans several reads, and every reason must be the one a small
// workbook gives.
TEST_F(WorkbookReaderTest, ALargeWorkbookReadsAsASmallOne)
{
    QRandomGenerator random(7); // fixed, and beyond deflate, so the archive stays as large as its parts
    QByteArray noise(1200 * 1024, Qt::Uninitialized);
    random.fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
    QString letters(60000, u'a');
    for (QChar &letter : letters)
        letter = QChar(u'a' + random.bounded(26));
    XlsxParts parts = TestWorkbookParts(
        RowXml(1, InlineStringCell("A1", letters)) + R"(<row r="5"><c r="J5" t="s"><v>1</v></c></row>)", {"x", "y"});
    parts.insert(parts.end() - 1, {QStringLiteral("xl/media/noise.bin"), noise}); // between sheet and strings
    ASSERT_TRUE(WriteZip(path(), parts));
    const QByteArray whole = ReadBytes(path());
    ASSERT_GT(whole.size(), 1024 * 1024);
    QByteArray corrupted = whole;
    corrupted.replace(corrupted.indexOf("xl/worksheets/sheet1.xml") + 24, 64, QByteArray(64, '\xff'));
    const std::pair<QByteArray, QString> cases[] = {
        {whole, QString()},
        {corrupted, "damaged workbook: cannot inflate part xl/worksheets/sheet1.xml (Zlib error: data error)"},
        {whole.left(whole.size() - 1), "damaged workbook: unreadable zip archive (Not a zip archive)"},
        {whole.left(whole.size() / 2), "damaged workbook: unreadable zip archive (Not a zip archive)"},
        {QByteArray::fromHex("D0CF11E0A1B11AE1") + noise, "encrypted workbook"},
        {noise, "not an xlsx workbook"},
    };
    for (size_t row = 0; row < std::size(cases); ++row) {
        const auto &[bytes, reason] = cases[row];
        WriteBytes(path(), bytes);
        const FirstSheetCells result = ReadFirstSheetCells(path(), CellWindow{1, 100, {}}, Moment);
        EXPECT_EQ(result.failure.reason, reason) << "row " << row;
        EXPECT_EQ(At(result, 5, 10), reason.isEmpty() ? Text("y") : CellValue()) << "row " << row;
        EXPECT_EQ(At(result, 1, 1), reason.isEmpty() ? Text(letters) : CellValue()) << "row " << row;
    }
}

// ---- Inflated size limit -------------------------------------------------------------------------------------

TEST_F(WorkbookReaderTest, LimitCountsTheInflatedBytesTheReadNeeds)
{
    // Needed: the relationships, the workbook up to its first sheet element, the sheet up to the end of the first
    // row above 100, the shared strings up to the end of the last item used; never [Content_Types].xml. The item
    // used is long, so that the last part starts with more budget than half a chunk.
    const QByteArray stop = "<row r=\"101\"/>";
    const QString used(5000, u'u');
    XlsxParts parts = TestWorkbookParts(R"(<row r="5"><c r="J5" t="s"><v>0</v></c></row>)" + QString::fromUtf8(stop) +
                                            QString(1000, u' '),
                                        {used, QStringLiteral("unused")});
    std::int64_t needed = 0;
    for (const auto &[name, content] : parts) {
        if (name == QLatin1String("xl/worksheets/sheet1.xml"))
            needed += content.indexOf(stop) + stop.size();
        else if (name == QLatin1String("xl/sharedStrings.xml"))
            needed += content.indexOf("</si>") + 5;
        else if (name == QLatin1String("xl/workbook.xml"))
            needed += content.indexOf("</sheets>");
        else if (name != QLatin1String("[Content_Types].xml"))
            needed += content.size();
    }
    const FirstSheetCells result = read(parts, needed);
    ASSERT_FALSE(result.failure) << result.failure.reason.toStdString();
    EXPECT_EQ(At(result, 5, 10), Text(used));
    EXPECT_EQ(read(parts, needed - 1).failure.reason, "workbook too large");
}

} // namespace
