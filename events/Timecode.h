#pragma once

#include <QDate>
#include <QString>
#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

// Timecodes are "hh:mm:ss;ff" at 30 frames per second, fields found by position only. None of these
// conversions fails: malformed input degrades to zero.

// TimecodeToSeconds and TimecodeCalc are the old program's rules over timecode texts, kept as the reference that
// the whole-second event timing is tested and fuzzed against.

// Seconds of a timecode (full form, or "hh:mm:ss") as number text; frames count 0.033 s each.
QString TimecodeToSeconds(const QString &timecode);

// a + b or a - b (op "+" or "-"); with wrap a day is added to a negative difference and 24 hours taken off
// a result of 24 hours or more. Rejected input gives "00:00:00;00".
QString TimecodeCalc(const QString &a, const QString &b, const QString &op, bool wrap);

// "yyyymmdd".
QString DateToYYYYMMDD(const QDate &date);

// The same texts written at out (room for 96 characters) for writers that build bytes; they return the end.
// Each timecode field takes at least two digits.
char *WriteTimecode(char *out, long long hours, long long minutes, long long seconds, long long frames);
char *WriteYYYYMMDD(char *out, const QDate &date);

inline const QString ZeroTimecode = QStringLiteral("00:00:00;00");

// A timecode's text held in place, for the fields of an event record: an event carries some sixteen, which as
// QStrings would cost an allocation or a shared count each. Holds a timecode of hours below 100; a longer
// text is cut.
class TimecodeText
{
public:
    constexpr TimecodeText() = default;
    constexpr explicit TimecodeText(std::string_view text) { assign(text); }
    constexpr void assign(std::string_view text)
    {
        m_size = std::uint8_t(std::min(text.size(), Capacity));
        for (size_t i = 0; i < m_size; ++i)
            m_chars[i] = text[i];
    }
    constexpr std::string_view view() const { return {m_chars.data(), m_size}; }
    QString toString() const { return QString::fromLatin1(view()); }
    constexpr bool operator==(const TimecodeText &) const = default;

private:
    static constexpr size_t Capacity = 11;
    std::array<char, Capacity> m_chars{};
    std::uint8_t m_size = 0;
};

inline constexpr TimecodeText ZeroTimecodeText("00:00:00;00");
