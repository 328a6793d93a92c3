#pragma once

// The evaluator's inside, as the functions see it.
#include "xlsx/formula/Evaluator.h"
#include "xlsx/formula/Formula.h"

#include <QHash>
#include <array>
#include <functional>
#include <memory>
#include <set>
#include <span>

namespace formula {

// A rectangle of cells on one sheet.
struct Area {
    int sheet = 0;
    int row1 = 1, column1 = 1, row2 = 1, column2 = 1;
    int rows() const { return row2 - row1 + 1; }
    int columns() const { return column2 - column1 + 1; }
};

// What an expression gives before it is used: a value, or a reference to cells.
struct Operand {
    bool isArea = false;
    Value value;
    Area area;

    Operand(Value v) : value(std::move(v)) {}
    Operand(const Area &a) : isArea(true), area(a) {}
};

using Args = std::span<const int>;

class Calc
{
public:
    Calc(Workbook &workbook, double now, const Limits &limits);

    Result<Value> cellResult(const CellAddress &address);
    Result<Value> formulaResult(QStringView text, const CellAddress &at);

    // For the functions.
    Operand eval(int node);
    // A value: a reference gives its cell, a range the cell in the formula's own row or column (#VALUE! when
    // none). Blank stays Blank.
    Value scalar(int node);
    Value scalarOf(const Operand &operand);
    const Node &nodeAt(int node) const { return m_frame.formula->nodes[size_t(node)]; }
    bool isMissing(int node) const { return nodeAt(node).kind == Node::Kind::Missing; }
    Value cellAt(const CellAddress &address);
    // Calls visit(row, column, value) for the cells of the area in the used part of its sheet, row by row;
    // returns false when the calculation stopped (refused). skipped counts the blank cells left out.
    bool forEachCell(const Area &area, const std::function<bool(int, int, const Value &)> &visit,
                     long long *skipped = nullptr);
    const CellAddress &here() const { return m_frame.here; }
    double now() const { return m_now; }
    void refuse(Refusal refusal);
    bool refused() const { return m_refusal.has_value(); }

private:
    struct Frame {
        const Formula *formula = nullptr;
        CellAddress here;
        int rowOffset = 0;
        int columnOffset = 0;
    };
    struct Slot {
        bool pending = false;
        Value value;
    };
    struct Job;

    Workbook &m_workbook;
    double m_now;
    Limits m_limits;
    Frame m_frame;
    std::optional<Refusal> m_refusal;
    QHash<QString, std::shared_ptr<const Formula>> m_parsed;
    QHash<quint64, Slot> m_cells;
    QHash<QString, int> m_sheets;
    std::set<std::array<int, 5>> m_scanned; // areas whose formula cells are all calculated or under way
    int m_pending = 0;
    int m_nested = 0;
    long long m_cellsRead = 0;

    const Formula *parsed(const QString &text);
    std::optional<int> sheetOf(const Reference &ref);
    Operand evalReference(const Reference &ref);
    Operand evalName(const Node &node);
    Operand evalChain(const Node &node);
    Operand evalUnary(const Node &node);
    Operand evalCall(const Node &node);
    Value evalFormula(const Formula &formula, const CellAddress &here, int rowOffset, int columnOffset);
    CellContent read(const CellAddress &address);
    Value calculateCell(const CellAddress &address, const CellContent &content);
    std::vector<Area> staticAreas(const Formula &formula, const CellAddress &here, int rowOffset, int columnOffset);
    static quint64 Key(const CellAddress &address);
};

} // namespace formula
