#include "convert/WorkbookCells.h"
#include "convert/XlsxCellValue.h"
#include "convert/XlsxWorkbook.h"
#include "convert/XlsxXml.h"
#include "tests/convert/XlsxBuilder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

// Readable failure messages.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

using Type = CellValue::Type;

CellValue Number(double number)
{
    CellValue cell;
    cell.type = Type::Number;
    cell.number = number;
    return cell;
}
CellValue Text(const QString &text)
{
    CellValue cell;
    cell.type = Type::Text;
    cell.text = text;
    return cell;
}
CellValue Boolean(bool value)
{
    CellValue cell;
    cell.type = Type::Boolean;
    cell.boolean = value;
    return cell;
}
CellValue Error()
{
    CellValue cell;
    cell.type = Type::Error;
    return cell;
}
CellValue Empty()
{
    return {};
}

std::string Describe(const CellValue &cell)
{
    switch (cell.type) {
    case Type::Empty:
        return "empty";
    case Type::Number:
        return "number " + std::to_string(cell.number);
    case Type::Text:
        return "text \"" + cell.text.toStdString() + "\"";
    case Type::Boolean:
        return cell.boolean ? "true" : "false";
    case Type::Error:
        return "error";
    }
    return {};
}

// Errors compare by type only: their text is informative.
testing::AssertionResult SameCell(const CellValue &actual, const CellValue &expected)
{
    const bool same = actual.type == expected.type &&
                      (actual.type != Type::Number || std::abs(actual.number - expected.number) < 1e-9) &&
                      (actual.type != Type::Text || actual.text == expected.text) &&
                      (actual.type != Type::Boolean || actual.boolean == expected.boolean);
    if (same)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "got " << Describe(actual) << ", expected " << Describe(expected);
}

CellValue At(const SheetCellsResult &result, int row, int column)
{
    const auto found = result.cells.find({row, column});
    return found == result.cells.end() ? CellValue() : found->second;
}

QByteArray Utf8(const QString &text)
{
    return text.toUtf8();
}

class WorkbookReaderTest : public testing::Test
{
protected:
    QString path(const QString &name = QStringLiteral("book.xlsx")) const { return m_dir.filePath(name); }

    SheetCellsResult read(const XlsxParts &parts, std::int64_t limit = InflatedXmlLimit)
    {
        EXPECT_TRUE(WriteZip(path(), parts));
        return ReadFirstSheetCells(path(), CellWindow{1, 100, {}}, limit);
    }
    SheetCellsResult readSheet(const QString &sheetData, const QStringList &sharedStrings = {})
    {
        return read(TestWorkbookParts(sheetData, sharedStrings));
    }

    QTemporaryDir m_dir;
};

const char Transitional[] = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const char RelationshipsNs[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
const char PackageNs[] = "http://schemas.openxmlformats.org/package/2006/relationships";

QByteArray Rels(const QString &relationships)
{
    return Utf8(
        QStringLiteral(R"(<Relationships xmlns="%1">%2</Relationships>)").arg(QLatin1String(PackageNs), relationships));
}
QString Rel(const QString &id, const QString &type, const QString &target,
            const QString &typeBase = QLatin1String(RelationshipsNs))
{
    return QStringLiteral(R"(<Relationship Id="%1" Type="%2/%3" Target="%4"/>)").arg(id, typeBase, type, target);
}
QByteArray Sheet(const QString &rows, const QString &ns = QLatin1String(Transitional))
{
    return Utf8(QStringLiteral(R"(<worksheet xmlns="%1"><sheetData>%2</sheetData></worksheet>)").arg(ns, rows));
}
const QString HelloRow = QStringLiteral(R"(<row r="1"><c r="A1" t="inlineStr"><is><t>hello</t></is></c></row>)");

// ---- Finding the first sheet -------------------------------------------------------------------------------

struct PackageCase {
    const char *name;
    std::function<XlsxParts()> parts;
    CellValue a1;
};

void PrintTo(const PackageCase &c, std::ostream *out)
{
    *out << c.name;
}

class WorkbookPackageTest : public WorkbookReaderTest, public testing::WithParamInterface<PackageCase>
{
};

TEST_P(WorkbookPackageTest, FindsTheFirstSheet)
{
    const SheetCellsResult result = read(GetParam().parts());
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_TRUE(SameCell(At(result, 1, 1), GetParam().a1));
}

XlsxParts Plain()
{
    return TestWorkbookParts(HelloRow);
}

const PackageCase PackageCases[] = {
    {"Minimal", Plain, Text(QStringLiteral("hello"))},
    {"WorkbookPartElsewhereWithDotDotTarget",
     [] {
         return XlsxParts{
             {"_rels/.rels", Rels(Rel("r1", "officeDocument", "book/main.xml"))},
             {"book/main.xml", Utf8(QStringLiteral(R"(<workbook xmlns="%1" xmlns:r="%2"><sheets>)"
                                                   R"(<sheet name="S" sheetId="1" r:id="s"/></sheets></workbook>)")
                                        .arg(QLatin1String(Transitional), QLatin1String(RelationshipsNs)))},
             {"book/_rels/main.xml.rels", Rels(Rel("s", "worksheet", "../data/./first.xml"))},
             {"data/first.xml", Sheet(HelloRow)},
         };
     },
     Text(QStringLiteral("hello"))},
    {"AbsoluteTargets",
     [] {
         XlsxParts parts = Plain();
         SetPart(parts, "_rels/.rels", Rels(Rel("r1", "officeDocument", "/xl/workbook.xml")));
         SetPart(parts, "xl/_rels/workbook.xml.rels", Rels(Rel("rId1", "worksheet", "/xl/worksheets/sheet1.xml")));
         return parts;
     },
     Text(QStringLiteral("hello"))},
    {"FirstSheetElementNotLowestSheetId",
     [] {
         XlsxParts parts = Plain();
         SetPart(parts, "xl/workbook.xml",
                 Utf8(QStringLiteral(R"(<workbook xmlns="%1" xmlns:r="%2"><bookViews><workbookView activeTab="1"/>)"
                                     R"(</bookViews><sheets><sheet name="B" sheetId="2" state="hidden" r:id="rId2"/>)"
                                     R"(<sheet name="A" sheetId="1" r:id="rId1"/></sheets></workbook>)")
                          .arg(QLatin1String(Transitional), QLatin1String(RelationshipsNs))));
         SetPart(parts, "xl/_rels/workbook.xml.rels",
                 Rels(Rel("rId1", "worksheet", "worksheets/sheet1.xml") +
                      Rel("rId2", "worksheet", "worksheets/sheet2.xml")));
         SetPart(parts, "xl/worksheets/sheet2.xml", Sheet(R"(<row r="1"><c r="A1"><v>2</v></c></row>)"));
         return parts;
     },
     Number(2)},
    {"StrictNamespacesAnyPrefix",
     [] {
         const QString strictRel = QStringLiteral("http://purl.oclc.org/ooxml/officeDocument/relationships");
         return XlsxParts{
             {"_rels/.rels", Rels(Rel("rId1", "officeDocument", "xl/workbook.xml", strictRel))},
             {"xl/workbook.xml",
              Utf8(QStringLiteral(R"(<x:workbook xmlns:x="http://purl.oclc.org/ooxml/spreadsheetml/main" )"
                                  R"(xmlns:rel="%1" conformance="strict"><x:sheets>)"
                                  R"(<x:sheet name="S" sheetId="1" rel:id="rId1"/></x:sheets></x:workbook>)")
                       .arg(strictRel))},
             {"xl/_rels/workbook.xml.rels", Rels(Rel("rId1", "worksheet", "worksheets/sheet1.xml", strictRel) +
                                                 Rel("rId2", "sharedStrings", "sharedStrings.xml", strictRel))},
             {"xl/worksheets/sheet1.xml",
              Utf8(QStringLiteral(R"(<s:worksheet xmlns:s="http://purl.oclc.org/ooxml/spreadsheetml/main">)"
                                  R"(<s:sheetData><s:row r="1"><s:c r="A1" t="s"><s:v>0</s:v></s:c></s:row>)"
                                  R"(</s:sheetData></s:worksheet>)"))},
             {"xl/sharedStrings.xml", "<sst xmlns='http://purl.oclc.org/ooxml/spreadsheetml/main'><si><t>strict</t>"
                                      "</si></sst>"},
         };
     },
     Text(QStringLiteral("strict"))},
    {"RelationshipIdByNamespaceNotPrefix",
     [] {
         XlsxParts parts = Plain();
         SetPart(parts, "xl/workbook.xml",
                 Utf8(QStringLiteral(R"(<workbook xmlns="%1" xmlns:r="urn:not-relationships"><sheets>)"
                                     R"(<sheet name="S" sheetId="1" r:id="rIdWrong" xmlns:ns="%2" ns:id="rId1"/>)"
                                     R"(</sheets></workbook>)")
                          .arg(QLatin1String(Transitional), QLatin1String(RelationshipsNs))));
         return parts;
     },
     Text(QStringLiteral("hello"))},
    {"PrefixedMainNamespaceAndByteOrderMark",
     [] {
         XlsxParts parts = Plain();
         SetPart(parts, "xl/worksheets/sheet1.xml",
                 "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<x:worksheet xmlns:x=\"" +
                     QByteArray(Transitional) +
                     "\"><x:dimension ref=\"A1\"/><x:sheetData><x:row r=\"1\"><x:c r=\"A1\"><x:v>1</x:v></x:c>"
                     "</x:row><x:row r=\"9\"><x:c r=\"A9\"><x:v>9</x:v></x:c></x:row></x:sheetData></x:worksheet>");
         return parts;
     },
     Number(1)},
    {"ElementsOfOtherNamespacesIgnored",
     [] {
         XlsxParts parts = Plain();
         SetPart(parts, "xl/worksheets/sheet1.xml",
                 Sheet(R"(<row r="1" xmlns:o="urn:other"><o:c r="A1"><v>5</v></o:c><c r="B1"><o:v>6</o:v></c></row>)"));
         return parts;
     },
     Empty()},
    {"ArchiveNamesIgnoreCase",
     [] {
         XlsxParts parts = Plain();
         for (auto &[name, content] : parts)
             name = name.toUpper();
         return parts;
     },
     Text(QStringLiteral("hello"))},
    {"ArchiveNamesWithBackslashes",
     [] {
         XlsxParts parts = Plain();
         for (auto &[name, content] : parts)
             name.replace(u'/', u'\\');
         return parts;
     },
     Text(QStringLiteral("hello"))},
    {"PercentEncodedTarget",
     [] {
         XlsxParts parts = Plain();
         RemovePart(parts, "xl/worksheets/sheet1.xml");
         parts.emplace_back(QString::fromUtf8("xl/worksheets/Blatt 1ä.xml"), Sheet(HelloRow));
         SetPart(parts, "xl/_rels/workbook.xml.rels", Rels(Rel("rId1", "worksheet", "worksheets/Blatt%201%C3%A4.xml")));
         return parts;
     },
     Text(QStringLiteral("hello"))},
    {"SharedStringsFoundThroughRelationships",
     [] {
         XlsxParts parts = TestWorkbookParts(R"(<row r="1"><c r="A1" t="s"><v>0</v></c></row>)");
         SetPart(
             parts, "xl/_rels/workbook.xml.rels",
             Rels(Rel("rId1", "worksheet", "worksheets/sheet1.xml") + Rel("rId9", "sharedStrings", "text/Table.xml")));
         SetPart(parts, "xl/text/table.xml",
                 QByteArray("<sst xmlns='") + Transitional + "'><si><t>found</t></si></sst>");
         SetPart(parts, "xl/sharedStrings.xml",
                 QByteArray("<sst xmlns='") + Transitional + "'><si><t>no</t></si></sst>");
         return parts;
     },
     Text(QStringLiteral("found"))},
    {"NoSharedStringsPartIsAnEmptyTable",
     [] {
         XlsxParts parts = TestWorkbookParts(R"(<row r="1"><c r="A1" t="s"><v>0</v></c></row>)");
         SetPart(parts, "xl/_rels/workbook.xml.rels", Rels(Rel("rId1", "worksheet", "worksheets/sheet1.xml")));
         return parts;
     },
     Error()},
    {"ChartsheetFirstGivesNoCells",
     [] {
         XlsxParts parts = Plain();
         SetPart(parts, "xl/_rels/workbook.xml.rels", Rels(Rel("rId1", "chartsheet", "chartsheets/sheet1.xml")));
         SetPart(parts, "xl/chartsheets/sheet1.xml",
                 QByteArray("<chartsheet xmlns='") + Transitional + "'><sheetView/><drawing/></chartsheet>");
         return parts;
     },
     Empty()},
    {"EmptySheetGivesNoCells",
     [] {
         XlsxParts parts = Plain();
         SetPart(parts, "xl/worksheets/sheet1.xml",
                 QByteArray("<worksheet xmlns='") + Transitional +
                     "'><dimension ref='A1:Z99'/><sheetData/></worksheet>");
         return parts;
     },
     Empty()},
};

INSTANTIATE_TEST_SUITE_P(Packages, WorkbookPackageTest, testing::ValuesIn(PackageCases),
                         [](const auto &info) { return std::string(info.param.name); });

// ---- Cell types ----------------------------------------------------------------------------------------------

struct CellCase {
    const char *cellXml; // the cell at A1
    CellValue expected;
};

void PrintTo(const CellCase &c, std::ostream *out)
{
    *out << c.cellXml;
}

class WorkbookCellTypeTest : public WorkbookReaderTest, public testing::WithParamInterface<CellCase>
{
};

TEST_P(WorkbookCellTypeTest, AppliesTheType)
{
    const SheetCellsResult result =
        readSheet(QStringLiteral("<row r=\"1\">%1</row>").arg(QLatin1String(GetParam().cellXml)),
                  {QStringLiteral("zero"), QString(), QStringLiteral("a_x005F_b_x0009_")});
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_TRUE(SameCell(At(result, 1, 1), GetParam().expected)) << GetParam().cellXml;
}

const CellCase CellCases[] = {
    {R"(<c r="A1"><v>12.5</v></c>)", Number(12.5)},
    {R"(<c r="A1" t="n"><v> +7 </v></c>)", Number(7)},
    {R"(<c r="A1"><v>&#9;-1.5E+3&#10;</v></c>)", Number(-1500)},
    {R"(<c r="A1"><v>.5</v></c>)", Number(0.5)},
    {R"(<c r="A1"><f>1+1</f><v>2</v></c>)", Number(2)},
    {R"(<c r="A1"><v>INF</v></c>)", Error()},
    {R"(<c r="A1"><v>-INF</v></c>)", Error()},
    {R"(<c r="A1"><v>NaN</v></c>)", Error()},
    {R"(<c r="A1"><v>1e999</v></c>)", Error()},
    {R"(<c r="A1"><v>1,5</v></c>)", Error()},
    {R"(<c r="A1"><v>+-1</v></c>)", Error()},
    {R"(<c r="A1"><v>0x10</v></c>)", Error()},
    {R"(<c r="A1"><v>12 kg</v></c>)", Error()},
    {R"(<c r="A1"><v></v></c>)", Empty()},
    {R"(<c r="A1" s="3"/>)", Empty()},
    {R"(<c r="A1" t="s"><v>0</v></c>)", Text(QStringLiteral("zero"))},
    {R"(<c r="A1" t="s"><v> 1 </v></c>)", Text(QString())},
    {R"(<c r="A1" t="s"><v>2</v></c>)", Text(QStringLiteral("a_b\t"))},
    {R"(<c r="A1" t="s"><v>3</v></c>)", Error()},
    {R"(<c r="A1" t="s"><v>-1</v></c>)", Error()},
    {R"(<c r="A1" t="s"><v>1.0</v></c>)", Error()},
    {R"(<c r="A1" t="s"><v/></c>)", Empty()},
    {R"(<c r="A1" t="s"/>)", Empty()},
    {R"(<c r="A1" t="inlineStr"><is><t> a </t><r><t>b</t></r><rPh><t>x</t></rPh><r><t>c_x000D_</t></r></is></c>)",
     Text(QStringLiteral(" a bc\r"))},
    {R"(<c r="A1" t="inlineStr"><v>from v</v></c>)", Text(QStringLiteral("from v"))},
    {R"(<c r="A1" t="inlineStr"><is/></c>)", Text(QString())},
    {R"(<c r="A1" t="str"><f>A2</f><v>x_x005F_x0041_</v></c>)", Text(QStringLiteral("x_x0041_"))},
    {R"(<c r="A1" t="str"><f>A2</f></c>)", Empty()},
    {R"(<c r="A1" t="b"><v>1</v></c>)", Boolean(true)},
    {R"(<c r="A1" t="b"><v>0</v></c>)", Boolean(false)},
    {R"(<c r="A1" t="b"><v>2</v></c>)", Error()},
    {R"(<c r="A1" t="b"><v>true</v></c>)", Error()},
    {R"(<c r="A1" t="e"><v>#N/A</v></c>)", Error()},
    {R"(<c r="A1" t="d"><v>2024-03-01T06:00:00</v></c>)", Number(45352.25)},
    {R"(<c r="A1" t="d"><v>soon</v></c>)", Error()},
    {R"(<c r="A1" t="date"><v>1</v></c>)", Error()},
};

INSTANTIATE_TEST_SUITE_P(Types, WorkbookCellTypeTest, testing::ValuesIn(CellCases));

struct IsoCase {
    const char *text;
    std::optional<double> serial;
};

void PrintTo(const IsoCase &c, std::ostream *out)
{
    *out << '"' << c.text << '"';
}

class WorkbookIsoDateTest : public testing::TestWithParam<IsoCase>
{
};

TEST_P(WorkbookIsoDateTest, GivesTheDaySerial)
{
    const std::optional<double> serial = ParseIsoDateValue(GetParam().text);
    ASSERT_EQ(serial.has_value(), GetParam().serial.has_value()) << GetParam().text;
    if (serial) {
        EXPECT_NEAR(*serial, *GetParam().serial, 1e-9) << GetParam().text;
    }
}

const IsoCase IsoCases[] = {
    {"1899-12-30", 0},
    {"1900-01-01", 2},
    {"1899-12-29", -1},
    {"2024-02-29", 45351},
    {"2009-06-15", 39979},
    {"2024-03-01T12:00:00", 45352.5},
    {"2014-02-14T08:27:48.765Z", 41684 + 30468.765 / 86400},
    {"2024-03-01T23:30:00+05:30", 45352 + 23.5 / 24},
    {"2024-03-01T23:30:00-0800", 45352 + 23.5 / 24},
    {" 12:00:00 ", 0.5},
    {"00:00:00.5", 0.5 / 86400},
    {"PT0H11M0.000S", 11.0 / 1440},
    {"PT36H", 1.5},
    {"P1DT12H30M", 1.5 + 30.0 / 1440},
    {"-PT12H", -0.5},
    {"2023-02-29", std::nullopt},
    {"2024-13-01", std::nullopt},
    {"2024-3-1", std::nullopt},
    {"2024-03-01T25:00:00", std::nullopt},
    {"2024-03-01T10:60:00", std::nullopt},
    {"2024-03-01T10:00", std::nullopt},
    {"2024-03-01 10:00:00", std::nullopt},
    {"12:00", std::nullopt},
    {"P", std::nullopt},
    {"PT", std::nullopt},
    {"P1Y", std::nullopt},
    {"PT1S2M", std::nullopt},
    {"", std::nullopt},
};

INSTANTIATE_TEST_SUITE_P(Iso8601, WorkbookIsoDateTest, testing::ValuesIn(IsoCases));

TEST(WorkbookEscapes, DecodesEveryEscapeOnce)
{
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("a_x0041_b"), QStringLiteral("aAb")},
        {QStringLiteral("_x005F_x0041_"), QStringLiteral("_x0041_")},
        {QStringLiteral("_x00e9_"), QString::fromUtf8("é")},
        {QStringLiteral("__x0041__"), QStringLiteral("_A_")},
        {QStringLiteral("_xD83D__xDE00_"), QString::fromUtf8("😀")},
        {QStringLiteral("_x12G4_ _x004_ _X0041_ x0041_"), QStringLiteral("_x12G4_ _x004_ _X0041_ x0041_")},
    };
    for (const auto &[stored, text] : cases)
        EXPECT_EQ(DecodeXlsxEscapes(stored), text) << stored.toStdString();
}

// ---- Rows and positions --------------------------------------------------------------------------------------

TEST_F(WorkbookReaderTest, PositionsFollowRowElementsAndReferences)
{
    const SheetCellsResult result = readSheet(
        // No r: next positions. Lower case and a reference to another row: the row element wins.
        R"(<row><c><v>1</v></c><c><v>2</v></c></row>)"
        R"(<row><c r="c9"><v>3</v></c><c><v>4</v></c></row>)"
        R"(<row r="7"><c r="B7"><v>5</v></c></row><row><c r="A1"><v>6</v></c></row>)"
        // Out of order, a repeated row merging, a repeated cell keeping its last value.
        R"(<row r="20"><c r="A20"><v>7</v></c><c r="B20"><v>8</v></c></row>)"
        R"(<row r="10"><c r="A10"><v>9</v></c></row>)"
        R"(<row r="20"><c r="B20"><v>10</v></c><c r="C20"><v>11</v></c><c r="C20"/></row>)");
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    const std::map<CellPosition, double> expected = {{{1, 1}, 1}, {{1, 2}, 2},  {{2, 3}, 3},   {{2, 4}, 4}, {{7, 2}, 5},
                                                     {{8, 1}, 6}, {{20, 1}, 7}, {{20, 2}, 10}, {{10, 1}, 9}};
    ASSERT_EQ(result.cells.size(), expected.size());
    for (const auto &[position, number] : expected)
        EXPECT_TRUE(SameCell(At(result, position.first, position.second), Number(number)))
            << position.first << "," << position.second;
}

TEST_F(WorkbookReaderTest, ManyRepeatsOfFewCellsKeepTheLastValues)
{
    QString cells;
    for (int i = 0; i < 10000; ++i)
        cells += NumberCell(QStringLiteral("J5"), QString::number(i)) +
                 NumberCell(QStringLiteral("K5"), QString::number(-i));
    ASSERT_TRUE(WriteTestWorkbook(path(), RowXml(5, cells) + RowXml(6, NumberCell(QStringLiteral("J6"), "1")) +
                                              RowXml(5, NumberCell(QStringLiteral("L5"), "2"))));
    const WorkbookCells read = ReadWorkbookCells(path());
    ASSERT_TRUE(read.ok()) << read.error.toStdString();
    EXPECT_TRUE(SameCell(read.rows[0][ColumnJ], Number(9999)));
    EXPECT_TRUE(SameCell(read.rows[0][ColumnK], Number(-9999)));
    EXPECT_TRUE(SameCell(read.rows[0][ColumnL], Number(2)));
    EXPECT_TRUE(SameCell(read.rows[1][ColumnJ], Number(1)));
}

TEST_F(WorkbookReaderTest, ScheduleCellsAreRowsFiveToHundredOfSixColumns)
{
    QString rows;
    for (int row : {4, 5, 50, 100, 101}) {
        QString cells;
        for (const char *column : {"I", "J", "K", "L", "R", "T", "V", "W"})
            cells += NumberCell(QLatin1String(column) + QString::number(row), QString::number(row));
        rows += RowXml(row, cells);
    }
    ASSERT_TRUE(WriteTestWorkbook(path(), rows));
    const WorkbookCells cells = ReadWorkbookCells(path());
    ASSERT_TRUE(cells.ok()) << cells.error.toStdString();
    for (int row = FirstScheduleRow; row <= LastScheduleRow; ++row) {
        const bool filled = row == 5 || row == 50 || row == 100;
        for (int column = 0; column < ScheduleColumnCount; ++column)
            EXPECT_TRUE(
                SameCell(cells.rows[size_t(row - FirstScheduleRow)][size_t(column)], filled ? Number(row) : Empty()))
                << row << "," << column;
    }
}

TEST_F(WorkbookReaderTest, SheetParsingStopsAtTheFirstRowAboveHundred)
{
    // Anything after row 101 is never parsed: neither a late row 50 nor broken XML.
    const SheetCellsResult result = readSheet(R"(<row r="100"><c r="A100"><v>1</v></c></row><row r="101"/>)"
                                              R"(<row r="50"><c r="A50"><v>2</v></c></row><row r="102"><c></row>)");
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_EQ(result.cells.size(), 1u);
    EXPECT_TRUE(SameCell(At(result, 100, 1), Number(1)));

    const SheetCellsResult broken = readSheet(R"(<row r="99"><c></row><row r="101"/>)");
    EXPECT_TRUE(broken.error.startsWith(QLatin1String("damaged workbook: "))) << broken.error.toStdString();
}

TEST_F(WorkbookReaderTest, SharedStringsEveryItemCountsAndReadingStopsAfterTheLastUsed)
{
    const QByteArray table = QByteArray("<sst xmlns='") + Transitional +
                             "'><si/><si><t>plain</t><r><rPr><b/></rPr><t>-run</t></r><rPh><t>ignored</t></rPh>"
                             "<phoneticPr fontId='1'/></si><si><r><t xml:space='preserve'> a </t></r></si>";
    XlsxParts parts = TestWorkbookParts(R"(<row r="5"><c r="J5" t="s"><v>1</v></c><c r="K5" t="s"><v>0</v></c>)"
                                        R"(<c r="L5" t="s"><v>2</v></c></row><row r="101"><c r="A101" t="s">)"
                                        R"(<v>3</v></c></row>)");
    // The table breaks after the last item rows 5 to 100 use.
    SetPart(parts, "xl/sharedStrings.xml", table + "<si><t>broken</si></sst>");
    SheetCellsResult result = read(parts);
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_TRUE(SameCell(At(result, 5, 10), Text(QStringLiteral("plain-run"))));
    EXPECT_TRUE(SameCell(At(result, 5, 11), Text(QString())));
    EXPECT_TRUE(SameCell(At(result, 5, 12), Text(QStringLiteral(" a "))));

    SetPart(parts, "xl/worksheets/sheet1.xml", Sheet(R"(<row r="5"><c r="J5" t="s"><v>3</v></c></row>)"));
    result = read(parts);
    EXPECT_TRUE(result.error.startsWith(QLatin1String("damaged workbook: "))) << result.error.toStdString();
}

// ---- Unreadable workbooks ------------------------------------------------------------------------------------

TEST_F(WorkbookReaderTest, ReasonsForFilesThatAreNoWorkbook)
{
    EXPECT_EQ(ReadWorkbookCells(path("missing.xlsx")).error, QStringLiteral("file not found"));

    QFile empty(path("empty.xlsx"));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    EXPECT_EQ(ReadWorkbookCells(empty.fileName()).error, QStringLiteral("not an xlsx workbook"));

    QFile text(path("text.xlsx"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("Name;Time\nNews;10:00\n");
    text.close();
    EXPECT_EQ(ReadWorkbookCells(text.fileName()).error, QStringLiteral("not an xlsx workbook"));

    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("folder.xlsx")));
    EXPECT_EQ(ReadWorkbookCells(path("folder.xlsx")).error, QStringLiteral("not an xlsx workbook"));
    // Opening a pipe for reading would wait for a writer.
    ASSERT_EQ(mkfifo(QFile::encodeName(path("pipe.xlsx")).constData(), 0600), 0);
    EXPECT_EQ(ReadWorkbookCells(path("pipe.xlsx")).error, QStringLiteral("not an xlsx workbook"));

    QFile cfb(path("encrypted.xlsx"));
    ASSERT_TRUE(cfb.open(QIODevice::WriteOnly));
    cfb.write(QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(4096, '\0'));
    cfb.close();
    EXPECT_EQ(ReadWorkbookCells(cfb.fileName()).error, QStringLiteral("encrypted workbook"));

    // A workbook whose archive is cut off anywhere is damaged, never mistaken for another kind of file.
    ASSERT_TRUE(WriteTestWorkbook(path(), HelloRow));
    QFile whole(path());
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    whole.close();
    for (qsizetype cut : {qsizetype(4), bytes.size() / 2, bytes.size() - 1}) {
        QFile truncated(path("truncated.xlsx"));
        ASSERT_TRUE(truncated.open(QIODevice::WriteOnly | QIODevice::Truncate));
        truncated.write(bytes.left(cut));
        truncated.close();
        const QString error = ReadWorkbookCells(truncated.fileName()).error;
        EXPECT_TRUE(error.startsWith(QLatin1String("damaged workbook: "))) << cut << " " << error.toStdString();
    }
}

struct DamageCase {
    const char *name;
    std::function<void(XlsxParts &)> damage;
    const char *error; // exact, or a prefix when it ends in "..."
};

void PrintTo(const DamageCase &c, std::ostream *out)
{
    *out << c.name;
}

class WorkbookDamageTest : public WorkbookReaderTest, public testing::WithParamInterface<DamageCase>
{
};

TEST_P(WorkbookDamageTest, GivesTheReason)
{
    XlsxParts parts = TestWorkbookParts(R"(<row r="5"><c r="J5" t="s"><v>0</v></c></row>)", {QStringLiteral("x")});
    GetParam().damage(parts);
    const SheetCellsResult result = read(parts);
    const QString expected = QString::fromUtf8(GetParam().error);
    if (expected.endsWith(QLatin1String("...")))
        EXPECT_TRUE(result.error.startsWith(expected.chopped(3))) << result.error.toStdString();
    else
        EXPECT_EQ(result.error, expected);
    EXPECT_TRUE(result.cells.empty());
}

const DamageCase DamageCases[] = {
    {"NoPackageRelationships", [](XlsxParts &p) { RemovePart(p, "_rels/.rels"); },
     "damaged workbook: missing part _rels/.rels"},
    {"NoOfficeDocumentRelationship",
     [](XlsxParts &p) { SetPart(p, "_rels/.rels", Rels(Rel("r", "extended-properties", "docProps/app.xml"))); },
     "damaged workbook: ..."},
    {"NoWorkbookPart", [](XlsxParts &p) { RemovePart(p, "xl/workbook.xml"); },
     "damaged workbook: missing part xl/workbook.xml"},
    {"NoWorkbookRelationships", [](XlsxParts &p) { RemovePart(p, "xl/_rels/workbook.xml.rels"); },
     "damaged workbook: missing part xl/_rels/workbook.xml.rels"},
    {"NoSheetPart", [](XlsxParts &p) { RemovePart(p, "xl/worksheets/sheet1.xml"); },
     "damaged workbook: missing part xl/worksheets/sheet1.xml"},
    {"SharedStringsPartNamedButAbsent", [](XlsxParts &p) { RemovePart(p, "xl/sharedStrings.xml"); },
     "damaged workbook: missing part xl/sharedStrings.xml"},
    {"UnknownSheetRelationship",
     [](XlsxParts &p) { SetPart(p, "xl/_rels/workbook.xml.rels", Rels(Rel("rId7", "worksheet", "s.xml"))); },
     "damaged workbook: ..."},
    {"NoSheets",
     [](XlsxParts &p) { SetPart(p, "xl/workbook.xml", QByteArray("<workbook xmlns='") + Transitional + "'/>"); },
     "damaged workbook: ..."},
    {"BadXmlInSheet", [](XlsxParts &p) { SetPart(p, "xl/worksheets/sheet1.xml", Sheet("<row><c></row>")); },
     "damaged workbook: ..."},
    {"EmptySheetPart", [](XlsxParts &p) { SetPart(p, "xl/worksheets/sheet1.xml", QByteArray()); },
     "damaged workbook: ..."},
    {"DoctypeInSheet",
     [](XlsxParts &p) { SetPart(p, "xl/worksheets/sheet1.xml", "<!DOCTYPE worksheet>" + Sheet(QString())); },
     "damaged workbook: DTD not allowed"},
    {"EntityExpansionInSharedStrings",
     [](XlsxParts &p) {
         SetPart(p, "xl/sharedStrings.xml",
                 QByteArray("<?xml version='1.0'?><!DOCTYPE sst [<!ENTITY a 'aaaaaaaaaa'><!ENTITY b '&a;&a;&a;&a;'>]>"
                            "<sst xmlns='") +
                     Transitional + "'><si><t>&b;&b;&b;</t></si></sst>");
     },
     "damaged workbook: DTD not allowed"},
    {"DoctypeInRelationships",
     [](XlsxParts &p) { SetPart(p, "_rels/.rels", "<!DOCTYPE r SYSTEM 'http://example.invalid/r.dtd'><r/>"); },
     "damaged workbook: DTD not allowed"},
};

INSTANTIATE_TEST_SUITE_P(Damage, WorkbookDamageTest, testing::ValuesIn(DamageCases),
                         [](const auto &info) { return std::string(info.param.name); });

// ---- Inflated size limit -------------------------------------------------------------------------------------

TEST_F(WorkbookReaderTest, LimitCountsTheInflatedBytesTheReadNeeds)
{
    // Needed: the relationships, the workbook up to its first sheet element, the sheet up to the end of the first
    // row above 100, the shared strings up to the end of the last item used; never [Content_Types].xml.
    const QByteArray stop = "<row r=\"101\"/>";
    XlsxParts parts = TestWorkbookParts(R"(<row r="5"><c r="J5" t="s"><v>0</v></c></row>)" + QString::fromUtf8(stop) +
                                            QString(1000, u' '),
                                        {QStringLiteral("used"), QStringLiteral("unused")});
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
    const SheetCellsResult result = read(parts, needed);
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_TRUE(SameCell(At(result, 5, 10), Text(QStringLiteral("used"))));
    EXPECT_EQ(read(parts, needed - 1).error, QStringLiteral("workbook too large"));
}

TEST_F(WorkbookReaderTest, MoreThanSixtyFourMebibytesOfXmlIsTooLarge)
{
    // Filler cells in a column the schedule does not use, all before row 100.
    const QByteArray cell = R"(<c r="A5"><v>1</v></c>)";
    QByteArray rows = "<row r=\"5\">" + cell.repeated(InflatedXmlLimit / cell.size() + 1) + "</row>";
    XlsxParts parts = TestWorkbookParts(QString());
    SetPart(parts, "xl/worksheets/sheet1.xml",
            QByteArray("<worksheet xmlns='") + Transitional + "'><sheetData>" + rows + "</sheetData></worksheet>");
    ASSERT_TRUE(WriteZip(path(), parts));
    EXPECT_EQ(ReadWorkbookCells(path()).error, QStringLiteral("workbook too large"));

    // The same filler after row 100 is never inflated.
    rows.replace("<row r=\"5\">", "<row r=\"101\">");
    SetPart(parts, "xl/worksheets/sheet1.xml",
            QByteArray("<worksheet xmlns='") + Transitional +
                "'><sheetData><row r='100'><c r='V100'><v>3</v></c></row>" + rows + "</sheetData></worksheet>");
    ASSERT_TRUE(WriteZip(path(), parts));
    const WorkbookCells cells = ReadWorkbookCells(path());
    ASSERT_TRUE(cells.ok()) << cells.error.toStdString();
    EXPECT_TRUE(SameCell(cells.rows[95][ColumnV], Number(3)));
}

TEST_F(WorkbookReaderTest, HugeSingleTokenEnds)
{
    // One start tag of 48 MiB: expat rescans an unfinished token with every chunk, so chunks must grow.
    XlsxParts parts = TestWorkbookParts(QString());
    SetPart(parts, "xl/worksheets/sheet1.xml",
            QByteArray("<worksheet xmlns='") + Transitional + "' a='" + QByteArray(48 * 1024 * 1024, 'x') +
                "'><sheetData><row r='5'><c r='J5'><v>4</v></c></row></sheetData></worksheet>");
    ASSERT_TRUE(WriteZip(path(), parts));
    const WorkbookCells cells = ReadWorkbookCells(path());
    ASSERT_TRUE(cells.ok()) << cells.error.toStdString();
    EXPECT_TRUE(SameCell(cells.rows[0][ColumnJ], Number(4)));
}

} // namespace
