#include "xlsx/XlsxCellValue.h"

#include "xlsx/SharedStrings.h"
#include "xlsx/XlsxXml.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <iterator>
#include <utility>

namespace {

bool IsXmlSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Whitespace as XML defines it; the number forms of the cell types allow it around the value. Inline, as each
// cell is trimmed up to three times.
inline std::string_view TrimmedXmlSpace(std::string_view text)
{
    while (!text.empty() && IsXmlSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsXmlSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Reads exactly count digits at pos.
bool TakeDigits(std::string_view text, size_t &pos, size_t count, int &value)
{
    if (pos + count > text.size())
        return false;
    value = 0;
    for (size_t i = 0; i < count; ++i) {
        const char c = text[pos + i];
        if (!IsDigit(c))
            return false;
        value = value * 10 + (c - '0');
    }
    pos += count;
    return true;
}

bool TakeChar(std::string_view text, size_t &pos, char c)
{
    if (pos < text.size() && text[pos] == c) {
        ++pos;
        return true;
    }
    return false;
}

// A proleptic Gregorian date (year 0 included, which QDate lacks).
std::chrono::year_month_day CivilDate(int year, int month, int day)
{
    return std::chrono::year(year) / std::chrono::month(unsigned(month)) / std::chrono::day(unsigned(day));
}

// hh:mm:ss[.f] as a fraction of a day.
bool TakeTime(std::string_view text, size_t &pos, double &day)
{
    int hour = 0, minute = 0, second = 0;
    if (!TakeDigits(text, pos, 2, hour) || !TakeChar(text, pos, ':') || !TakeDigits(text, pos, 2, minute) ||
        !TakeChar(text, pos, ':') || !TakeDigits(text, pos, 2, second))
        return false;
    double fraction = 0;
    if (TakeChar(text, pos, '.')) {
        const size_t start = pos - 1;
        while (pos < text.size() && IsDigit(text[pos]))
            ++pos;
        if (pos == start + 1)
            return false;
        std::from_chars(text.data() + start, text.data() + pos, fraction);
    }
    if (minute > 59 || second > 59 || hour > 24 || (hour == 24 && (minute || second || fraction > 0)))
        return false;
    day = (hour * 3600.0 + minute * 60.0 + second + fraction) / 86400.0;
    return true;
}

// Z, +hh, +hh:mm or +hhmm (either sign); the wall-clock time is kept as written.
bool TakeZone(std::string_view text, size_t &pos)
{
    if (TakeChar(text, pos, 'Z'))
        return true;
    if (!TakeChar(text, pos, '+') && !TakeChar(text, pos, '-'))
        return true;
    int hour = 0, minute = 0;
    if (!TakeDigits(text, pos, 2, hour))
        return false;
    if (pos < text.size()) {
        TakeChar(text, pos, ':');
        if (!TakeDigits(text, pos, 2, minute))
            return false;
    }
    return hour <= 14 && minute <= 59;
}

std::optional<double> ParseDuration(std::string_view text)
{
    double sign = 1;
    if (!text.empty() && text.front() == '-') {
        sign = -1;
        text.remove_prefix(1);
    }
    if (text.empty() || text.front() != 'P')
        return std::nullopt;
    text.remove_prefix(1);
    // Designators in the only order allowed; months and years have no fixed length in days.
    static constexpr struct {
        char designator;
        bool timePart;
        double days;
    } Units[] = {{'D', false, 1}, {'H', true, 1.0 / 24}, {'M', true, 1.0 / 1440}, {'S', true, 1.0 / 86400}};
    double total = 0;
    bool inTime = false;
    bool anyUnit = false;
    bool anyTimeUnit = false;
    size_t unit = 0;
    while (!text.empty()) {
        if (text.front() == 'T') {
            if (inTime)
                return std::nullopt;
            inTime = true;
            text.remove_prefix(1);
            continue;
        }
        size_t end = 0;
        while (end < text.size() && (IsDigit(text[end]) || text[end] == '.'))
            ++end;
        if (end == 0 || end == text.size())
            return std::nullopt;
        double number = 0;
        const auto [ptr, ec] = std::from_chars(text.data(), text.data() + end, number);
        if (ec != std::errc() || ptr != text.data() + end)
            return std::nullopt;
        const char designator = text[end];
        while (unit < std::size(Units) && (Units[unit].designator != designator || Units[unit].timePart != inTime))
            ++unit;
        if (unit == std::size(Units))
            return std::nullopt;
        total += number * Units[unit].days;
        ++unit;
        anyUnit = true;
        anyTimeUnit = anyTimeUnit || inTime;
        text.remove_prefix(end + 1);
    }
    if (!anyUnit || (inTime && !anyTimeUnit))
        return std::nullopt;
    return sign * total;
}

} // namespace

std::optional<double> ParseXsdDouble(std::string_view text)
{
    text = TrimmedXmlSpace(text);
    // from_chars takes no "+" but would take "inf" and "nan": after the sign only digits or "." may follow.
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || !(IsDigit(text.front()) || text.front() == '.'))
        return std::nullopt;
    double value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
}

std::optional<std::int64_t> SharedStringIndex(std::string_view text)
{
    text = TrimmedXmlSpace(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    std::int64_t index = -1;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), index);
    if (ec != std::errc() || ptr != text.data() + text.size() || index < 0)
        return std::nullopt;
    return index;
}

std::optional<double> ParseIsoDateValue(std::string_view text)
{
    text = TrimmedXmlSpace(text);
    if (text.find('P') != std::string_view::npos)
        return ParseDuration(text);
    size_t pos = 0;
    double serial = 0;
    if (text.size() >= 3 && text[2] == ':') {
        if (!TakeTime(text, pos, serial))
            return std::nullopt;
    } else {
        int year = 0, month = 0, day = 0;
        if (!TakeDigits(text, pos, 4, year) || !TakeChar(text, pos, '-') || !TakeDigits(text, pos, 2, month) ||
            !TakeChar(text, pos, '-') || !TakeDigits(text, pos, 2, day) || !CivilDate(year, month, day).ok())
            return std::nullopt;
        constexpr std::chrono::sys_days SerialEpoch = std::chrono::year(1899) / 12 / 30;
        serial = double((std::chrono::sys_days(CivilDate(year, month, day)) - SerialEpoch).count());
        if (TakeChar(text, pos, 'T')) {
            double time = 0;
            if (!TakeTime(text, pos, time))
                return std::nullopt;
            serial += time;
        }
    }
    if (!TakeZone(text, pos) || pos != text.size())
        return std::nullopt;
    return serial;
}

CellValue ResolveCell(const RawCell &raw, const SharedStrings &sharedStrings)
{
    CellValue cell;
    const std::string_view type = raw.type;
    const std::string_view value = TrimmedXmlSpace(raw.value);
    const auto number = [&](std::optional<double> parsed) {
        if (parsed) {
            cell.type = CellValue::Type::Number;
            cell.number = *parsed;
        } else {
            cell.type = CellValue::Type::Error;
        }
    };
    const auto text = [&](std::string_view utf8) {
        cell.type = CellValue::Type::Text;
        cell.text = DecodeXlsxEscapes(utf8);
    };

    if (type == "e") {
        cell.type = CellValue::Type::Error;
        cell.text = QString::fromUtf8(raw.value.data(), qsizetype(raw.value.size()));
    } else if (type == "inlineStr") {
        if (raw.hasInline)
            text(raw.inlineText);
        else if (raw.hasValue)
            text(raw.value);
    } else if (type == "str") {
        if (raw.hasValue)
            text(raw.value);
    } else if (value.empty()) {
        // A missing or blank v is an empty cell for the remaining types, unknown ones aside.
        if (!(type.empty() || type == "n" || type == "s" || type == "b" || type == "d"))
            cell.type = CellValue::Type::Error;
    } else if (type.empty() || type == "n") {
        number(ParseXsdDouble(value));
    } else if (type == "d") {
        number(ParseIsoDateValue(value));
    } else if (type == "b") {
        if (value == "0" || value == "1") {
            cell.type = CellValue::Type::Boolean;
            cell.boolean = value == "1";
        } else {
            cell.type = CellValue::Type::Error;
        }
    } else if (type == "s") {
        const std::optional<std::int64_t> index = SharedStringIndex(value);
        std::optional<QString> shared = index ? sharedStrings.text(*index) : std::nullopt;
        if (shared) {
            cell.type = CellValue::Type::Text;
            cell.text = std::move(*shared);
        } else {
            cell.type = CellValue::Type::Error;
        }
    } else {
        cell.type = CellValue::Type::Error;
    }
    return cell;
}
