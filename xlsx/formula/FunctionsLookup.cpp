// VLOOKUP, HLOOKUP, INDEX, MATCH, CHOOSE, ROW, COLUMN.
#include "xlsx/formula/Coerce.h"
#include "xlsx/formula/Functions.h"

#include <QRegularExpression>
#include <array>

namespace formula {

namespace {

// An exact match: texts ignore case and take the wildcards ? * ~.
bool Matches(const Value &wanted, const Value &candidate)
{
    if (wanted.type == Value::Type::Text && candidate.type == Value::Type::Text) {
        const QString &p = wanted.text;
        if (!p.contains(u'*') && !p.contains(u'?') && !p.contains(u'~'))
            return p.compare(candidate.text, Qt::CaseInsensitive) == 0;
        QString expression;
        for (qsizetype i = 0; i < p.size(); ++i) {
            if (p[i] == u'~' && i + 1 < p.size())
                expression += QRegularExpression::escape(QString(p[++i]));
            else if (p[i] == u'?')
                expression += u'.';
            else if (p[i] == u'*')
                expression += QStringLiteral(".*");
            else
                expression += QRegularExpression::escape(QString(p[i]));
        }
        const QRegularExpression re(QRegularExpression::anchoredPattern(expression),
                                    QRegularExpression::CaseInsensitiveOption |
                                        QRegularExpression::DotMatchesEverythingOption);
        return re.match(candidate.text).hasMatch();
    }
    return wanted.type == candidate.type && CompareValues(wanted, candidate) == 0;
}

// The position (from 0) along a row or column of cells: mode 0 exact, 1 the last not above in an ascending
// list, -1 the last not below in a descending one. Cells of another kind than the wanted value are passed
// over. -1 when none; an error cell met before the answer is not an error.
long long Position(Calc &calc, const Area &line, const Value &wanted, int mode)
{
    long long index = 0;
    long long found = -1;
    calc.forEachCell(line, [&](int, int, const Value &v) {
        const long long here = index++;
        if (mode == 0) {
            if (Matches(wanted, v)) {
                found = here;
                return false;
            }
            return true;
        }
        if (v.type == Value::Type::Blank || v.isError() || v.type != wanted.type)
            return true;
        const int c = CompareValues(v, wanted);
        if ((mode > 0 && c > 0) || (mode < 0 && c < 0))
            return false;
        found = here;
        return c != 0 || mode < 0;
    });
    return found;
}

Area Line(const Area &a, bool alongRow, int offset)
{
    if (alongRow)
        return Area{a.sheet, a.row1 + offset, a.column1, a.row1 + offset, a.column2};
    return Area{a.sheet, a.row1, a.column1 + offset, a.row2, a.column1 + offset};
}

// The lookups' first two arguments: the value sought and the cells it is sought in.
Value WantedAndArea(Calc &calc, Args args, Value &wanted, Area &area)
{
    wanted = calc.scalar(args[0]);
    if (wanted.isError())
        return wanted;
    const Operand cells = calc.eval(args[1]);
    if (!cells.isArea)
        return cells.value.isError() ? cells.value : Value::Error(ErrorValue::NA);
    area = cells.area;
    return Value::Blank();
}

template <bool Vertical> Operand Lookup(Calc &calc, Args args)
{
    Value wanted;
    Area a;
    if (Value e = WantedAndArea(calc, args, wanted, a); e.isError())
        return e;
    double index = 0;
    if (Value e = NumberArg(calc, args[2], index); e.isError())
        return e;
    bool approximate = true;
    if (args.size() > 3 && !calc.isMissing(args[3])) {
        const Coerced<bool> b = ToBoolean(calc.scalar(args[3]));
        if (b.error)
            return Value::Error(*b.error);
        approximate = b.value;
    } else if (args.size() > 3) {
        approximate = false;
    }
    index = Truncate(index);
    if (index < 1)
        return Value::Error(ErrorValue::Value);
    if (index > (Vertical ? a.columns() : a.rows()))
        return Value::Error(ErrorValue::Ref);
    const long long at = Position(calc, Line(a, !Vertical, 0), wanted, approximate ? 1 : 0);
    if (at < 0)
        return Value::Error(ErrorValue::NA);
    const int offset = int(index) - 1;
    return calc.cellAt(Vertical ? CellAddress{a.sheet, a.row1 + int(at), a.column1 + offset}
                                : CellAddress{a.sheet, a.row1 + offset, a.column1 + int(at)});
}

Operand Match(Calc &calc, Args args)
{
    Value wanted;
    Area a;
    if (Value e = WantedAndArea(calc, args, wanted, a); e.isError())
        return e;
    double mode = 1;
    if (args.size() > 2 && !calc.isMissing(args[2])) {
        if (Value e = NumberArg(calc, args[2], mode); e.isError())
            return e;
    }
    if (a.rows() > 1 && a.columns() > 1)
        return Value::Error(ErrorValue::NA);
    const long long at = Position(calc, a, wanted, mode > 0 ? 1 : mode < 0 ? -1 : 0);
    return at < 0 ? Value::Error(ErrorValue::NA) : Value::Number(double(at + 1));
}

// INDEX gives a reference: a cell, or a whole row or column for a 0.
Operand Index(Calc &calc, Args args)
{
    const Operand table = calc.eval(args[0]);
    if (!table.isArea)
        return table.value.isError() ? table.value : Value::Error(ErrorValue::Value);
    double row = 0, column = 0;
    if (Value e = NumberArg(calc, args[1], row); e.isError())
        return e;
    if (args.size() > 2) {
        if (Value e = NumberArg(calc, args[2], column); e.isError())
            return e;
    }
    const Area &a = table.area;
    row = Truncate(row), column = Truncate(column);
    if (args.size() == 2 && a.rows() == 1)
        std::swap(row, column); // a single row is indexed along its columns
    if (row < 0 || column < 0)
        return Value::Error(ErrorValue::Value);
    if (row > a.rows() || column > a.columns() || (args.size() == 2 && a.rows() > 1 && a.columns() > 1 && row == 0))
        return Value::Error(ErrorValue::Ref);
    Area result = a;
    if (row > 0)
        result.row1 = result.row2 = a.row1 + int(row) - 1;
    if (column > 0)
        result.column1 = result.column2 = a.column1 + int(column) - 1;
    return result;
}

Operand Choose(Calc &calc, Args args)
{
    double index = 0;
    if (Value e = NumberArg(calc, args[0], index); e.isError())
        return e;
    index = Truncate(index);
    if (index < 1 || index >= double(args.size()))
        return Value::Error(ErrorValue::Value);
    const int chosen = args[size_t(index)];
    return calc.isMissing(chosen) ? Operand(Value::Number(0)) : calc.eval(chosen);
}

template <bool IsRow> Operand RowOrColumn(Calc &calc, Args args)
{
    if (args.empty() || calc.isMissing(args[0]))
        return Value::Number(IsRow ? calc.here().row : calc.here().column);
    const Operand operand = calc.eval(args[0]);
    if (!operand.isArea)
        return operand.value.isError() ? operand.value : Value::Error(ErrorValue::Value);
    return Value::Number(IsRow ? operand.area.row1 : operand.area.column1);
}

constexpr std::array Functions = {
    FunctionInfo{u"VLOOKUP", 3, 4, Lookup<true>},
    FunctionInfo{u"HLOOKUP", 3, 4, Lookup<false>},
    FunctionInfo{u"MATCH", 2, 3, Match},
    FunctionInfo{u"INDEX", 2, 3, Index},
    FunctionInfo{u"CHOOSE", 2, 255, Choose},
    FunctionInfo{u"ROW", 0, 1, RowOrColumn<true>},
    FunctionInfo{u"COLUMN", 0, 1, RowOrColumn<false>},
};

} // namespace

std::span<const FunctionInfo> LookupFunctions()
{
    return Functions;
}

} // namespace formula
