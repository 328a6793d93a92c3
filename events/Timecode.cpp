#include "events/Timecode.h"

#include "events/Number.h"

#include <charconv>
#include <cmath>

namespace {

// Leading and trailing blanks (spaces only) left out, as Trimmed does, without a copy.
QStringView TrimmedView(QStringView text)
{
    while (!text.isEmpty() && text.front() == u' ')
        text = text.sliced(1);
    while (!text.isEmpty() && text.back() == u' ')
        text.chop(1);
    return text;
}

// A two-character field by the number-prefix rule; two characters can never overflow 16 bits.
int16_t Field(QStringView text, qsizetype position)
{
    return ParseInteger16(text.mid(position, 2)).value_or(0);
}

void AppendInteger(QString &text, long long value)
{
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    text += QLatin1String(digits, result.ptr - digits);
}

void AppendTwoDigits(QString &text, long long part)
{
    if (part < 10)
        text += u'0';
    AppendInteger(text, part);
}

double FrameCount(QStringView timecode)
{
    const int16_t hours = Field(timecode, 0);
    const int16_t minutes = Field(timecode, 3);
    const int16_t seconds = Field(timecode, 6);
    const int16_t frames = Field(timecode, 9);
    const auto secondFrames = static_cast<int16_t>(seconds * 30 + frames);
    return hours * 108000.0 + minutes * 1800.0 + secondFrames;
}

} // namespace

QString TimecodeToSeconds(const QString &timecode)
{
    const QStringView text = TrimmedView(timecode);
    int16_t hours = 0, minutes = 0, seconds = 0, frames = 0;
    if (text.size() == 8 || text.size() == 11) {
        hours = Field(text, 0);
        minutes = Field(text, 3);
        seconds = Field(text, 6);
        if (text.size() == 11)
            frames = Field(text, 9);
    }
    const auto minuteSeconds = static_cast<int16_t>(minutes * 60);
    const double total = ((hours * 3600.0 + minuteSeconds) + seconds) + frames * 0.033;
    return FormatNumber(total);
}

QString TimecodeCalc(const QString &a, const QString &b, const QString &op, bool wrap)
{
    if (a.size() != 11 || b.size() != 11 || op.size() != 1)
        return ZeroTimecode;
    const double ta = FrameCount(a);
    const double tb = FrameCount(b);
    // op is one character, so trimming it could only leave it empty, which is neither operator.
    const QChar sign = op.front();
    double t;
    if (sign == u'-') {
        if (ta >= tb)
            t = ta - tb;
        else if (!wrap)
            return ZeroTimecode;
        else
            t = (ta + 2592000.0) - tb;
    } else if (sign == u'+') {
        t = ta + tb;
    } else {
        return ZeroTimecode;
    }

    long long h = 0, m = 0, s = 0, f = 0;
    if (t >= 0) {
        h = static_cast<long long>(std::floor(t / 108000.0));
        t -= h * 108000.0;
        m = static_cast<long long>(std::floor(t / 1800.0));
        t -= m * 1800.0;
        s = static_cast<long long>(std::floor(t / 30.0));
        t -= s * 30.0;
        f = static_cast<long long>(t);
    }
    if (wrap && h >= 24)
        h -= 24;
    QString text;
    text.reserve(ZeroTimecode.size());
    AppendTwoDigits(text, h);
    text += u':';
    AppendTwoDigits(text, m);
    text += u':';
    AppendTwoDigits(text, s);
    text += u';';
    AppendTwoDigits(text, f);
    return text;
}

QString DateToYYYYMMDD(const QDate &date)
{
    QString text;
    text.reserve(8);
    AppendInteger(text, date.year());
    AppendTwoDigits(text, date.month());
    AppendTwoDigits(text, date.day());
    return text;
}
