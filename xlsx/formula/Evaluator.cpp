#include "xlsx/formula/Evaluator.h"

#include "xlsx/formula/Calc.h"

namespace formula {

Evaluator::Evaluator(Workbook &workbook, double now, const Limits &limits)
    : m_calc(std::make_unique<Calc>(workbook, now, limits))
{
}

Evaluator::~Evaluator() = default;

Result<Value> Evaluator::cellValue(const CellAddress &address)
{
    return m_calc->cellResult(address);
}

Result<Value> Evaluator::calculate(QStringView formula, const CellAddress &at)
{
    return m_calc->formulaResult(formula, at);
}

} // namespace formula
