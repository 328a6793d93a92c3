#include "events/Number.h"

#include <charconv>
#include <cmath>
#include <string>

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
std::optional<double> ParseRadixDigits(const std::u16string &s, size_t pos, int base)
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

} // namespace

std::optional<double> ParseNumberPrefix(const QString &text)
{
    std::u16string s;
    s.reserve(static_cast<size_t>(text.size()));
    for (const QChar ch : text) {
        if (!IsSkipped(ch.unicode()))
            s.push_back(ch.unicode());
    }

    if (s.size() >= 2 && s[0] == u'&') {
        if (s[1] == u'H' || s[1] == u'h')
            return ParseRadixDigits(s, 2, 16);
        if (s[1] == u'O' || s[1] == u'o')
            return ParseRadixDigits(s, 2, 8);
        return 0.0;
    }

    size_t pos = 0;
    bool negative = false;
    if (pos < s.size() && (s[pos] == u'+' || s[pos] == u'-')) {
        negative = s[pos] == u'-';
        ++pos;
    }
    // The matched number in plain ASCII, for from_chars; the magnitude estimate tells overflow from underflow.
    std::string ascii;
    long long magnitude = 0; // decimal position of the leading non-zero digit, 1 for units
    bool seenNonZero = false;
    bool seenPoint = false;
    bool seenDigit = false;
    for (; pos < s.size(); ++pos) {
        const char16_t c = s[pos];
        if (IsDigit(c)) {
            seenDigit = true;
            if (c != u'0')
                seenNonZero = true;
            if (!seenPoint && seenNonZero)
                ++magnitude;
            else if (seenPoint && !seenNonZero)
                --magnitude;
            ascii.push_back(static_cast<char>(c));
        } else if (c == u'.' && !seenPoint) {
            seenPoint = true;
            ascii.push_back('.');
        } else {
            break;
        }
    }
    if (!seenDigit)
        return 0.0;

    if (pos < s.size() && (s[pos] == u'E' || s[pos] == u'e')) {
        size_t expPos = pos + 1;
        bool expNegative = false;
        if (expPos < s.size() && (s[expPos] == u'+' || s[expPos] == u'-')) {
            expNegative = s[expPos] == u'-';
            ++expPos;
        }
        if (expPos < s.size() && IsDigit(s[expPos])) {
            ascii.push_back('e');
            if (expNegative)
                ascii.push_back('-');
            long long exponent = 0;
            for (; expPos < s.size() && IsDigit(s[expPos]); ++expPos) {
                ascii.push_back(static_cast<char>(s[expPos]));
                if (exponent < 1000000000)
                    exponent = exponent * 10 + (s[expPos] - u'0');
            }
            magnitude += expNegative ? -exponent : exponent;
        }
    }

    double value = 0;
    const auto result = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        if (seenNonZero && magnitude > 0)
            return std::nullopt;
        value = 0;
    } else if (result.ec != std::errc()) {
        return 0.0;
    }
    return negative ? -value : value;
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
    const std::optional<double> value = ParseNumberPrefix(text);
    if (!value)
        return std::nullopt;
    return ToInteger16(*value);
}

QString Trimmed(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == u' ')
        ++first;
    while (last > first && text.at(last - 1) == u' ')
        --last;
    return text.mid(first, last - first);
}

QString FormatNumberG15(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    QString text = QString::fromLatin1(buffer, result.ptr - buffer);
    return text.toUpper();
}

QString FormatNumber(double value)
{
    if (value == 0)
        return QStringLiteral("0");
    QString text = FormatNumberG15(value);
    if (text.startsWith(QLatin1String("0.")))
        text.remove(0, 1);
    else if (text.startsWith(QLatin1String("-0.")))
        text.remove(1, 1);
    return text;
}

QString FormatInteger(long long value)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}
