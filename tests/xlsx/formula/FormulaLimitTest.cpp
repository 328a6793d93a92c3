#include "tests/xlsx/formula/FormulaTestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace formula;

QString Reason(FakeWorkbook &book, const QString &text, const Limits &limits = {})
{
    Evaluator evaluator(book, TestNow, limits);
    const Result<Value> result = evaluator.calculate(text, {0, 1, 1});
    return result ? QStringLiteral("calculated") : result.refusal().text();
}

TEST(FormulaLimits, RefusalsSayWhatIsNotCalculated)
{
    const QString deep = QString(65, u'(') + u'1' + QString(65, u')');
    const struct {
        const char *name;
        QString formula;
        const char *reason;
    } cases[] = {
        {"unknown function", QStringLiteral("_xlfn.XLOOKUP(1,A:A,B:B)"), "uses XLOOKUP, which is not calculated here"},
        {"in a branch not taken", QStringLiteral("IF(TRUE,1,OFFSET(A1,1,1))"),
         "uses OFFSET, which is not calculated here"},
        {"wrong argument count", QStringLiteral("IF(1)"), "uses IF with 1 argument, which is not calculated here"},
        {"another workbook", QStringLiteral("[1]Sheet1!A1"),
         "refers to another workbook, which is not calculated here"},
        {"another workbook quoted", QStringLiteral("'[Book.xlsx]Sheet1'!A1"),
         "refers to another workbook, which is not calculated here"},
        {"array constant", QStringLiteral("SUM({1,2})"), "uses an array constant, which is not calculated here"},
        {"intersection", QStringLiteral("SUM(A1:B2 B1:C2)"),
         "uses the intersection of references, which is not calculated here"},
        {"union", QStringLiteral("SUM((A1,B1))"), "uses a union of references, which is not calculated here"},
        {"several sheets", QStringLiteral("SUM(Sheet1:Sheet2!A1)"),
         "uses a reference through several sheets, which is not calculated here"},
        {"table", QStringLiteral("SUM(Table1[Col])"), "uses a table reference, which is not calculated here"},
        {"newer error value", QStringLiteral("#SPILL!"), "uses the error value #SPILL!, which is not calculated here"},
        {"TEXT format", QStringLiteral("TEXT(1,\"0.00E+00\")"),
         "uses TEXT with the format \"0.00E+00\", which is not calculated here"},
        {"syntax", QStringLiteral("1+*2"), "cannot be read at character 3"},
        {"unclosed text", QStringLiteral("\"abc"), "cannot be read at character 5"},
        {"too long", QString(8193, u'1'), "is longer than 8192 characters, which is not calculated here"},
        {"too deep", deep, "nests more than 64 levels deep, which is not calculated here"},
        {"nesting 4,000 deep", QString(4000, u'(') + u'1' + QString(4000, u')'),
         "nests more than 64 levels deep, which is not calculated here"},
        {"8,000 negations", QString(8000, u'-') + u'1', "nests more than 64 levels deep, which is not calculated here"},
        {"a formula of 1 MiB", QStringLiteral("1+").repeated(1 << 19),
         "is longer than 8192 characters, which is not calculated here"},
    };
    for (const auto &c : cases) {
        FakeWorkbook book;
        EXPECT_EQ(Reason(book, c.formula), QString::fromUtf8(c.reason)) << c.name;
    }
}

// A1 = 1, A2 = A1+1, ... An = A(n-1)+1.
FakeWorkbook Chain(int length)
{
    FakeWorkbook book;
    book.set(QStringLiteral("A1"), QStringLiteral("1"));
    CellContent next;
    next.formula = QStringLiteral("A1+1");
    for (int row = 2; row <= length; ++row) {
        next.rowOffset = row - 2;
        book.setContent(0, row, 1, next);
    }
    return book;
}

TEST(FormulaLimits, ChainsAndRanges)
{
    {
        FakeWorkbook book = Chain(100000);
        Evaluator evaluator(book, TestNow);
        const auto result = evaluator.cellValue({0, 100000, 1});
        ASSERT_FALSE(result);
        EXPECT_EQ(result.refusal().text(),
                  QStringLiteral("reaches through more than 10000 formulas in a chain, which is not calculated here"));
    }
    {
        FakeWorkbook book = Chain(5000);
        Evaluator evaluator(book, TestNow);
        const auto result = evaluator.cellValue({0, 5000, 1});
        ASSERT_TRUE(result);
        EXPECT_EQ(result.value().number, 5000);
    }
    FakeWorkbook book;
    book.names[QStringLiteral("LOOP")] = QStringLiteral("LOOP+1");
    EXPECT_EQ(Reason(book, QStringLiteral("LOOP")),
              QStringLiteral("reaches through more than 64 formulas in a chain, which is not calculated here"));

    book.setExtent(0, {MaxRow, 1});
    EXPECT_EQ(Reason(book, QStringLiteral("SUM(A:A)")),
              QStringLiteral("uses a range of more than 1000000 cells, which is not calculated here"));
    // The same from a formula cell, refused before its cells are read.
    CellContent whole;
    whole.formula = QStringLiteral("SUM(A:A)");
    book.setContent(0, 5, 12, whole);
    book.reads = 0;
    EXPECT_EQ(Reason(book, QStringLiteral("L5")),
              QStringLiteral("uses a range of more than 1000000 cells, which is not calculated here"));
    EXPECT_LT(book.reads, 10);
    Limits limits;
    limits.cellsRead = 1000;
    book.setExtent(0, {600, 1});
    EXPECT_EQ(Reason(book, QStringLiteral("SUM(A:A)+SUM(A:A)"), limits),
              QStringLiteral("reads more than 1000 cells, which is not calculated here"));
    EXPECT_EQ(Reason(book, QStringLiteral("SUM(A:A)"), limits), QStringLiteral("calculated"));
}

TEST(FormulaLimits, ArrayFormulaCell)
{
    FakeWorkbook book;
    CellContent array;
    array.formula = QStringLiteral("SUM(A1:A3*2)");
    array.array = true;
    book.setContent(0, 5, 12, array);
    Evaluator evaluator(book, TestNow);
    const auto result = evaluator.calculate(QStringLiteral("L5+1"), {0, 1, 1});
    ASSERT_FALSE(result);
    EXPECT_EQ(result.refusal().text(), QStringLiteral("is an array formula, which is not calculated here"));
}

} // namespace

namespace {

// 96 rows each looking a value up in the same table read the table's cells about twice each, not 96 times over.
TEST(FormulaLimits, RowsSharingATableReadItOnce)
{
    FakeWorkbook book;
    CellContent lookup;
    lookup.formula = QStringLiteral("VLOOKUP(\"CAM 1\",Sheet2!$A$1:$B$1000,2,FALSE)");
    for (int row = 1; row <= 1000; ++row)
        book.set(QStringLiteral("Sheet2!A%1").arg(row), row == 1000 ? QStringLiteral("\"CAM 1\"") : QString());
    for (int row = 5; row <= 100; ++row)
        book.setContent(0, row, 22, lookup);
    Evaluator evaluator(book, TestNow);
    book.reads = 0;
    for (int row = 5; row <= 100; ++row)
        ASSERT_TRUE(evaluator.cellValue({0, row, 22})) << row;
    EXPECT_LT(book.reads, 96 * 1000 + 2 * 2000);
}

} // namespace
