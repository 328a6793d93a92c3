#include "tests/support/XlsxBuilder.h"
#include "xlsx/XlsxWorkbook.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString F(const QString &ref, const QString &formula, const QString &value = QString())
{
    return QStringLiteral("<c r='%1'><f>%2</f>%3</c>").arg(ref, formula.toHtmlEscaped(), value);
}

// Rows 5 and 6 of a schedule written by a script: formulas without values (or with placeholder ones).
QString ScriptRows(const QString &value)
{
    return RowXml(5, NumberCell("J5", "1") + NumberCell("K5", "0.41666666666666669") +
                         F("L5", "K5+TIME(0,30,0)", value) + InlineStringCell("R5", "News") +
                         InlineStringCell("V5", "CAM 1")) +
           RowXml(6, F("J6", "J5+1", value) + F("K6", "L5", value) + F("L6", "K6+TIME(0,5,0)", value) +
                         F("R6", "R5&\" 2\"", value) + F("T6", "Sheet2!A1", value) + InlineStringCell("V6", "CAM 2"));
}

class WorkbookFormulaTest : public testing::Test
{
protected:
    // workbookEnd follows the sheets in the workbook part; Sheet2 holds 7 in A1 unless left out.
    FirstSheetCells read(const QString &rows, const QByteArray &workbookEnd = {}, bool withSheet2 = true)
    {
        XlsxParts parts = TestWorkbookParts(rows);
        SetPart(parts, QStringLiteral("xl/workbook.xml"),
                "<workbook xmlns='" + MainNs + "' xmlns:r='" + RelNs +
                    "'><sheets><sheet name='Sheet1' sheetId='1' r:id='rId1'/><sheet name='Sheet2' sheetId='2' "
                    "r:id='rId3'/></sheets>" +
                    workbookEnd + "</workbook>");
        SetPart(parts, QStringLiteral("xl/_rels/workbook.xml.rels"),
                Rels(Rel("rId1", "worksheet", "worksheets/sheet1.xml") +
                     Rel("rId3", "worksheet", "worksheets/sheet2.xml")));
        if (withSheet2)
            SetPart(parts, QStringLiteral("xl/worksheets/sheet2.xml"), SheetXml(RowXml(1, NumberCell("A1", "7"))));
        const QString path = m_dir.filePath(QStringLiteral("book.xlsx"));
        EXPECT_TRUE(WriteZip(path, parts));
        return ReadFirstSheetCells(path, CellWindow{5, 100, {10, 11, 12, 18, 20, 22}},
                                   QDateTime(QDate(2026, 12, 4), QTime(14, 5, 33)));
    }

private:
    QTemporaryDir m_dir;
};

TEST_F(WorkbookFormulaTest, FormulasWithoutValuesAndPlaceholdersWhenAskedAreCalculated)
{
    const QString zero = QStringLiteral("<v>0</v>");
    EXPECT_EQ(read(ScriptRows(zero), "<calcPr fullCalcOnLoad='1'/>").cells.at({6, 18}).text, QStringLiteral("News 2"));
    const FirstSheetCells stored = read(ScriptRows(zero));
    EXPECT_EQ(stored.cells.at({6, 18}).type, CellValue::Type::Number);
    EXPECT_EQ(stored.cells.at({6, 18}).number, 0);
    EXPECT_EQ(read(ScriptRows(QString())).cells.at({6, 20}).number, 7) << "no value: calculated";
}

TEST_F(WorkbookFormulaTest, TodayAndNowAreTheConversionsMoment)
{
    const FirstSheetCells cells = read(RowXml(5, F("K5", "TODAY()") + F("L5", "NOW()")));
    ASSERT_FALSE(cells.failure) << qPrintable(cells.failure.reason);
    EXPECT_EQ(cells.cells.at({5, 11}).number, 46360);
    EXPECT_DOUBLE_EQ(cells.cells.at({5, 12}).number, 46360 + (14 * 3600 + 5 * 60 + 33) / 86400.0);
}

// A block formula outside the subset, or a part its calculation needs that cannot be read, fails the read.
TEST_F(WorkbookFormulaTest, WhatCannotBeCalculatedFailsTheReadWithItsReason)
{
    const struct {
        QString rows;
        QByteArray workbookEnd;
        bool withSheet2;
        const char *reason;
    } cases[] = {
        {RowXml(7, F("L7", "_xlfn.XLOOKUP(1,A:A,B:B)")),
         {},
         true,
         "formula in L7 uses XLOOKUP, which is not calculated here: open and save the workbook in a spreadsheet "
         "program"},
        {RowXml(7, F("J7", "Sheet2!A1+1")), {}, false, "damaged workbook: missing part xl/worksheets/sheet2.xml"},
        {RowXml(7, F("J7", "1", "<v>1</v>")), "<definedNames><definedName name='x'>1</definedName>", true,
         "damaged workbook: bad XML in xl/workbook.xml (line 1: mismatched tag)"},
    };
    for (const auto &c : cases) {
        const FirstSheetCells result = read(c.rows, c.workbookEnd, c.withSheet2);
        EXPECT_EQ(result.failure.reason, QString::fromUtf8(c.reason)) << c.rows.toStdString();
        EXPECT_TRUE(result.cells.empty());
    }
}

} // namespace
