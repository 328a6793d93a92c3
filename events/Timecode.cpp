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

// Writes part with at least two digits at out (room for 21 characters); returns the end.
char *WriteTwoDigits(char *out, long long part)
{
    if (part < 10)
        *out++ = '0';
    return std::to_chars(out, out + 20, part).ptr;
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
    char text[96];
    char *end = WriteTwoDigits(text, h);
    *end++ = ':';
    end = WriteTwoDigits(end, m);
    *end++ = ':';
    end = WriteTwoDigits(end, s);
    *end++ = ';';
    end = WriteTwoDigits(end, f);
    return QString::fromLatin1(text, end - text);
}

QString DateToYYYYMMDD(const QDate &date)
{
    int year = 0, month = 0, day = 0;
    date.getDate(&year, &month, &day);
    char text[64];
    char *end = std::to_chars(text, text + 20, year).ptr;
    end = WriteTwoDigits(end, month);
    end = WriteTwoDigits(end, day);
    return QString::fromLatin1(text, end - text);
}
