// Timecode, number-prefix and number-format conversions: no crash on any text, and the round trips hold.
#include "events/Number.h"
#include "events/Timecode.h"
#include "fuzz/FuzzSupport.h"

#include <cmath>
#include <fuzzer/FuzzedDataProvider.h>

namespace {

QString TakeText(FuzzedDataProvider &input)
{
    const std::string bytes = input.ConsumeRandomLengthString(64);
    // Latin-1 keeps digits dense; UTF-16 reaches surrogates and other 16-bit units.
    if (input.ConsumeBool()) {
        return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
    }
    return QString(reinterpret_cast<const QChar *>(bytes.data()), qsizetype(bytes.size() / 2));
}

// A timecode whose fields are digits within their ranges, hours below 24.
bool IsCanonicalTimecode(const QString &tc)
{
    if (tc.size() != 11 || tc[2] != QLatin1Char(':') || tc[5] != QLatin1Char(':') || tc[8] != QLatin1Char(';')) {
        return false;
    }
    const int limits[4] = {24, 60, 60, 30};
    for (int field = 0; field < 4; ++field) {
        const QChar high = tc[field * 3];
        const QChar low = tc[field * 3 + 1];
        if (!high.isDigit() || !low.isDigit() || high.unicode() > '9' || low.unicode() > '9') {
            return false;
        }
        if ((high.unicode() - '0') * 10 + (low.unicode() - '0') >= limits[field]) {
            return false;
        }
    }
    return true;
}

// Formatting, reading back and formatting again gives the same text (15 digits survive a double). Near the
// largest double the 15-digit form rounds beyond it and is rightly read as out of range.
void CheckFormatRoundTrip(double value)
{
    if (!std::isfinite(value) || std::fabs(value) >= 1e308) {
        (void)FormatNumber(value);
        (void)FormatNumberG15(value);
        return;
    }
    const QString text = FormatNumber(value);
    const std::optional<double> back = ParseNumberPrefix(text);
    FuzzCheck(back.has_value(), "FormatNumber output reads back");
    FuzzCheck(FormatNumber(*back) == text, "FormatNumber round trip");

    const QString g15 = FormatNumberG15(value);
    const std::optional<double> backG15 = ParseNumberPrefix(g15);
    FuzzCheck(backG15.has_value(), "FormatNumberG15 output reads back");
    FuzzCheck(FormatNumberG15(*backG15) == g15, "FormatNumberG15 round trip");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const QString a = TakeText(input);
    const QString b = TakeText(input);
    const QString op = TakeText(input);
    const bool wrap = input.ConsumeBool();

    const QString seconds = TimecodeToSeconds(a);
    const std::optional<double> secondsValue = ParseNumberPrefix(seconds);
    FuzzCheck(secondsValue.has_value() && std::isfinite(*secondsValue), "TimecodeToSeconds gives a number");
    FuzzCheck(FormatNumber(*secondsValue) == seconds, "TimecodeToSeconds gives the canonical number form");

    const QString calc = TimecodeCalc(a, b, op, wrap);
    FuzzCheck(calc.size() >= 11, "TimecodeCalc gives a whole timecode");

    if (IsCanonicalTimecode(a) && IsCanonicalTimecode(b)) {
        const QString plus = QStringLiteral("+");
        const QString minus = QStringLiteral("-");
        FuzzCheck(TimecodeCalc(a, ZeroTimecode, plus, wrap) == a, "a + 0 == a");
        const QString difference = TimecodeCalc(a, b, minus, true);
        FuzzCheck(IsCanonicalTimecode(difference), "a - b with wrap stays within a day");
        FuzzCheck(TimecodeCalc(difference, b, plus, true) == a, "(a - b) + b == a with wrap");
    }

    const std::optional<double> prefix = ParseNumberPrefix(a);
    if (prefix) {
        FuzzCheck(std::isfinite(*prefix), "ParseNumberPrefix gives a finite number");
        CheckFormatRoundTrip(*prefix);
        const std::optional<int16_t> whole = ToInteger16(*prefix);
        if (whole) {
            FuzzCheck(std::fabs(double(*whole) - *prefix) <= 0.5, "ToInteger16 rounds to the nearest");
        }
        FuzzCheck(ParseInteger16(a) == whole, "ParseInteger16 is ParseNumberPrefix then ToInteger16");
    }
    CheckFormatRoundTrip(input.ConsumeFloatingPoint<double>());

    const QString trimmed = Trimmed(b);
    FuzzCheck(!trimmed.startsWith(QLatin1Char(' ')) && !trimmed.endsWith(QLatin1Char(' ')), "Trimmed");
    (void)DateToYYYYMMDD(QDate::fromJulianDay(input.ConsumeIntegralInRange<qint64>(-10000000, 10000000)));
    return 0;
}
