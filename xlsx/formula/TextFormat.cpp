#include "xlsx/formula/TextFormat.h"

#include "events/DateValue.h"
#include "xlsx/formula/Coerce.h"
#include "xlsx/formula/Rounding.h"

#include <QDate>
#include <charconv>
#include <cmath>
#include <vector>

namespace formula {

namespace {

struct Token {
    enum class Kind { Literal, Time, Digit, Point, Comma, Percent, At, General };
    Kind kind;
    QString text; // Literal: the text; Time: the code in lower case ("hh", "[m]", "am/pm")
};

bool StartsWithCi(QStringView s, QStringView prefix)
{
    return s.startsWith(prefix, Qt::CaseInsensitive);
}

// nullopt when the section holds a code outside the subset.
std::optional<std::vector<Token>> Tokens(QStringView f)
{
    std::vector<Token> tokens;
    for (qsizetype i = 0; i < f.size();) {
        const QChar c = f[i];
        const QChar lower = c.toLower();
        if (c == u'"') {
            const qsizetype end = f.indexOf(u'"', i + 1);
            if (end < 0)
                return std::nullopt;
            tokens.push_back({Token::Kind::Literal, f.mid(i + 1, end - i - 1).toString()});
            i = end + 1;
        } else if (c == u'\\' && i + 1 < f.size()) {
            tokens.push_back({Token::Kind::Literal, QString(f[i + 1])});
            i += 2;
        } else if (StartsWithCi(f.mid(i), u"AM/PM") || StartsWithCi(f.mid(i), u"A/P")) {
            const qsizetype length = StartsWithCi(f.mid(i), u"AM/PM") ? 5 : 3;
            tokens.push_back({Token::Kind::Time, f.mid(i, length).toString().toLower()});
            i += length;
        } else if (StartsWithCi(f.mid(i), u"General")) {
            tokens.push_back({Token::Kind::General, {}});
            i += 7;
        } else if (c == u'[') {
            const qsizetype end = f.indexOf(u']', i);
            const QString code = end < 0 ? QString() : f.mid(i, end - i + 1).toString().toLower();
            static const QStringList Elapsed = {QStringLiteral("[h]"),  QStringLiteral("[hh]"), QStringLiteral("[m]"),
                                                QStringLiteral("[mm]"), QStringLiteral("[s]"),  QStringLiteral("[ss]")};
            if (!Elapsed.contains(code))
                return std::nullopt;
            tokens.push_back({Token::Kind::Time, code});
            i = end + 1;
        } else if (lower == u'h' || lower == u'm' || lower == u's' || lower == u'd' || lower == u'y') {
            qsizetype end = i;
            while (end < f.size() && f[end].toLower() == lower)
                ++end;
            tokens.push_back({Token::Kind::Time, f.mid(i, end - i).toString().toLower()});
            i = end;
        } else if (c == u'0' || c == u'#') {
            tokens.push_back({Token::Kind::Digit, QString(c)});
            ++i;
        } else if (c == u'.' || c == u',' || c == u'%' || c == u'@') {
            tokens.push_back({c == u'.'   ? Token::Kind::Point
                              : c == u',' ? Token::Kind::Comma
                              : c == u'%' ? Token::Kind::Percent
                                          : Token::Kind::At,
                              QString(c)});
            ++i;
        } else if (QStringView(u" :-/()$+").contains(c)) {
            tokens.push_back({Token::Kind::Literal, QString(c)});
            ++i;
        } else {
            return std::nullopt;
        }
    }
    return tokens;
}

bool Has(const std::vector<Token> &tokens, Token::Kind kind)
{
    for (const Token &t : tokens) {
        if (t.kind == kind)
            return true;
    }
    return false;
}

QString Padded(long long n, qsizetype width)
{
    return QString::number(n).rightJustified(width, u'0');
}

// Whether the m or mm at index is minutes: after an hour or before a second.
bool IsMinute(const std::vector<Token> &tokens, size_t index)
{
    for (size_t j = index; j-- > 0;) {
        if (tokens[j].kind == Token::Kind::Time)
            return tokens[j].text.startsWith(u'h') || tokens[j].text.startsWith(u"[h");
    }
    for (size_t j = index + 1; j < tokens.size(); ++j) {
        if (tokens[j].kind == Token::Kind::Time)
            return tokens[j].text.startsWith(u's') || tokens[j].text.startsWith(u"[s");
    }
    return false;
}

std::optional<Value> DateTime(double value, const std::vector<Token> &tokens)
{
    if (value < 0)
        return Value::Error(ErrorValue::Value);
    const long long total = std::llround(value * 86400);
    const long long ofDay = total % 86400;
    const QDate date = SerialToDate(double(total / 86400));
    bool twelve = false;
    for (const Token &t : tokens)
        twelve = twelve || (t.kind == Token::Kind::Time && t.text.contains(u'/'));
    static const char *const Months[] = {"January", "February", "March",     "April",   "May",      "June",
                                         "July",    "August",   "September", "October", "November", "December"};
    static const char *const Days[] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
    QString out;
    for (size_t i = 0; i < tokens.size(); ++i) {
        const Token &t = tokens[i];
        if (t.kind == Token::Kind::Literal || t.kind == Token::Kind::Comma || t.kind == Token::Kind::Point) {
            out += t.text;
            continue;
        }
        if (t.kind != Token::Kind::Time)
            return std::nullopt;
        const QString &c = t.text;
        const long long hour = ofDay / 3600;
        if (c == u"h" || c == u"hh")
            out += Padded(twelve ? (hour % 12 == 0 ? 12 : hour % 12) : hour, c.size());
        else if ((c == u"m" || c == u"mm") && IsMinute(tokens, i))
            out += Padded(ofDay / 60 % 60, c.size());
        else if (c == u"m" || c == u"mm")
            out += Padded(date.month(), c.size());
        else if (c == u"mmm" || c == u"mmmm")
            out += QString::fromLatin1(Months[date.month() - 1]).left(c.size() == 3 ? 3 : 9);
        else if (c == u"s" || c == u"ss")
            out += Padded(ofDay % 60, c.size());
        else if (c == u"d" || c == u"dd")
            out += Padded(date.day(), c.size());
        else if (c == u"ddd" || c == u"dddd")
            out += QString::fromLatin1(Days[date.dayOfWeek() - 1]).left(c.size() == 3 ? 3 : 9);
        else if (c == u"yy")
            out += Padded(date.year() % 100, 2);
        else if (c == u"yyyy")
            out += Padded(date.year(), 4);
        else if (c == u"[h]" || c == u"[hh]")
            out += Padded(total / 3600, c.size() - 2);
        else if (c == u"[m]" || c == u"[mm]")
            out += Padded(total / 60, c.size() - 2);
        else if (c == u"[s]" || c == u"[ss]")
            out += Padded(total, c.size() - 2);
        else if (c == u"am/pm")
            out += hour < 12 ? QStringLiteral("AM") : QStringLiteral("PM");
        else if (c == u"a/p")
            out += hour < 12 ? QStringLiteral("A") : QStringLiteral("P");
        else
            return std::nullopt;
    }
    return Value::Text(out);
}

QString Grouped(const QString &digits)
{
    QString out;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += u',';
        out += digits[i];
    }
    return out;
}

// Literals before and after one run of digit placeholders.
std::optional<Value> Number(double value, const std::vector<Token> &tokens, bool sign)
{
    QString before, after;
    int integerZeros = 0, decimals = 0, decimalZeros = 0, percents = 0;
    bool point = false, comma = false, digitsSeen = false, digitsDone = false;
    for (const Token &t : tokens) {
        switch (t.kind) {
        case Token::Kind::Digit:
            if (digitsDone)
                return std::nullopt;
            digitsSeen = true;
            if (point) {
                ++decimals;
                decimalZeros = t.text == u"0" ? decimals : decimalZeros;
            } else {
                integerZeros += t.text == u"0";
            }
            break;
        case Token::Kind::Point:
            if (point || digitsDone)
                return std::nullopt;
            point = digitsSeen = true;
            break;
        case Token::Kind::Comma:
            comma = comma || (digitsSeen && !digitsDone);
            break;
        case Token::Kind::Percent:
            ++percents;
            (digitsSeen ? after : before) += u'%';
            digitsDone = digitsDone || digitsSeen;
            break;
        case Token::Kind::Literal:
            digitsDone = digitsDone || digitsSeen;
            (digitsSeen ? after : before) += t.text;
            break;
        default:
            return std::nullopt;
        }
    }
    for (int p = 0; p < percents; ++p)
        value *= 100;
    const double rounded = RoundDecimal(std::fabs(value), decimals, RoundMode::HalfAway);
    char text[400];
    const auto end = std::to_chars(text, text + sizeof text, rounded, std::chars_format::fixed, decimals).ptr;
    const QString fixed = QString::fromLatin1(text, end - text);
    const qsizetype dot = fixed.indexOf(u'.');
    QString integer = dot < 0 ? fixed : fixed.left(dot);
    QString fraction = dot < 0 ? QString() : fixed.mid(dot + 1);
    if (integer == u"0")
        integer.clear();
    integer = integer.rightJustified(integerZeros, u'0');
    while (fraction.size() > decimalZeros && fraction.endsWith(u'0'))
        fraction.chop(1);
    QString number = (comma ? Grouped(integer) : integer) + (point ? QStringLiteral(".") : QString()) + fraction;
    const bool negative = sign && value < 0;
    return Value::Text((negative ? QStringLiteral("-") : QString()) + before + number + after);
}

std::optional<Value> Section(double value, QStringView format, bool sign)
{
    const auto tokens = Tokens(format);
    if (!tokens)
        return std::nullopt;
    if (Has(*tokens, Token::Kind::General)) {
        if (tokens->size() != 1)
            return std::nullopt;
        return Value::Text(NumberToText(sign ? value : std::fabs(value)));
    }
    if (Has(*tokens, Token::Kind::Time))
        return DateTime(value, *tokens);
    if (Has(*tokens, Token::Kind::At)) {
        QString out;
        for (const Token &t : *tokens)
            out += t.kind == Token::Kind::At ? NumberToText(value) : t.text;
        return Value::Text(out);
    }
    return Number(value, *tokens, sign);
}

} // namespace

std::optional<Value> FormatValue(double value, QStringView format)
{
    const auto sections = format.split(u';');
    if (sections.size() > 3)
        return std::nullopt;
    if (value < 0 && sections.size() >= 2)
        return Section(-value, sections[1], false);
    if (value == 0 && sections.size() == 3)
        return Section(value, sections[2], false);
    return Section(value, sections[0], true);
}

std::optional<Value> FormatText(const QString &text, QStringView format)
{
    const auto sections = format.split(u';');
    const QStringView section = sections.size() == 4 ? sections[3] : sections[0];
    if (!section.contains(u'@'))
        return Value::Text(text);
    const auto tokens = Tokens(section);
    if (!tokens)
        return std::nullopt;
    QString out;
    for (const Token &t : *tokens) {
        if (t.kind != Token::Kind::At && t.kind != Token::Kind::Literal)
            return std::nullopt;
        out += t.kind == Token::Kind::At ? text : t.text;
    }
    return Value::Text(out);
}

} // namespace formula
