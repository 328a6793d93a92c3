#include "xlsx/formula/Formula.h"

namespace formula {

namespace {

// False when the moved part falls off the sheet.
bool Move(int &part, bool absolute, int offset, int limit)
{
    if (absolute)
        return true;
    part += offset;
    return part >= 1 && part <= limit;
}

bool MoveReference(Reference &ref, int rowOffset, int columnOffset)
{
    const bool rows = ref.shape != Reference::Shape::Columns;
    const bool columns = ref.shape != Reference::Shape::Rows;
    bool onSheet = true;
    for (CellRef *end : {&ref.first, &ref.last}) {
        if (rows)
            onSheet = Move(end->row, end->rowAbsolute, rowOffset, MaxRow) && onSheet;
        if (columns)
            onSheet = Move(end->column, end->columnAbsolute, columnOffset, MaxColumn) && onSheet;
    }
    return onSheet;
}

} // namespace

Formula TranslateFormula(const Formula &formula, int rowOffset, int columnOffset)
{
    Formula moved = formula;
    for (Node &node : moved.nodes) {
        if (node.kind == Node::Kind::Reference && !MoveReference(node.reference, rowOffset, columnOffset)) {
            node.kind = Node::Kind::Error;
            node.error = ErrorValue::Ref;
        }
    }
    return moved;
}

} // namespace formula
