// TEXT, VALUE, N and the text functions.
#include "xlsx/formula/Coerce.h"
#include "xlsx/formula/Functions.h"
#include "xlsx/formula/TextFormat.h"

#include <QRegularExpression>
#include <array>

namespace formula {

namespace {

Operand Text(Calc &calc, Args args)
{
    const Value value = calc.scalar(args[0]);
    QString format;
    if (Value e = TextArg(calc, args[1], format); e.isError())
        return e;
    if (value.isError())
        return value;
    std::optional<Value> result;
    std::optional<double> number;
    if (value.type == Value::Type::Text)
        number = TextToNumber(value.text);
    else
        number = ToNumber(value).value;
    result = number ? FormatValue(*number, format) : FormatText(value.text, format);
    if (!result) {
        calc.refuse(Refusal{Refusal::Kind::FormatCode, format});
        return Value::Error(ErrorValue::NA);
    }
    return *result;
}

Operand ValueOf(Calc &calc, Args args)
{
    const Value value = calc.scalar(args[0]);
    if (value.type == Value::Type::Boolean)
        return Value::Error(ErrorValue::Value);
    const Coerced<double> n = ToNumber(value);
    return n.error ? Value::Error(*n.error) : Value::Number(n.value);
}

Operand N(Calc &calc, Args args)
{
    const Value value = calc.scalar(args[0]);
    if (value.type == Value::Type::Number || value.isError())
        return value;
    return Value::Number(value.type == Value::Type::Boolean && value.boolean ? 1 : 0);
}

// A count or position argument: whole, and at least minimum, else #VALUE!.
Value CountArg(Calc &calc, Args args, size_t index, double fallback, double minimum, qsizetype &out)
{
    double n = fallback;
    if (args.size() > index) {
        if (Value e = NumberArg(calc, args[index], n); e.isError())
            return e;
    }
    n = Truncate(n);
    if (n < minimum)
        return Value::Error(ErrorValue::Value);
    out = qsizetype(std::min(n, 1e9));
    return Value::Blank();
}

template <bool FromLeft> Operand Side(Calc &calc, Args args)
{
    QString text;
    qsizetype count = 0;
    if (Value e = TextArg(calc, args[0], text); e.isError())
        return e;
    if (Value e = CountArg(calc, args, 1, 1, 0, count); e.isError())
        return e;
    return Value::Text(FromLeft ? text.left(count) : text.right(count));
}

// MID's and REPLACE's first three arguments: a text, a position in it from 1 and a count of characters.
struct TextSpan {
    QString text;
    qsizetype start = 0;
    qsizetype count = 0;
};

Value TextSpanArgs(Calc &calc, Args args, TextSpan &out)
{
    if (Value e = TextArg(calc, args[0], out.text); e.isError())
        return e;
    if (Value e = CountArg(calc, args, 1, 1, 1, out.start); e.isError())
        return e;
    return CountArg(calc, args, 2, 0, 0, out.count);
}

Operand Mid(Calc &calc, Args args)
{
    TextSpan span;
    if (Value e = TextSpanArgs(calc, args, span); e.isError())
        return e;
    return Value::Text(span.start > span.text.size() ? QString() : span.text.mid(span.start - 1, span.count));
}

Operand Len(Calc &calc, Args args)
{
    QString text;
    if (Value e = TextArg(calc, args[0], text); e.isError())
        return e;
    return Value::Number(double(text.size()));
}

template <QString (*F)(const QString &)> Operand Transform(Calc &calc, Args args)
{
    QString text;
    if (Value e = TextArg(calc, args[0], text); e.isError())
        return e;
    return Value::Text(F(text));
}

// Spaces only, inner runs to one.
QString TrimSpaces(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        if (c != u' ' || (!out.isEmpty() && !out.endsWith(u' ')))
            out += c;
    }
    if (out.endsWith(u' '))
        out.chop(1);
    return out;
}

QString Upper(const QString &text)
{
    return text.toUpper();
}

QString Lower(const QString &text)
{
    return text.toLower();
}

// A letter after a letter is lower case, any other letter upper case.
QString Proper(const QString &text)
{
    QString out = text;
    bool afterLetter = false;
    for (QChar &c : out) {
        c = afterLetter ? c.toLower() : c.toUpper();
        afterLetter = c.isLetter();
    }
    return out;
}

Operand Substitute(Calc &calc, Args args)
{
    QString text, from, to;
    if (Value e = TextArg(calc, args[0], text); e.isError())
        return e;
    if (Value e = TextArg(calc, args[1], from); e.isError())
        return e;
    if (Value e = TextArg(calc, args[2], to); e.isError())
        return e;
    qsizetype instance = 0;
    if (args.size() > 3) {
        if (Value e = CountArg(calc, args, 3, 1, 1, instance); e.isError())
            return e;
    }
    if (from.isEmpty())
        return Value::Text(text);
    if (instance == 0)
        return TextResult(text.replace(from, to));
    qsizetype at = -1;
    for (qsizetype n = 0; n < instance; ++n) {
        at = text.indexOf(from, at + (n == 0 ? 1 : from.size()));
        if (at < 0)
            return Value::Text(text);
    }
    return TextResult(text.replace(at, from.size(), to));
}

Operand Replace(Calc &calc, Args args)
{
    TextSpan span;
    QString with;
    if (Value e = TextSpanArgs(calc, args, span); e.isError())
        return e;
    if (Value e = TextArg(calc, args[3], with); e.isError())
        return e;
    const qsizetype start = std::min(span.start - 1, span.text.size());
    return TextResult(span.text.left(start) + with + span.text.mid(std::min(start + span.count, span.text.size())));
}

Operand Rept(Calc &calc, Args args)
{
    QString text;
    qsizetype count = 0;
    if (Value e = TextArg(calc, args[0], text); e.isError())
        return e;
    if (Value e = CountArg(calc, args, 1, 0, 0, count); e.isError())
        return e;
    if (text.size() * count > 32767)
        return Value::Error(ErrorValue::Value);
    return Value::Text(text.repeated(count));
}

// SEARCH's pattern: ? one character, * any run, ~ takes the next literally; case ignored.
QRegularExpression Wildcards(const QString &pattern)
{
    QString expression;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == u'~' && i + 1 < pattern.size())
            expression += QRegularExpression::escape(QString(pattern[++i]));
        else if (c == u'?')
            expression += u'.';
        else if (c == u'*')
            expression += QStringLiteral(".*?");
        else
            expression += QRegularExpression::escape(QString(c));
    }
    return QRegularExpression(expression, QRegularExpression::CaseInsensitiveOption |
                                              QRegularExpression::DotMatchesEverythingOption);
}

template <bool Search> Operand Find(Calc &calc, Args args)
{
    QString needle, haystack;
    qsizetype start = 1;
    if (Value e = TextArg(calc, args[0], needle); e.isError())
        return e;
    if (Value e = TextArg(calc, args[1], haystack); e.isError())
        return e;
    if (Value e = CountArg(calc, args, 2, 1, 1, start); e.isError())
        return e;
    if (start > haystack.size() + 1)
        return Value::Error(ErrorValue::Value);
    qsizetype at = -1;
    if (Search)
        at = haystack.indexOf(Wildcards(needle), start - 1);
    else
        at = haystack.indexOf(needle, start - 1);
    return at < 0 ? Value::Error(ErrorValue::Value) : Value::Number(double(at + 1));
}

// The texts of the arguments, cell by cell through references; false at the first error.
template <class Take> Value EachText(Calc &calc, Args args, Take take, bool throughAreas)
{
    std::optional<ErrorValue> error;
    for (int arg : args) {
        const Operand operand = calc.eval(arg);
        if (operand.isArea && throughAreas) {
            long long skipped = 0;
            calc.forEachCell(
                operand.area,
                [&](int, int, const Value &v) {
                    const Coerced<QString> t = ToText(v);
                    if (t.error)
                        error = t.error;
                    else
                        take(t.value, v.type == Value::Type::Blank);
                    return !error;
                },
                &skipped);
            for (long long n = 0; n < skipped && n <= 32767 && !error; ++n)
                take(QString(), true);
        } else {
            const Coerced<QString> t = ToText(calc.scalarOf(operand));
            if (t.error)
                error = t.error;
            else
                take(t.value, false);
        }
        if (error)
            return Value::Error(*error);
    }
    return Value::Blank();
}

template <bool ThroughAreas> Operand Concat(Calc &calc, Args args)
{
    QString out;
    if (Value e = EachText(
            calc, args, [&](const QString &t, bool) { out += t; }, ThroughAreas);
        e.isError())
        return e;
    return TextResult(out);
}

Operand TextJoin(Calc &calc, Args args)
{
    QString delimiter;
    if (Value e = TextArg(calc, args[0], delimiter); e.isError())
        return e;
    const Coerced<bool> ignoreEmpty = ToBoolean(calc.scalar(args[1]));
    if (ignoreEmpty.error)
        return Value::Error(*ignoreEmpty.error);
    QString out;
    bool first = true;
    bool tooLong = false;
    auto take = [&](const QString &t, bool) {
        if ((ignoreEmpty.value && t.isEmpty()) || tooLong)
            return;
        out += (first ? QString() : delimiter) + t;
        first = false;
        tooLong = out.size() > 32767;
    };
    if (Value e = EachText(calc, args.subspan(2), take, true); e.isError())
        return e;
    return TextResult(out);
}

constexpr std::array Functions = {
    FunctionInfo{u"TEXT", 2, 2, Text},
    FunctionInfo{u"VALUE", 1, 1, ValueOf},
    FunctionInfo{u"N", 1, 1, N},
    FunctionInfo{u"LEFT", 1, 2, Side<true>},
    FunctionInfo{u"RIGHT", 1, 2, Side<false>},
    FunctionInfo{u"MID", 3, 3, Mid},
    FunctionInfo{u"LEN", 1, 1, Len},
    FunctionInfo{u"TRIM", 1, 1, Transform<TrimSpaces>},
    FunctionInfo{u"UPPER", 1, 1, Transform<Upper>},
    FunctionInfo{u"LOWER", 1, 1, Transform<Lower>},
    FunctionInfo{u"PROPER", 1, 1, Transform<Proper>},
    FunctionInfo{u"SUBSTITUTE", 3, 4, Substitute},
    FunctionInfo{u"REPLACE", 4, 4, Replace},
    FunctionInfo{u"REPT", 2, 2, Rept},
    FunctionInfo{u"FIND", 2, 3, Find<false>},
    FunctionInfo{u"SEARCH", 2, 3, Find<true>},
    FunctionInfo{u"CONCATENATE", 1, 255, Concat<false>},
    FunctionInfo{u"CONCAT", 1, 254, Concat<true>},
    FunctionInfo{u"TEXTJOIN", 3, 252, TextJoin},
};

} // namespace

std::span<const FunctionInfo> TextFunctions()
{
    return Functions;
}

} // namespace formula
