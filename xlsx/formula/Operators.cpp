#include "xlsx/formula/Calc.h"
#include "xlsx/formula/Coerce.h"
#include "xlsx/formula/Functions.h"

#include <cmath>

namespace formula {

namespace {

// A sum whose operands cancel but for the last binary digits is 0, as in the spreadsheet program.
double Add(double a, double b)
{
    if ((a < 0) != (b < 0) && ApproxEqual(a, -b))
        return 0;
    return a + b;
}

Value Power(double base, double exponent)
{
    if (base == 0 && exponent == 0)
        return Value::Error(ErrorValue::Num);
    if (base == 0 && exponent < 0)
        return Value::Error(ErrorValue::Div0);
    return Value::Number(std::pow(base, exponent));
}

Value Arithmetic(Op op, double a, double b)
{
    switch (op) {
    case Op::Add:
        return Value::Number(Add(a, b));
    case Op::Subtract:
        return Value::Number(Add(a, -b));
    case Op::Multiply:
        return Value::Number(a * b);
    case Op::Divide:
        return b == 0 ? Value::Error(ErrorValue::Div0) : Value::Number(a / b);
    default:
        return Power(a, b);
    }
}

Value Compare(Op op, const Value &a, const Value &b)
{
    const int c = CompareValues(a, b);
    switch (op) {
    case Op::Equal:
        return Value::Boolean(c == 0);
    case Op::NotEqual:
        return Value::Boolean(c != 0);
    case Op::Less:
        return Value::Boolean(c < 0);
    case Op::Greater:
        return Value::Boolean(c > 0);
    case Op::LessEqual:
        return Value::Boolean(c <= 0);
    default:
        return Value::Boolean(c >= 0);
    }
}

Value Binary(Op op, const Value &a, const Value &b)
{
    if (op == Op::Concat) {
        const Coerced<QString> left = ToText(a);
        if (left.error)
            return Value::Error(*left.error);
        const Coerced<QString> right = ToText(b);
        if (right.error)
            return Value::Error(*right.error);
        return TextResult(left.value + right.value);
    }
    if (op == Op::Add || op == Op::Subtract || op == Op::Multiply || op == Op::Divide || op == Op::Power) {
        const Coerced<double> left = ToNumber(a);
        if (left.error)
            return Value::Error(*left.error);
        const Coerced<double> right = ToNumber(b);
        if (right.error)
            return Value::Error(*right.error);
        return Arithmetic(op, left.value, right.value);
    }
    if (a.isError())
        return a;
    if (b.isError())
        return b;
    return Compare(op, a, b);
}

} // namespace

Operand Calc::evalChain(const Node &node)
{
    if (node.ops.front() == Op::Range) {
        const Operand left = eval(node.children[0]);
        const Operand right = eval(node.children[1]);
        if (!left.isArea)
            return left.value.isError() ? left.value : Value::Error(ErrorValue::Value);
        if (!right.isArea)
            return right.value.isError() ? right.value : Value::Error(ErrorValue::Value);
        if (left.area.sheet != right.area.sheet)
            return Value::Error(ErrorValue::Value);
        return Area{left.area.sheet, std::min(left.area.row1, right.area.row1),
                    std::min(left.area.column1, right.area.column1), std::max(left.area.row2, right.area.row2),
                    std::max(left.area.column2, right.area.column2)};
    }
    Value value = scalar(node.children[0]);
    for (size_t i = 0; i < node.ops.size(); ++i)
        value = Binary(node.ops[i], value, scalar(node.children[i + 1]));
    return value;
}

Operand Calc::evalUnary(const Node &node)
{
    if (node.op == Op::Plus)
        return eval(node.children[0]);
    const Coerced<double> n = ToNumber(scalar(node.children[0]));
    if (n.error)
        return Value::Error(*n.error);
    return Value::Number(node.op == Op::Negate ? -n.value : n.value / 100);
}

} // namespace formula
