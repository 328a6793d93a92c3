// Formula parsing and calculation: no crash on any text, the printed form reads back to itself, and every
// calculation ends in a value or a refusal within the limits.
#include "fuzz/FuzzSupport.h"
#include "xlsx/formula/Evaluator.h"
#include "xlsx/formula/Formula.h"

#include <QHash>
#include <cmath>
#include <fuzzer/FuzzedDataProvider.h>

namespace {

using namespace formula;

// Two sheets of 4 by 4 cells: numbers, texts, a Boolean, an error, and the fuzzed formula in several cells,
// so that it meets itself and its neighbours.
class SmallWorkbook : public Workbook
{
public:
    explicit SmallWorkbook(const QString &text) : m_text(text) {}

    std::optional<int> sheetIndex(QStringView name) override
    {
        if (name.compare(u"Sheet1", Qt::CaseInsensitive) == 0)
            return 0;
        if (name.compare(u"Sheet2", Qt::CaseInsensitive) == 0)
            return 1;
        return std::nullopt;
    }
    SheetExtent extent(int) override { return {4, 4}; }
    CellContent cell(const CellAddress &a) override
    {
        CellContent c;
        switch ((a.row * 4 + a.column + a.sheet) % 8) {
        case 0:
            c.formula = m_text;
            c.rowOffset = a.row - 1;
            break;
        case 1:
            c.value = Value::Number(a.row * 0.25);
            break;
        case 2:
            c.value = Value::Text(QStringLiteral("10:30"));
            break;
        case 3:
            c.value = Value::Boolean(true);
            break;
        case 4:
            c.value = Value::Error(ErrorValue::NA);
            break;
        case 5:
            c.formula = QStringLiteral("A1+B$2");
            c.columnOffset = a.column - 1;
            break;
        default:
            break;
        }
        return c;
    }
    std::optional<QString> definedName(QStringView name, int) override
    {
        if (name == u"SELF")
            return m_text;
        if (name == u"AREA")
            return QStringLiteral("Sheet2!$A$1:$C$3");
        return std::nullopt;
    }

private:
    QString m_text;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const bool wide = input.ConsumeBool();
    const int row = input.ConsumeIntegralInRange(1, 5);
    const int column = input.ConsumeIntegralInRange(1, 5);
    const std::string bytes = input.ConsumeRemainingBytesAsString();
    const QString text = wide ? QString(reinterpret_cast<const QChar *>(bytes.data()), qsizetype(bytes.size() / 2))
                              : QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));

    Limits limits;
    limits.cellsRead = 20000;
    limits.rangeCells = 10000;
    const Result<Formula> parsed = ParseFormula(text, limits);
    if (parsed) {
        const QString printed = FormulaText(parsed.value());
        // The printed form's parentheses nest deeper than the original, and make it longer.
        Limits relaxed;
        relaxed.nesting = 4 * limits.nesting + 8;
        relaxed.formulaLength = 1 << 22;
        const Result<Formula> again = ParseFormula(printed, relaxed);
        FuzzCheck(bool(again), "the printed form reads");
        FuzzCheck(again && FormulaText(again.value()) == printed, "the printed form reads back to itself");
        (void)FormulaText(TranslateFormula(parsed.value(), row - 3, column - 3));
    } else {
        FuzzCheck(!parsed.refusal().text().isEmpty(), "a refusal gives its reason");
    }

    SmallWorkbook book(text);
    Evaluator evaluator(book, 45366.75, limits);
    const Result<Value> result = evaluator.calculate(text, {0, row, column});
    if (result) {
        FuzzCheck(result.value().type != Value::Type::Blank, "a formula never gives Blank");
        FuzzCheck(result.value().type != Value::Type::Number || std::isfinite(result.value().number),
                  "numbers are finite");
        FuzzCheck(result.value().type != Value::Type::Text || result.value().text.size() <= 32767,
                  "texts within 32767 characters");
    }
    (void)evaluator.cellValue({1, row, column});
    return 0;
}
