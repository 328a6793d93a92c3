#include "xlsx/formula/Functions.h"

#include "xlsx/formula/Coerce.h"

#include <cmath>

namespace formula {

const FunctionInfo *FindFunction(QStringView name)
{
    for (auto family : {LogicFunctions, MathFunctions, DateFunctions, TextFunctions, LookupFunctions}) {
        for (const FunctionInfo &info : family()) {
            if (info.name == name)
                return &info;
        }
    }
    return nullptr;
}

std::optional<Refusal> CheckCalls(const Formula &formula)
{
    for (const Node &node : formula.nodes) {
        if (node.kind != Node::Kind::Call)
            continue;
        const FunctionInfo *info = FindFunction(node.text);
        if (!info)
            return Refusal{Refusal::Kind::Function, node.text};
        const int count = int(node.children.size());
        if (count < info->minArgs || count > info->maxArgs) {
            return Refusal{Refusal::Kind::Function,
                           node.text + QStringLiteral(" with ") + QString::number(count) +
                               (count == 1 ? QStringLiteral(" argument") : QStringLiteral(" arguments"))};
        }
    }
    return std::nullopt;
}

Value NumberArg(Calc &calc, int node, double &out)
{
    const Coerced<double> n = ToNumber(calc.scalar(node));
    if (n.error)
        return Value::Error(*n.error);
    out = n.value;
    return Value::Blank();
}

Value TextArg(Calc &calc, int node, QString &out)
{
    Coerced<QString> t = ToText(calc.scalar(node));
    if (t.error)
        return Value::Error(*t.error);
    out = std::move(t.value);
    return Value::Blank();
}

Value TextResult(QString text)
{
    if (text.size() > 32767)
        return Value::Error(ErrorValue::Value);
    return Value::Text(std::move(text));
}

double Truncate(double value)
{
    return std::trunc(Approx15(value));
}

} // namespace formula
