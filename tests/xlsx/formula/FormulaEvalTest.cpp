#include "tests/xlsx/formula/FormulaTestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace formula;

struct Row {
    const char *name;
    const char *formula;
    const char *expected; // the value as Shown() writes it
};

// "n:10.5", "t:abc", "b:TRUE", "e:#N/A", "blank", or "refused: reason".
QString Shown(const Result<Value> &result)
{
    if (!result)
        return QStringLiteral("refused: ") + result.refusal().text();
    const Value &v = result.value();
    switch (v.type) {
    case Value::Type::Blank:
        return QStringLiteral("blank");
    case Value::Type::Number:
        return QStringLiteral("n:") + QString::number(v.number, 'g', 15);
    case Value::Type::Text:
        return QStringLiteral("t:") + v.text;
    case Value::Type::Boolean:
        return v.boolean ? QStringLiteral("b:TRUE") : QStringLiteral("b:FALSE");
    case Value::Type::Error:
        return QStringLiteral("e:") + ErrorText(v.error);
    }
    return {};
}

// A small schedule: J5:V7, a lookup table on Sheet2, names.
FakeWorkbook Schedule()
{
    FakeWorkbook book;
    const std::pair<const char *, const char *> cells[] = {
        {"J5", "1"},
        {"K5", "0.416666666666667"},
        {"L5", "=K5+TIME(0,30,0)"},
        {"R5", "\"News\""},
        {"V5", "\"CAM 1\""},
        {"J6", "=J5+1"},
        {"K6", "=L5"},
        {"L6", "=K6+TIME(0,5,0)"},
        {"R6", "=R5&\" 2\""},
        {"V6", "\"CAM 2\""},
        {"A1", "\"10:00\""},
        {"A2", "\" 12 \""},
        {"A3", "TRUE"},
        {"A4", "#DIV/0!"},
        {"A5", "\"\""},
        {"B1", "=\"\""},
        {"C1", "=C1+1"},
        {"C2", "=C3"},
        {"C3", "=C2"},
        {"Sheet2!A1", "\"CAM 1\""},
        {"Sheet2!B1", "1"},
        {"Sheet2!A2", "\"CAM 2\""},
        {"Sheet2!B2", "2"},
        {"Sheet2!A3", "\"VT\""},
        {"Sheet2!B3", "7"},
        {"Sheet2!D1", "10"},
        {"Sheet2!D2", "20"},
        {"Sheet2!D3", "30"},
        {"'My Sheet'!A1", "5"},
    };
    for (const auto &[cell, content] : cells)
        book.set(QString::fromUtf8(cell), QString::fromUtf8(content));
    book.names[QStringLiteral("OFFSET_MIN")] = QStringLiteral("TIME(0,OFFSETS,0)");
    book.names[QStringLiteral("OFFSETS")] = QStringLiteral("Sheet2!$D$1");
    book.names[QStringLiteral("Sheet2!LOCAL")] = QStringLiteral("2");
    book.names[QStringLiteral("LOCAL")] = QStringLiteral("1");
    book.names[QStringLiteral("LOOP")] = QStringLiteral("LOOP+1");
    return book;
}

void Check(const std::vector<Row> &rows, CellAddress at = {0, 20, 12})
{
    for (const Row &row : rows) {
        FakeWorkbook book = Schedule();
        Evaluator evaluator(book, TestNow);
        EXPECT_EQ(Shown(evaluator.calculate(QString::fromUtf8(row.formula), at)), QString::fromUtf8(row.expected))
            << row.name << ": " << row.formula;
    }
}

TEST(FormulaEval, OperatorsAndCoercions)
{
    Check({
        {"negation before power", "-2^2", "n:4"},
        {"power then negation", "0-2^2", "n:-4"},
        {"percent", "50%*2", "n:1"},
        {"time text in arithmetic", "\"10:00\"+TIME(0,30,0)", "n:0.4375"},
        {"number text with blanks", "A2+1", "n:13"},
        {"thousands and percent texts", "\"1,234.5\"+\"50%\"", "n:1235"},
        {"date text", "\"2024-03-15\"+0", "n:45366"},
        {"TRUE counts 1", "TRUE+1", "n:2"},
        {"empty cell is 0", "Z99+1", "n:1"},
        {"empty cell is empty text", "Z99&\"x\"", "t:x"},
        {"text that is no number", "\"abc\"+1", "e:#VALUE!"},
        {"empty text is no number", "A5+1", "e:#VALUE!"},
        {"number joined in general form", "1/3&\"\"", "t:0.333333333333333"},
        {"large number joined", "10^20&\"\"", "t:1E+20"},
        {"Boolean joined", "\"x\"&TRUE", "t:xTRUE"},
        {"first error wins", "#N/A+(1/0)", "e:#N/A"},
        {"division by zero", "1/0", "e:#DIV/0!"},
        {"zero to the zero", "0^0", "e:#NUM!"},
        {"times that cancel are 0", "TIME(10,30,0)-TIME(10,0,0)-TIME(0,30,0)", "n:0"},
        {"text compares without case", "\"abc\"=\"ABC\"", "b:TRUE"},
        {"text after numbers", "\"1\">2", "b:TRUE"},
        {"number text is not a number", "\"10\"=10", "b:FALSE"},
        {"blank equals 0 and empty text", "AND(Z99=0,Z99=\"\")", "b:TRUE"},
        {"comparison chain", "1=1=TRUE", "b:TRUE"},
        {"blank result reads 0", "Z99", "n:0"},
        {"range in one column meets the row", "Sheet2!D:D+1", "n:1"},
        {"two-dimensional range", "Sheet2!A1:B2", "e:#VALUE!"},
        {"other sheet quoted", "'my sheet'!A1*2", "n:10"},
        {"missing sheet", "Nowhere!A1", "e:#REF!"},
    });
}

TEST(FormulaEval, LogicalFunctions)
{
    Check({
        {"IF without else", "IF(FALSE,1)", "b:FALSE"},
        {"IF with an empty else", "IF(FALSE,1,)", "n:0"},
        {"IF text condition", "IF(\"true\",1,2)", "n:1"},
        {"IF bad text condition", "IF(\"yes\",1,2)", "e:#VALUE!"},
        {"IF does not reach the other branch", "IF(TRUE,1,1/0)", "n:1"},
        {"IFERROR", "IFERROR(1/0,\"none\")", "t:none"},
        {"IFNA passes other errors", "IFNA(1/0,0)", "e:#DIV/0!"},
        {"AND ignores text in references", "AND(A1,TRUE)", "b:TRUE"},
        {"AND of text alone", "AND(\"x\")", "e:#VALUE!"},
        {"OR with an error", "OR(A4,TRUE)", "e:#DIV/0!"},
        {"NOT", "NOT(0)", "b:TRUE"},
        {"ISBLANK of empty text", "ISBLANK(B1)", "b:FALSE"},
        {"ISBLANK of empty cell", "ISBLANK(Z99)", "b:TRUE"},
        {"ISNUMBER, ISTEXT", "ISNUMBER(J5)&ISTEXT(R5)", "t:TRUETRUE"},
        {"ISERROR, ISNA", "ISERROR(A4)&ISNA(A4)", "t:TRUEFALSE"},
    });
}

TEST(FormulaEval, MathFunctions)
{
    Check({
        {"SUM skips text in references", "SUM(A1:A3,J5)", "n:1"},
        {"SUM reads text given outright", "SUM(\"2\",TRUE)", "n:3"},
        {"SUM with an error", "SUM(A1:A4)", "e:#DIV/0!"},
        {"SUM whole column", "SUM(Sheet2!D:D)", "n:60"},
        {"MIN and MAX of nothing", "MIN(A1)+MAX(Z1:Z9)", "n:0"},
        {"AVERAGE of nothing", "AVERAGE(Z1:Z9)", "e:#DIV/0!"},
        {"COUNT, COUNTA, COUNTBLANK", "COUNT(A1:A5)&COUNTA(A1:A5)&COUNTBLANK(A1:A7)", "t:053"},
        {"ROUND half away from zero", "ROUND(2.675,2)&\" \"&ROUND(-2.5,0)", "t:2.68 -3"},
        {"ROUND to tens", "ROUND(1234.5,-2)", "n:1200"},
        {"ROUNDUP on 15 digits", "ROUNDUP(0.1*3,1)", "n:0.3"},
        {"ROUNDDOWN and TRUNC", "ROUNDDOWN(-1.99,1)+TRUNC(1.99)", "n:-0.9"},
        {"INT goes down", "INT(-1.5)", "n:-2"},
        {"MOD takes the divisor's sign", "MOD(-1,3)&MOD(1,-3)", "t:2-2"},
        {"MOD of times past midnight", "MOD(TIME(23,0,0)+TIME(2,0,0),1)", "n:0.0416666666666667"},
        {"MOD by zero", "MOD(1,0)", "e:#DIV/0!"},
        {"ABS", "ABS(-3)", "n:3"},
        {"FLOOR on 15 digits", "FLOOR(0.3,0.1)", "n:0.3"},
        {"FLOOR negative", "FLOOR(-2.5,2)", "n:-4"},
        {"FLOOR mixed signs", "FLOOR(2.5,-2)", "e:#NUM!"},
        {"CEILING", "CEILING(2.1,0.5)&CEILING(-2.5,2)", "t:2.5-2"},
        {"CEILING by zero", "CEILING(3,0)", "n:0"},
    });
}

TEST(FormulaEval, DateAndTimeFunctions)
{
    Check({
        {"TIME carries minutes", "TIME(0,90,0)=TIME(1,30,0)", "b:TRUE"},
        {"TIME wraps past 24 hours", "TIME(27,0,0)", "n:0.125"},
        {"TIME carries seconds", "TIME(0,0,3661)*86400", "n:3661"},
        {"TIME negative total", "TIME(0,-1,0)", "e:#NUM!"},
        {"TIME negative part with carry", "TIME(1,-30,0)*1440", "n:30"},
        {"TIME beyond 32767", "TIME(32768,0,0)", "e:#NUM!"},
        {"TIMEVALUE drops the day", "TIMEVALUE(\"25:00\")*24", "n:1"},
        {"TIMEVALUE with PM", "TIMEVALUE(\"1:30 PM\")*24", "n:13.5"},
        {"TIMEVALUE of a number", "TIMEVALUE(0.5)", "e:#VALUE!"},
        {"TIMEVALUE of a plain number text", "TIMEVALUE(\"12\")", "e:#VALUE!"},
        {"DATE", "DATE(2024,3,15)", "n:45366"},
        {"DATE month and day overflow", "DATE(2023,14,0)", "n:45322"},
        {"DATE two-digit year", "YEAR(DATE(99,1,1))", "n:1999"},
        {"DATEVALUE", "DATEVALUE(\"3/15/2024 10:00\")", "n:45366"},
        {"HOUR MINUTE SECOND round to the second", "HOUR(L6)&\":\"&MINUTE(L6)&\":\"&SECOND(TIME(0,0,59)+0.4/86400)",
         "t:10:35:59"},
        {"HOUR of a text time", "HOUR(\"14:30\")", "n:14"},
        {"negative serial", "HOUR(-1)", "e:#NUM!"},
        {"YEAR MONTH DAY", "YEAR(TODAY())&\"-\"&MONTH(TODAY())&\"-\"&DAY(TODAY())", "t:2024-3-15"},
        {"WEEKDAY kinds", "WEEKDAY(TODAY())&WEEKDAY(TODAY(),2)&WEEKDAY(TODAY(),3)&WEEKDAY(TODAY(),16)", "t:6547"},
        {"WEEKDAY bad kind", "WEEKDAY(1,4)", "e:#NUM!"},
        {"NOW is injected", "NOW()-TODAY()", "n:0.75"},
    });
}

TEST(FormulaEval, TextFunctions)
{
    Check({
        {"TEXT hh:mm:ss", "TEXT(L6,\"hh:mm:ss\")", "t:10:35:00"},
        {"TEXT of a time text", "TEXT(\"9:05\",\"hh:mm\")", "t:09:05"},
        {"TEXT twelve hours", "TEXT(TIME(0,5,0),\"h:mm AM/PM\")", "t:12:05 AM"},
        {"TEXT elapsed", "TEXT(1.5,\"[h]\")&\" \"&TEXT(TIME(1,2,3),\"[m]\")&\" \"&TEXT(TIME(0,1,1),\"[s]\")",
         "t:36 62 61"},
        {"TEXT elapsed with minutes", "TEXT(TIME(25,30,0)+1,\"[h]:mm\")", "t:25:30"},
        {"TEXT rounds to the second", "TEXT(TIME(23,59,59)+0.6/86400,\"hh:mm:ss\")", "t:00:00:00"},
        {"TEXT digits", "TEXT(7,\"00\")&\"|\"&TEXT(2.45,\"0.0\")&\"|\"&TEXT(0.4,\"#\")&\"|\"&TEXT(2.5,\"0\")",
         "t:07|2.5||3"},
        {"TEXT thousands and percent", "TEXT(1234567,\"#,##0\")&TEXT(0.256,\"0%\")", "t:1,234,56726%"},
        {"TEXT negative section", "TEXT(-5,\"0;(0)\")", "t:(5)"},
        {"TEXT @", "TEXT(\"abc\",\"@\")&TEXT(\"abc\",\"0\")", "t:abcabc"},
        {"TEXT date", "TEXT(TODAY(),\"dd/mm/yyyy ddd mmm\")", "t:15/03/2024 Fri Mar"},
        {"TEXT negative time", "TEXT(-0.5,\"hh:mm\")", "e:#VALUE!"},
        {"VALUE", "VALUE(\"10:30\")*48&VALUE(\" 7 \")", "t:217"},
        {"VALUE of text", "VALUE(\"x\")", "e:#VALUE!"},
        {"N", "N(R5)&N(TRUE)&N(J5)", "t:011"},
        {"LEFT RIGHT MID", "LEFT(\"abcdef\",2)&RIGHT(\"abcdef\")&MID(\"abcdef\",3,2)&MID(\"ab\",5,1)", "t:abfcd"},
        {"LEFT negative", "LEFT(\"abc\",-1)", "e:#VALUE!"},
        {"LEN of a number", "LEN(1/4)", "n:4"},
        {"TRIM spaces only", "TRIM(\"  a   b  \")", "t:a b"},
        {"UPPER LOWER PROPER", "UPPER(\"ab\")&LOWER(\"CD\")&PROPER(\"vt 2-news\")", "t:ABcdVt 2-News"},
        {"SUBSTITUTE all and nth", "SUBSTITUTE(\"a-b-c\",\"-\",\"+\")&SUBSTITUTE(\"a-b-c\",\"-\",\"+\",2)",
         "t:a+b+ca-b+c"},
        {"REPLACE", "REPLACE(\"abcdef\",2,3,\"X\")", "t:aXef"},
        {"REPT", "REPT(\"ab\",3)", "t:ababab"},
        {"REPT too long", "REPT(\"ab\",20000)", "e:#VALUE!"},
        {"FIND is exact", "FIND(\"B\",\"abcB\")", "n:4"},
        {"FIND not found", "FIND(\"x\",\"abc\")", "e:#VALUE!"},
        {"SEARCH wildcards", "SEARCH(\"b?d\",\"ABCDE\")&SEARCH(\"~?\",\"a?b\")", "t:22"},
        {"CONCATENATE and CONCAT", "CONCATENATE(\"a\",1,TRUE)&_xlfn.CONCAT(Sheet2!A1:B2)", "t:a1TRUECAM 11CAM 22"},
        {"TEXTJOIN ignores empty", "_xlfn.TEXTJOIN(\",\",TRUE,A5,\"a\",Z1,\"b\")", "t:a,b"},
        {"TEXTJOIN keeps empty", "_xlfn.TEXTJOIN(\"-\",FALSE,Sheet2!D1:D3,Sheet2!C1:C2)", "t:10-20-30--"},
        {"join past 32767 characters", "REPT(\"a\",32767)&\"b\"", "e:#VALUE!"},
    });
}

TEST(FormulaEval, LookupFunctions)
{
    Check({
        {"VLOOKUP exact", "VLOOKUP(\"cam 2\",Sheet2!A1:B3,2,FALSE)", "n:2"},
        {"VLOOKUP wildcard", "VLOOKUP(\"V*\",Sheet2!A1:B3,2,0)", "n:7"},
        {"VLOOKUP missing", "VLOOKUP(\"x\",Sheet2!A1:B3,2,FALSE)", "e:#N/A"},
        {"VLOOKUP approximate", "VLOOKUP(25,Sheet2!D1:D3,1)", "n:20"},
        {"VLOOKUP with an empty fourth argument is exact", "VLOOKUP(25,Sheet2!D1:D3,1,)", "e:#N/A"},
        {"VLOOKUP below the first", "VLOOKUP(5,Sheet2!D1:D3,1,TRUE)", "e:#N/A"},
        {"VLOOKUP column out of the table", "VLOOKUP(\"VT\",Sheet2!A1:B3,3,FALSE)", "e:#REF!"},
        {"HLOOKUP", "HLOOKUP(\"CAM 1\",Sheet2!A1:B1,2,FALSE)", "e:#REF!"},
        {"HLOOKUP second row", "HLOOKUP(\"CAM 1\",Sheet2!A1:B2,2,FALSE)", "t:CAM 2"},
        {"INDEX", "INDEX(Sheet2!A1:B3,3,2)", "n:7"},
        {"INDEX of one row", "INDEX(Sheet2!A1:B1,2)", "n:1"},
        {"INDEX out of range", "INDEX(Sheet2!A1:B3,4,1)", "e:#REF!"},
        {"INDEX as a reference", "SUM(Sheet2!D1:INDEX(Sheet2!D1:D3,2))", "n:30"},
        {"MATCH exact and sorted", "MATCH(\"VT\",Sheet2!A1:A3,0)&MATCH(29,Sheet2!D1:D3)", "t:32"},
        {"CHOOSE", "CHOOSE(2,\"a\",\"b\")", "t:b"},
        {"CHOOSE out of range", "CHOOSE(3,\"a\",\"b\")", "e:#VALUE!"},
        {"ROW and COLUMN", "ROW()&COLUMN()&ROW(Sheet2!B7:C9)&COLUMN(C1)", "t:201273"},
    });
}

TEST(FormulaEval, NamesChainsAndCircles)
{
    Check({
        {"schedule chain", "TEXT(L6,\"hh:mm\")&\" \"&R6&\" \"&J6", "t:10:35 News 2 2"},
        {"name of a formula through a name", "OFFSET_MIN*1440", "n:10"},
        {"sheet-scoped name first", "LOCAL&Sheet2!LOCAL", "t:12"},
        {"unknown name", "NOPE", "e:#NAME?"},
        {"cell referring to itself", "C1", "e:#VALUE!"},
        {"two cells in a circle", "C2", "e:#VALUE!"},
        {"IFERROR catches a circle", "IFERROR(C3,\"circle\")", "t:circle"},
    });
}

TEST(FormulaEval, CellValueCalculatesAndRemembers)
{
    FakeWorkbook book = Schedule();
    Evaluator evaluator(book, TestNow);
    EXPECT_EQ(Shown(evaluator.cellValue({0, 6, 18})), QStringLiteral("t:News 2"));
    EXPECT_EQ(Shown(evaluator.cellValue({0, 6, 12})), QStringLiteral("n:0.440972222222223"));
    EXPECT_EQ(Shown(evaluator.cellValue({0, 99, 26})), QStringLiteral("blank"));
    const long long reads = book.reads;
    EXPECT_EQ(Shown(evaluator.cellValue({0, 6, 12})), QStringLiteral("n:0.440972222222223"));
    EXPECT_EQ(book.reads, reads);

    // A shared formula: the master's text with this cell's offset.
    CellContent shared;
    shared.formula = QStringLiteral("K5+TIME(0,30,0)");
    shared.rowOffset = 2;
    book.setContent(0, 7, 11, [] {
        CellContent c;
        c.value = Value::Number(0.5);
        return c;
    }());
    book.setContent(0, 7, 12, shared);
    EXPECT_EQ(Shown(evaluator.cellValue({0, 7, 12})), QStringLiteral("n:0.520833333333333"));
}

} // namespace
