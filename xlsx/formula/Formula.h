#pragma once

#include "xlsx/formula/Refusal.h"
#include "xlsx/formula/Value.h"

#include <QString>
#include <QStringView>
#include <vector>

namespace formula {

constexpr int MaxRow = 1048576;
constexpr int MaxColumn = 16384;

// One end of a reference: row and column from 1; $ marks an absolute part.
struct CellRef {
    int row = 1;
    int column = 1;
    bool rowAbsolute = false;
    bool columnAbsolute = false;
};

// A1, A1:B5, A:C or 1:3, on the formula's own sheet unless sheet is given.
struct Reference {
    enum class Shape { Cell, Area, Columns, Rows };
    Shape shape = Shape::Cell;
    bool hasSheet = false;
    QString sheet;
    CellRef first;
    CellRef last; // equals first for a cell; only the columns or only the rows count for Columns and Rows
};

enum class Op {
    Add,
    Subtract,
    Multiply,
    Divide,
    Power,
    Concat,
    Equal,
    NotEqual,
    Less,
    Greater,
    LessEqual,
    GreaterEqual,
    Range, // ":" between two references that are not written as one
    Negate,
    Plus,
    Percent,
};

struct Node {
    enum class Kind { Number, Text, Boolean, Error, Reference, Name, Unary, Chain, Call, Missing };
    Kind kind = Kind::Missing;
    double number = 0;
    QString text{}; // Text; Name and Call: the name, a-z in capitals (a call without its _xlfn. prefix)
    bool boolean = false;
    ErrorValue error = ErrorValue::NA;
    Reference reference{};       // Reference; Name: hasSheet and sheet for a sheet-scoped name
    Op op = Op::Negate;          // Unary
    std::vector<Op> ops{};       // Chain: ops[i] joins children[i] and children[i + 1], left to right
    std::vector<int> children{}; // indices into Formula::nodes
};

// A parsed formula: a tree of nodes, flat.
struct Formula {
    std::vector<Node> nodes;
    int root = -1;
};

// Reads a formula as a cell's <f> element stores it, without the leading "=".
[[nodiscard]] Result<Formula> ParseFormula(QStringView text, const Limits &limits = {});

// The formula as it reads from a cell rowOffset rows and columnOffset columns away: relative parts move,
// absolute ones stay; a part moved off the sheet becomes #REF!. How a shared formula reaches its other cells.
Formula TranslateFormula(const Formula &formula, int rowOffset, int columnOffset);

// The formula as text again, every operator chain in parentheses; parsing it gives the same text.
QString FormulaText(const Formula &formula);

// "A", "AB", "XFD" for 1, 28, 16384.
QString ColumnName(int column);

} // namespace formula
