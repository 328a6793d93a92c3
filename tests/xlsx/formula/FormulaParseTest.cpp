#include "tests/xlsx/formula/FormulaTestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace formula;

QString Printed(const QString &text)
{
    const auto parsed = ParseFormula(text);
    return parsed ? FormulaText(parsed.value()) : QStringLiteral("refused: ") + parsed.refusal().text();
}

TEST(FormulaParse, PrecedenceAndReferences)
{
    const struct {
        const char *name;
        const char *text;
        const char *printed;
    } cases[] = {
        {"negation binds tighter than power", "-2^2", "(-(2)^2)"},
        {"percent after negation", "-50%^2", "((-(50))%^2)"},
        {"power left to right", "2^3^2", "(2^3^2)"},
        {"product before sum", "1+2*3", "(1+(2*3))"},
        {"join after sum", "1+2&3", "((1+2)&3)"},
        {"comparison last", "1&2=\"12\"", "((1&2)=\"12\")"},
        {"quotes doubled", "\"a\"\"b\"", "\"a\"\"b\""},
        {"absolute parts", "$A1+A$1+$XFD$1048576", "($A1+A$1+$XFD$1048576)"},
        {"areas, columns and rows", "SUM(A1:B5,$C:$D,3:4)", "SUM(A1:B5,$C:$D,3:4)"},
        {"sheets, quoted and plain", "'My ''S'''!A1+Sheet2!B2:C3", "('My ''S'''!A1+'Sheet2'!B2:C3)"},
        {"empty arguments", "IF(A1,,)", "IF(A1,,)"},
        {"function prefix dropped", "_xlfn.CONCAT(\"a\")", "CONCAT(\"a\")"},
        {"every function prefix dropped", "_xlfn._xlws._xlfn.T2()", "T2()"},
        {"a prefix before no name kept", "_xlfn.2t()+_xlfn..t2()", "(_XLFN.2T()+_XLFN..T2())"},
        {"names and booleans", "MyName*true+Sheet2!Other", "((MYNAME*TRUE)+'Sheet2'!OTHER)"},
        {"range operator on results", "A1:INDEX(B:B,3)", "((A1):(INDEX(B:B,3)))"},
        {"range operator on numbers", "5.:6", "((5):(6))"},
        {"only a to z in capitals", "ñame+ῒ", "(ñAME+ῒ)"},
        {"blanks and line breaks", " 1 +\n2 ", "(1+2)"},
        {"error literals", "#N/A+#div/0!", "(#N/A+#DIV/0!)"},
        {"a cell name with a call is a call", "LOG10(1)", "LOG10(1)"},
    };
    for (const auto &c : cases) {
        const QString expected = QString::fromUtf8(c.printed);
        EXPECT_EQ(Printed(QString::fromUtf8(c.text)), expected) << c.name;
        EXPECT_EQ(Printed(expected), expected) << c.name << " (printed form reads back)";
    }
}

TEST(FormulaParse, SharedFormulaMovesRelativePartsOnly)
{
    const struct {
        const char *name;
        const char *master;
        int rows, columns;
        const char *moved;
    } cases[] = {
        {"down one row", "K5+TIME(0,30,0)", 1, 0, "(K6+TIME(0,30,0))"},
        {"absolute row stays", "K$5+$K5+$K$5", 3, 2, "(M$5+$K8+$K$5)"},
        {"areas and columns", "SUM(A1:B2)+SUM(C:C)+SUM(2:2)", 2, 1, "(SUM(B3:C4)+SUM(D:D)+SUM(4:4))"},
        {"off the sheet is #REF!", "A1+B2", -1, 0, "(#REF!+B1)"},
        {"other sheet moves too", "Sheet2!A1", 1, 1, "'Sheet2'!B2"},
    };
    for (const auto &c : cases) {
        const auto parsed = ParseFormula(QString::fromUtf8(c.master));
        ASSERT_TRUE(parsed) << c.name;
        EXPECT_EQ(FormulaText(TranslateFormula(parsed.value(), c.rows, c.columns)), QString::fromUtf8(c.moved))
            << c.name;
    }
}

} // namespace
