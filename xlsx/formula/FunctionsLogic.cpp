// IF, IFERROR, IFNA, AND, OR, NOT, TRUE, FALSE and the IS functions.
#include "xlsx/formula/Coerce.h"
#include "xlsx/formula/Functions.h"

#include <array>

namespace formula {

namespace {

// An omitted argument chosen as a result is 0.
Operand Branch(Calc &calc, int node)
{
    return calc.isMissing(node) ? Operand(Value::Number(0)) : calc.eval(node);
}

Operand If(Calc &calc, Args args)
{
    const Coerced<bool> condition = ToBoolean(calc.scalar(args[0]));
    if (condition.error)
        return Value::Error(*condition.error);
    if (condition.value)
        return Branch(calc, args[1]);
    return args.size() > 2 ? Branch(calc, args[2]) : Operand(Value::Boolean(false));
}

Operand IfErrorWhen(Calc &calc, Args args, bool onlyNA)
{
    Value value = calc.scalar(args[0]);
    if (value.isError() && (!onlyNA || value.error == ErrorValue::NA))
        return calc.isMissing(args[1]) ? Value::Number(0) : calc.scalar(args[1]);
    return value;
}

Operand IfError(Calc &calc, Args args)
{
    return IfErrorWhen(calc, args, false);
}

Operand IfNA(Calc &calc, Args args)
{
    return IfErrorWhen(calc, args, true);
}

// AND and OR: numbers and Booleans count; texts and blanks in references are passed over.
Operand Logical(Calc &calc, Args args, bool isAnd)
{
    bool result = isAnd;
    bool counted = false;
    std::optional<ErrorValue> error;
    auto take = [&](bool b) {
        counted = true;
        result = isAnd ? result && b : result || b;
    };
    for (int arg : args) {
        const Operand operand = calc.eval(arg);
        if (operand.isArea) {
            calc.forEachCell(operand.area, [&](int, int, const Value &v) {
                if (v.isError())
                    error = v.error;
                else if (v.type == Value::Type::Number || v.type == Value::Type::Boolean)
                    take(ToBoolean(v).value);
                return !error;
            });
        } else if (operand.value.type != Value::Type::Blank) {
            const Coerced<bool> b = ToBoolean(operand.value);
            if (b.error)
                error = b.error;
            else
                take(b.value);
        }
        if (error)
            return Value::Error(*error);
    }
    return counted ? Value::Boolean(result) : Value::Error(ErrorValue::Value);
}

Operand And(Calc &calc, Args args)
{
    return Logical(calc, args, true);
}

Operand Or(Calc &calc, Args args)
{
    return Logical(calc, args, false);
}

Operand Not(Calc &calc, Args args)
{
    const Coerced<bool> b = ToBoolean(calc.scalar(args[0]));
    return b.error ? Value::Error(*b.error) : Value::Boolean(!b.value);
}

Operand True(Calc &, Args)
{
    return Value::Boolean(true);
}

Operand False(Calc &, Args)
{
    return Value::Boolean(false);
}

template <bool (*Test)(const Value &)> Operand Is(Calc &calc, Args args)
{
    return Value::Boolean(Test(calc.scalar(args[0])));
}

bool IsBlank(const Value &v)
{
    return v.type == Value::Type::Blank;
}
bool IsNumber(const Value &v)
{
    return v.type == Value::Type::Number;
}
bool IsText(const Value &v)
{
    return v.type == Value::Type::Text;
}
bool IsError(const Value &v)
{
    return v.isError();
}
bool IsNA(const Value &v)
{
    return v.isError() && v.error == ErrorValue::NA;
}

constexpr std::array Functions = {
    FunctionInfo{u"IF", 2, 3, If},
    FunctionInfo{u"IFERROR", 2, 2, IfError},
    FunctionInfo{u"IFNA", 2, 2, IfNA},
    FunctionInfo{u"AND", 1, 255, And},
    FunctionInfo{u"OR", 1, 255, Or},
    FunctionInfo{u"NOT", 1, 1, Not},
    FunctionInfo{u"TRUE", 0, 0, True},
    FunctionInfo{u"FALSE", 0, 0, False},
    FunctionInfo{u"ISBLANK", 1, 1, Is<IsBlank>},
    FunctionInfo{u"ISNUMBER", 1, 1, Is<IsNumber>},
    FunctionInfo{u"ISTEXT", 1, 1, Is<IsText>},
    FunctionInfo{u"ISERROR", 1, 1, Is<IsError>},
    FunctionInfo{u"ISNA", 1, 1, Is<IsNA>},
};

} // namespace

std::span<const FunctionInfo> LogicFunctions()
{
    return Functions;
}

} // namespace formula
