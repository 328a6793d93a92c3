// A text read as the spreadsheet program reads a typed entry (its default, English, conventions).
#include "events/DateValue.h"
#include "xlsx/formula/Coerce.h"

#include <QDate>
#include <charconv>
#include <string>

namespace formula {

namespace {

bool IsDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Digits, "," between groups of three, ".", an exponent, a trailing "%"; a sign or parentheses around it.
std::optional<double> PlainNumber(QStringView t)
{
    bool negative = false;
    if (t.size() >= 2 && t.front() == u'(' && t.back() == u')') {
        negative = true;
        t = t.mid(1, t.size() - 2);
    } else if (!t.isEmpty() && (t.front() == u'-' || t.front() == u'+')) {
        negative = t.front() == u'-';
        t = t.mid(1);
    }
    if (!t.isEmpty() && t.front() == u'$')
        t = t.mid(1);
    bool percent = false;
    if (!t.isEmpty() && t.back() == u'%') {
        percent = true;
        t.chop(1);
    }
    std::string ascii;
    qsizetype i = 0;
    int groupDigits = -1; // digits since the last ",", -1 before any
    bool digits = false;
    for (; i < t.size() && (IsDigit(t[i]) || t[i] == u','); ++i) {
        if (t[i] == u',') {
            if (!digits || (groupDigits >= 0 && groupDigits != 3))
                return std::nullopt;
            groupDigits = 0;
            continue;
        }
        digits = true;
        ascii += char(t[i].unicode());
        if (groupDigits >= 0)
            ++groupDigits;
    }
    if (groupDigits >= 0 && groupDigits != 3)
        return std::nullopt;
    if (i < t.size() && t[i] == u'.') {
        ascii += '.';
        for (++i; i < t.size() && IsDigit(t[i]); ++i) {
            ascii += char(t[i].unicode());
            digits = true;
        }
    }
    if (!digits)
        return std::nullopt;
    if (i < t.size() && (t[i] == u'e' || t[i] == u'E')) {
        ascii += 'e';
        ++i;
        if (i < t.size() && (t[i] == u'+' || t[i] == u'-'))
            ascii += char(t[i++].unicode());
        if (i >= t.size() || !IsDigit(t[i]))
            return std::nullopt;
        for (; i < t.size() && IsDigit(t[i]); ++i)
            ascii += char(t[i].unicode());
    }
    if (i != t.size())
        return std::nullopt;
    double value = 0;
    const auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (ec != std::errc() || end != ascii.data() + ascii.size())
        return std::nullopt;
    value = percent ? value / 100 : value;
    return negative ? -value : value;
}

// Whole digits, at most 9 of them; the position moves past them.
std::optional<int> Digits(QStringView t, qsizetype &i)
{
    const qsizetype start = i;
    int value = 0;
    while (i < t.size() && IsDigit(t[i]) && i - start < 9)
        value = value * 10 + (t[i++].unicode() - '0');
    return i > start ? std::optional(value) : std::nullopt;
}

// h:mm, h:mm:ss, h:mm:ss.f or m:ss.f as a fraction of a day (past 1 for 24 hours and more).
std::optional<double> TimeOfDay(QStringView t, int ampm)
{
    qsizetype i = 0;
    int fields[3] = {0, 0, 0};
    int count = 0;
    for (; count < 3; ++count) {
        const auto field = Digits(t, i);
        if (!field)
            return std::nullopt;
        fields[count] = *field;
        if (i >= t.size() || t[i] != u':')
            break;
        ++i;
    }
    double fraction = 0;
    if (i < t.size() && t[i] == u'.') {
        const qsizetype start = ++i;
        double scale = 0.1;
        for (; i < t.size() && IsDigit(t[i]); ++i, scale /= 10)
            fraction += (t[i].unicode() - '0') * scale;
        if (i == start && count == 0)
            return std::nullopt;
    }
    if (count == 3 || i != t.size() || (count == 0 && ampm == 0))
        return std::nullopt;
    int hours = fields[0], minutes = fields[1], seconds = fields[2];
    if (count == 1 && fraction > 0) // m:ss.f
        hours = 0, minutes = fields[0], seconds = fields[1];
    if (minutes > 59 || seconds > 59 || (count == 0 && fraction > 0))
        return std::nullopt;
    if (ampm != 0) {
        if (hours > 12)
            return std::nullopt;
        hours = hours % 12 + (ampm == 2 ? 12 : 0);
    }
    return (hours * 3600.0 + minutes * 60.0 + seconds + fraction) / 86400.0;
}

// yyyy-mm-dd, yyyy/mm/dd or m/d/yyyy (m/d/yy: 00-29 this century, 30-99 the last).
std::optional<double> Day(QStringView t)
{
    const QChar separator = t.contains(u'-') ? u'-' : u'/';
    const auto parts = t.split(separator);
    if (parts.size() != 3)
        return std::nullopt;
    int numbers[3];
    for (int k = 0; k < 3; ++k) {
        qsizetype i = 0;
        const auto n = Digits(parts[k], i);
        if (!n || i != parts[k].size())
            return std::nullopt;
        numbers[k] = *n;
    }
    int year, month, day;
    if (parts[0].size() == 4) {
        year = numbers[0], month = numbers[1], day = numbers[2];
    } else {
        if (separator != u'/' || (parts[2].size() != 4 && parts[2].size() != 2))
            return std::nullopt;
        month = numbers[0], day = numbers[1], year = numbers[2];
        if (parts[2].size() == 2)
            year += year < 30 ? 2000 : 1900;
    }
    if (year < 1900 || year > 9999)
        return std::nullopt;
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    return DateToSerial(date);
}

int AmPm(QStringView word)
{
    if (word.compare(u"AM", Qt::CaseInsensitive) == 0 || word.compare(u"A", Qt::CaseInsensitive) == 0)
        return 1;
    if (word.compare(u"PM", Qt::CaseInsensitive) == 0 || word.compare(u"P", Qt::CaseInsensitive) == 0)
        return 2;
    return 0;
}

std::optional<double> DateTime(QStringView t)
{
    auto words = t.split(u' ', Qt::SkipEmptyParts);
    int ampm = 0;
    if (words.size() >= 2 && (ampm = AmPm(words.back())) != 0)
        words.removeLast();
    if (words.size() == 1) {
        if (const auto time = TimeOfDay(words[0], ampm))
            return time;
        return ampm == 0 ? Day(words[0]) : std::nullopt;
    }
    if (words.size() == 2) {
        const auto day = Day(words[0]);
        const auto time = TimeOfDay(words[1], ampm);
        if (day && time)
            return *day + *time;
    }
    return std::nullopt;
}

} // namespace

std::optional<double> TextToNumber(QStringView text)
{
    const QStringView t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    if (const auto number = PlainNumber(t))
        return number;
    return DateTime(t);
}

} // namespace formula

std::optional<double> formula::TextToDateTime(QStringView text)
{
    return DateTime(text.trimmed());
}
