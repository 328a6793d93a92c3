#include "xlsx/formula/Calc.h"

#include "xlsx/formula/Coerce.h"
#include "xlsx/formula/Functions.h"

#include <algorithm>
#include <cmath>

namespace formula {

namespace {

// The value a formula gets from a cell that is part of a circular reference.
constexpr ErrorValue CircularError = ErrorValue::Value;

} // namespace

struct Calc::Job {
    CellAddress address;
    quint64 key = 0;
    const Formula *formula = nullptr;
    int rowOffset = 0;
    int columnOffset = 0;
    std::vector<Area> areas; // the cells it names outright, calculated before it
    size_t area = 0;
    int row = 0;
    int column = 0;
};

Calc::Calc(Workbook &workbook, double now, const Limits &limits) : m_workbook(workbook), m_now(now), m_limits(limits) {}

quint64 Calc::Key(const CellAddress &address)
{
    return (quint64(address.sheet) << 35) | (quint64(address.row) << 14) | quint64(address.column);
}

void Calc::refuse(Refusal refusal)
{
    if (!m_refusal)
        m_refusal = std::move(refusal);
}

Result<Value> Calc::cellResult(const CellAddress &address)
{
    const Value value = cellAt(address);
    if (m_refusal)
        return *m_refusal;
    return value;
}

Result<Value> Calc::formulaResult(QStringView text, const CellAddress &at)
{
    const Formula *formula = parsed(text.toString());
    const Value value = formula ? evalFormula(*formula, at, 0, 0) : Value();
    if (m_refusal)
        return *m_refusal;
    return value;
}

const Formula *Calc::parsed(const QString &text)
{
    if (const auto found = m_parsed.constFind(text); found != m_parsed.cend())
        return found->get();
    Result<Formula> parsed = ParseFormula(text, m_limits);
    if (!parsed) {
        refuse(parsed.refusal());
        return nullptr;
    }
    if (std::optional<Refusal> refusal = CheckCalls(parsed.value())) {
        refuse(*refusal);
        return nullptr;
    }
    auto formula = std::make_shared<const Formula>(parsed.value());
    m_parsed.insert(text, formula);
    return formula.get();
}

CellContent Calc::read(const CellAddress &address)
{
    if (++m_cellsRead > m_limits.cellsRead) {
        refuse(Refusal{Refusal::Kind::TooManyCells, QString::number(m_limits.cellsRead)});
        return {};
    }
    return m_workbook.cell(address);
}

Value Calc::evalFormula(const Formula &formula, const CellAddress &here, int rowOffset, int columnOffset)
{
    const Frame saved = m_frame;
    m_frame = Frame{&formula, here, rowOffset, columnOffset};
    Value value = scalarOf(eval(formula.root));
    m_frame = saved;
    if (value.type == Value::Type::Blank)
        return Value::Number(0);
    return value;
}

Value Calc::cellAt(const CellAddress &address)
{
    if (m_refusal)
        return Value::Error(ErrorValue::NA);
    if (const auto found = m_cells.constFind(Key(address)); found != m_cells.cend())
        return found->pending ? Value::Error(CircularError) : found->value;
    const CellContent content = read(address);
    if (m_refusal || (content.formula.isEmpty() && !content.array))
        return content.value;
    return calculateCell(address, content);
}

// The cells a formula names outright (not those reached through a name or a function's result), so that
// they are calculated first, one after another, rather than one inside another.
std::vector<Area> Calc::staticAreas(const Formula &formula, const CellAddress &here, int rowOffset, int columnOffset)
{
    const Frame saved = m_frame;
    m_frame = Frame{&formula, here, rowOffset, columnOffset};
    std::vector<Area> areas;
    for (const Node &node : formula.nodes) {
        if (node.kind != Node::Kind::Reference)
            continue;
        const Operand operand = evalReference(node.reference);
        if (operand.isArea)
            areas.push_back(operand.area);
    }
    m_frame = saved;
    return areas;
}

Value Calc::calculateCell(const CellAddress &address, const CellContent &first)
{
    if (m_nested >= m_limits.nested) {
        refuse(Refusal{Refusal::Kind::ChainTooLong, QString::number(m_limits.nested)});
        return Value::Error(ErrorValue::NA);
    }
    ++m_nested;
    std::vector<Job> stack;
    auto push = [&](const CellAddress &at, const CellContent &content) {
        if (m_pending >= m_limits.chain)
            return refuse(Refusal{Refusal::Kind::ChainTooLong, QString::number(m_limits.chain)});
        if (content.array)
            return refuse(Refusal{Refusal::Kind::ArrayFormula, {}});
        const Formula *formula = parsed(content.formula);
        if (!formula)
            return;
        Job job{at, Key(at), formula, content.rowOffset, content.columnOffset, {}, 0, 0, 0};
        job.areas = staticAreas(*formula, at, content.rowOffset, content.columnOffset);
        m_cells.insert(job.key, Slot{true, {}});
        ++m_pending;
        stack.push_back(std::move(job));
    };
    push(address, first);
    while (!stack.empty() && !m_refusal) {
        Job &job = stack.back();
        std::optional<CellAddress> next;
        while (!next && job.area < job.areas.size() && !m_refusal) {
            const Area &area = job.areas[job.area];
            const SheetExtent extent = m_workbook.extent(area.sheet);
            const int lastRow = std::min(area.row2, extent.rows);
            const int lastColumn = std::min(area.column2, extent.columns);
            const std::array<int, 5> key = {area.sheet, area.row1, area.column1, area.row2, area.column2};
            if (job.row == 0 && m_scanned.count(key)) {
                ++job.area;
                continue;
            }
            if (job.row == 0 && static_cast<long long>(std::max(0, lastRow - area.row1 + 1)) *
                                        std::max(0, lastColumn - area.column1 + 1) >
                                    m_limits.rangeCells) {
                refuse(Refusal{Refusal::Kind::RangeTooLarge, QString::number(m_limits.rangeCells)});
                break;
            }
            if (job.row == 0)
                job.row = area.row1, job.column = area.column1;
            if (job.row > lastRow || area.column1 > lastColumn) {
                m_scanned.insert(key);
                ++job.area, job.row = 0;
                continue;
            }
            const CellAddress cell{area.sheet, job.row, job.column};
            if (++job.column > lastColumn)
                job.column = area.column1, ++job.row;
            if (!m_cells.contains(Key(cell))) {
                const CellContent content = read(cell);
                if (!content.formula.isEmpty() || content.array) {
                    push(cell, content);
                    next = cell;
                }
            }
        }
        if (next || m_refusal)
            continue;
        Job done = std::move(stack.back());
        stack.pop_back();
        const Value value = evalFormula(*done.formula, done.address, done.rowOffset, done.columnOffset);
        m_cells[done.key] = Slot{false, value};
        --m_pending;
    }
    --m_nested;
    for (const Job &job : stack)
        m_cells.remove(job.key);
    m_pending -= int(stack.size());
    if (m_refusal)
        return Value::Error(ErrorValue::NA);
    return m_cells.value(Key(address)).value;
}

bool Calc::forEachCell(const Area &area, const std::function<bool(int, int, const Value &)> &visit, long long *skipped)
{
    const SheetExtent extent = m_workbook.extent(area.sheet);
    const int lastRow = std::min(area.row2, extent.rows);
    const int lastColumn = std::min(area.column2, extent.columns);
    const long long rows = std::max(0, lastRow - area.row1 + 1);
    const long long columns = std::max(0, lastColumn - area.column1 + 1);
    if (rows * columns > m_limits.rangeCells) {
        refuse(Refusal{Refusal::Kind::RangeTooLarge, QString::number(m_limits.rangeCells)});
        return false;
    }
    if (skipped)
        *skipped = static_cast<long long>(area.rows()) * area.columns() - rows * columns;
    for (int row = area.row1; row <= lastRow; ++row) {
        for (int column = area.column1; column <= lastColumn; ++column) {
            const Value value = cellAt({area.sheet, row, column});
            if (m_refusal)
                return false;
            if (!visit(row, column, value))
                return true;
        }
    }
    return !m_refusal;
}

std::optional<int> Calc::sheetOf(const Reference &ref)
{
    if (!ref.hasSheet)
        return m_frame.here.sheet;
    const QString key = ref.sheet.toCaseFolded();
    if (const auto found = m_sheets.constFind(key); found != m_sheets.cend())
        return *found < 0 ? std::nullopt : std::optional(*found);
    const std::optional<int> index = m_workbook.sheetIndex(ref.sheet);
    m_sheets.insert(key, index.value_or(-1));
    return index;
}

Operand Calc::evalReference(const Reference &ref)
{
    const std::optional<int> sheet = sheetOf(ref);
    if (!sheet)
        return Value::Error(ErrorValue::Ref);
    CellRef first = ref.first;
    CellRef last = ref.last;
    for (CellRef *end : {&first, &last}) {
        if (!end->rowAbsolute)
            end->row += m_frame.rowOffset;
        if (!end->columnAbsolute)
            end->column += m_frame.columnOffset;
        if (end->row < 1 || end->row > MaxRow || end->column < 1 || end->column > MaxColumn)
            return Value::Error(ErrorValue::Ref);
    }
    if (ref.shape == Reference::Shape::Columns)
        first.row = 1, last.row = MaxRow;
    if (ref.shape == Reference::Shape::Rows)
        first.column = 1, last.column = MaxColumn;
    return Area{*sheet, std::min(first.row, last.row), std::min(first.column, last.column),
                std::max(first.row, last.row), std::max(first.column, last.column)};
}

Operand Calc::evalName(const Node &node)
{
    std::optional<int> sheet = m_frame.here.sheet;
    if (node.reference.hasSheet)
        sheet = sheetOf(node.reference);
    const std::optional<QString> text = sheet ? m_workbook.definedName(node.text, *sheet) : std::nullopt;
    if (!text)
        return Value::Error(ErrorValue::Name);
    if (m_nested >= m_limits.nested) {
        refuse(Refusal{Refusal::Kind::ChainTooLong, QString::number(m_limits.nested)});
        return Value::Error(ErrorValue::NA);
    }
    const Formula *formula = parsed(*text);
    if (!formula)
        return Value::Error(ErrorValue::NA);
    ++m_nested;
    const Frame saved = m_frame;
    m_frame = Frame{formula, saved.here, 0, 0};
    Operand result = eval(formula->root);
    m_frame = saved;
    --m_nested;
    return result;
}

Value Calc::scalarOf(const Operand &operand)
{
    if (!operand.isArea)
        return operand.value;
    const Area &a = operand.area;
    int row = a.row1;
    int column = a.column1;
    if (a.rows() > 1 && a.columns() > 1)
        return Value::Error(ErrorValue::Value);
    if (a.rows() > 1) {
        if (m_frame.here.row < a.row1 || m_frame.here.row > a.row2)
            return Value::Error(ErrorValue::Value);
        row = m_frame.here.row;
    }
    if (a.columns() > 1) {
        if (m_frame.here.column < a.column1 || m_frame.here.column > a.column2)
            return Value::Error(ErrorValue::Value);
        column = m_frame.here.column;
    }
    return cellAt({a.sheet, row, column});
}

Value Calc::scalar(int node)
{
    return scalarOf(eval(node));
}

Operand Calc::eval(int index)
{
    if (m_refusal)
        return Value::Error(ErrorValue::NA);
    const Node &node = nodeAt(index);
    switch (node.kind) {
    case Node::Kind::Number:
        return Value::Number(node.number);
    case Node::Kind::Text:
        return Value::Text(node.text);
    case Node::Kind::Boolean:
        return Value::Boolean(node.boolean);
    case Node::Kind::Error:
        return Value::Error(node.error);
    case Node::Kind::Missing:
        return Value::Blank();
    case Node::Kind::Reference:
        return evalReference(node.reference);
    case Node::Kind::Name:
        return evalName(node);
    case Node::Kind::Unary:
        return evalUnary(node);
    case Node::Kind::Chain:
        return evalChain(node);
    case Node::Kind::Call:
        return evalCall(node);
    }
    return Value::Error(ErrorValue::NA);
}

Operand Calc::evalCall(const Node &node)
{
    const FunctionInfo *info = FindFunction(node.text);
    if (!info) {
        refuse(Refusal{Refusal::Kind::Function, node.text});
        return Value::Error(ErrorValue::NA);
    }
    return info->body(*this, Args(node.children));
}

} // namespace formula
