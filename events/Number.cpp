#include "events/Number.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>

namespace {

bool IsSkipped(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

bool IsDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// Digits of base 16 or 8 up to the first other character, as an unsigned value; nullopt past a double's range.
std::optional<double> ParseRadixDigits(std::u16string_view s, size_t pos, int base)
{
    double value = 0;
    for (; pos < s.size(); ++pos) {
        const char16_t c = s[pos];
        int digit;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (base == 16 && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            break;
        if (digit >= base)
            break;
        value = value * base + digit;
    }
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

// "&H" and "&O" numbers; "&" followed by anything else is no number.
std::optional<double> ParseRadixPrefix(std::u16string_view s)
{
    if (s[1] == u'H' || s[1] == u'h')
        return ParseRadixDigits(s, 2, 16);
    if (s[1] == u'O' || s[1] == u'o')
        return ParseRadixDigits(s, 2, 8);
    return 0.0;
}

// The usual number is a few digits without fraction or exponent: exact in a double, no from_chars needed.
// nullopt when the text is not of that form.
std::optional<double> ParseShortWholeNumber(std::u16string_view s)
{
    double whole = 0;
    size_t end = 0;
    for (; end < s.size() && end < 15 && IsDigit(s[end]); ++end)
        whole = whole * 10 + (s[end] - u'0');
    const bool numberGoesOn = end < s.size() && (IsDigit(s[end]) || s[end] == u'.' || s[end] == u'E' || s[end] == u'e');
    if (end == 0 || numberGoesOn)
        return std::nullopt;
    return whole;
}

// The matched number in plain ASCII, for from_chars; the magnitude estimate tells overflow from underflow.
struct DecimalText {
    std::string ascii;
    long long magnitude = 0; // decimal position of the leading non-zero digit, 1 for units
    bool seenNonZero = false;
    bool seenDigit = false;
};

// Digits with at most one "."; returns the position after them.
size_t ReadMantissa(std::u16string_view s, size_t pos, DecimalText &decimal)
{
    bool seenPoint = false;
    for (; pos < s.size(); ++pos) {
        const char16_t c = s[pos];
        if (IsDigit(c)) {
            decimal.seenDigit = true;
            if (c != u'0')
                decimal.seenNonZero = true;
            if (!seenPoint && decimal.seenNonZero)
                ++decimal.magnitude;
            else if (seenPoint && !decimal.seenNonZero)
                --decimal.magnitude;
            decimal.ascii.push_back(static_cast<char>(c));
        } else if (c == u'.' && !seenPoint) {
            seenPoint = true;
            decimal.ascii.push_back('.');
        } else {
            break;
        }
    }
    return pos;
}

// "E" or "e", an optional sign and at least one digit; anything less is not part of the number.
void ReadExponent(std::u16string_view s, size_t pos, DecimalText &decimal)
{
    if (pos >= s.size() || (s[pos] != u'E' && s[pos] != u'e'))
        return;
    size_t expPos = pos + 1;
    bool expNegative = false;
    if (expPos < s.size() && (s[expPos] == u'+' || s[expPos] == u'-')) {
        expNegative = s[expPos] == u'-';
        ++expPos;
    }
    if (expPos >= s.size() || !IsDigit(s[expPos]))
        return;
    decimal.ascii.push_back('e');
    if (expNegative)
        decimal.ascii.push_back('-');
    long long exponent = 0;
    for (; expPos < s.size() && IsDigit(s[expPos]); ++expPos) {
        decimal.ascii.push_back(static_cast<char>(s[expPos]));
        if (exponent < 1000000000)
            exponent = exponent * 10 + (s[expPos] - u'0');
    }
    decimal.magnitude += expNegative ? -exponent : exponent;
}

// nullopt when the number is too large for a double; one too small is 0.
std::optional<double> ConvertDecimal(const DecimalText &decimal)
{
    double value = 0;
    const auto result = std::from_chars(decimal.ascii.data(), decimal.ascii.data() + decimal.ascii.size(), value);
    if (result.ec == std::errc::result_out_of_range)
        return decimal.seenNonZero && decimal.magnitude > 0 ? std::nullopt : std::optional<double>(0.0);
    if (result.ec != std::errc())
        return 0.0;
    return value;
}

char AsciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// printf("%.15G") of value in buffer, as Latin-1 text.
std::string_view FormatG15(double value, std::array<char, 64> &buffer)
{
    char *const first = buffer.data();
    std::to_chars_result result;
    // A whole number below 1e15 prints all its digits and nothing else; the integer conversion is faster.
    // Zero is left to the general path, which keeps the sign of -0.
    if (value != 0 && std::trunc(value) == value && std::fabs(value) < 1e15)
        result = std::to_chars(first, first + buffer.size(), static_cast<long long>(value));
    else
        result = std::to_chars(first, first + buffer.size(), value, std::chars_format::general, 15);
    std::transform(first, result.ptr, first, AsciiUpper); // e, inf and nan as printf's G prints them
    return {first, static_cast<size_t>(result.ptr - first)};
}

} // namespace

std::optional<double> ParseNumberPrefix(const QString &text)
{
    return ParseNumberPrefix(QStringView(text));
}

std::optional<double> ParseNumberPrefix(QStringView text)
{
    std::u16string_view s(text.utf16(), static_cast<size_t>(text.size()));
    // Skipped characters are rare, so the text is copied without them only when it holds any.
    std::u16string kept;
    if (std::any_of(s.begin(), s.end(), IsSkipped)) {
        kept.reserve(s.size());
        std::copy_if(s.begin(), s.end(), std::back_inserter(kept), [](char16_t c) { return !IsSkipped(c); });
        s = kept;
    }
    if (s.size() >= 2 && s[0] == u'&')
        return ParseRadixPrefix(s);

    size_t pos = 0;
    bool negative = false;
    if (pos < s.size() && (s[pos] == u'+' || s[pos] == u'-')) {
        negative = s[pos] == u'-';
        ++pos;
    }
    if (const std::optional<double> whole = ParseShortWholeNumber(s.substr(pos)))
        return negative ? -*whole : *whole;

    DecimalText decimal;
    pos = ReadMantissa(s, pos, decimal);
    if (!decimal.seenDigit)
        return 0.0;
    ReadExponent(s, pos, decimal);
    const std::optional<double> value = ConvertDecimal(decimal);
    if (!value)
        return std::nullopt;
    return negative ? -*value : *value;
}

std::optional<int16_t> ToInteger16(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double below = std::floor(value);
    const double fraction = value - below;
    double rounded = below;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0.0))
        rounded = below + 1;
    if (rounded < -32768.0 || rounded > 32767.0)
        return std::nullopt;
    return static_cast<int16_t>(rounded);
}

std::optional<int16_t> ParseInteger16(const QString &text)
{
    return ParseInteger16(QStringView(text));
}

std::optional<int16_t> ParseInteger16(QStringView text)
{
    const std::optional<double> value = ParseNumberPrefix(text);
    if (!value)
        return std::nullopt;
    return ToInteger16(*value);
}

QStringView TrimmedView(QStringView text, QStringView blanks)
{
    // By hand: QStringView::contains runs a general search for every character looked at.
    const auto isBlank = [blanks](QChar c) {
        for (const QChar blank : blanks) {
            if (c == blank)
                return true;
        }
        return false;
    };
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

QString Trimmed(const QString &text)
{
    const QStringView kept = TrimmedView(text);
    return kept.size() == text.size() ? text : kept.toString();
}

QString Trimmed(QString &&text)
{
    const QStringView kept = TrimmedView(text);
    return kept.size() == text.size() ? std::move(text) : kept.toString();
}

QString FormatNumberG15(double value)
{
    std::array<char, 64> buffer;
    return QString::fromLatin1(FormatG15(value, buffer));
}

QString FormatNumber(double value)
{
    if (value == 0)
        return QStringLiteral("0");
    std::array<char, 64> buffer;
    QString text = QString::fromLatin1(FormatG15(value, buffer));
    if (text.startsWith(QLatin1String("0.")))
        text.remove(0, 1);
    else if (text.startsWith(QLatin1String("-0.")))
        text.remove(1, 1);
    return text;
}

char *WriteInteger(char *out, long long value, int width)
{
    char digits[24];
    char *const end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    for (auto length = end - digits; length < width; ++length)
        *out++ = '0';
    return std::copy(digits, end, out);
}

QString FormatInteger(long long value, int width)
{
    char buffer[48];
    return QString::fromLatin1(buffer, WriteInteger(buffer, value, width) - buffer);
}
