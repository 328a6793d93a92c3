#include "xlsx/formula/Value.h"

#include <array>
#include <cmath>

namespace formula {

namespace {

struct ErrorName {
    ErrorValue error;
    const char16_t *text;
};
constexpr std::array<ErrorName, 7> ErrorNames = {{{ErrorValue::Null, u"#NULL!"},
                                                  {ErrorValue::Div0, u"#DIV/0!"},
                                                  {ErrorValue::Value, u"#VALUE!"},
                                                  {ErrorValue::Ref, u"#REF!"},
                                                  {ErrorValue::Name, u"#NAME?"},
                                                  {ErrorValue::Num, u"#NUM!"},
                                                  {ErrorValue::NA, u"#N/A"}}};

} // namespace

QString ErrorText(ErrorValue error)
{
    for (const ErrorName &name : ErrorNames) {
        if (name.error == error)
            return QString::fromUtf16(name.text);
    }
    return QStringLiteral("#N/A");
}

std::optional<ErrorValue> ErrorFromText(QStringView text)
{
    for (const ErrorName &name : ErrorNames) {
        if (text.compare(QStringView(name.text), Qt::CaseInsensitive) == 0)
            return name.error;
    }
    return std::nullopt;
}

// A result that is not a finite number is #NUM!, as in the spreadsheet program.
Value Value::Number(double n)
{
    if (!std::isfinite(n))
        return Error(ErrorValue::Num);
    Value v;
    v.type = Type::Number;
    v.number = n == 0 ? 0.0 : n;
    return v;
}

Value Value::Text(QString t)
{
    Value v;
    v.type = Type::Text;
    v.text = std::move(t);
    return v;
}

Value Value::Boolean(bool b)
{
    Value v;
    v.type = Type::Boolean;
    v.boolean = b;
    return v;
}

Value Value::Error(ErrorValue e)
{
    Value v;
    v.type = Type::Error;
    v.error = e;
    return v;
}

bool Value::operator==(const Value &other) const
{
    if (type != other.type)
        return false;
    switch (type) {
    case Type::Blank:
        return true;
    case Type::Number:
        return number == other.number;
    case Type::Text:
        return text == other.text;
    case Type::Boolean:
        return boolean == other.boolean;
    case Type::Error:
        return error == other.error;
    }
    return false;
}

} // namespace formula
