#include "events/Timecode.h"

#include "events/Number.h"

#include <cmath>

namespace {

// A two-character field by the number-prefix rule; two characters can never overflow 16 bits.
int16_t Field(QStringView text, qsizetype position)
{
    return ParseInteger16(text.mid(position, 2)).value_or(0);
}

double FrameCount(QStringView timecode)
{
    const int16_t hours = Field(timecode, 0);
    const int16_t minutes = Field(timecode, 3);
    const int16_t seconds = Field(timecode, 6);
    const int16_t frames = Field(timecode, 9);
    // 16-bit sums, as the format's own arithmetic: two-digit fields stay far below the limit, so nothing is cut.
    const auto secondFrames = static_cast<int16_t>(seconds * 30 + frames);
    return hours * 108000.0 + minutes * 1800.0 + secondFrames;
}

// WriteInteger(out, value, 2), by hand for the usual two-digit field: every event writes about twenty.
char *WriteField(char *out, long long value)
{
    if (value < 0 || value > 99)
        return WriteInteger(out, value, 2);
    const auto digits = static_cast<unsigned>(value); // unsigned divides in fewer steps
    *out++ = static_cast<char>('0' + digits / 10);
    *out++ = static_cast<char>('0' + digits % 10);
    return out;
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
    const auto minuteSeconds = static_cast<int16_t>(minutes * 60); // 16 bits as above
    // 0.033 s a frame rather than 1/30: the event files the automation system reads carry these seconds.
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
            t = (ta + 2592000.0) - tb; // a day in frames, 24 * 108000
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
    return QString::fromLatin1(text, WriteTimecode(text, h, m, s, f) - text);
}

QString DateToYYYYMMDD(const QDate &date)
{
    char text[96];
    return QString::fromLatin1(text, WriteYYYYMMDD(text, date) - text);
}

char *WriteTimecode(char *out, long long hours, long long minutes, long long seconds, long long frames)
{
    out = WriteField(out, hours);
    *out++ = ':';
    out = WriteField(out, minutes);
    *out++ = ':';
    out = WriteField(out, seconds);
    *out++ = ';';
    return WriteField(out, frames);
}

char *WriteYYYYMMDD(char *out, const QDate &date)
{
    int year = 0, month = 0, day = 0;
    date.getDate(&year, &month, &day);
    out = WriteInteger(out, year);
    out = WriteField(out, month);
    return WriteField(out, day);
}
