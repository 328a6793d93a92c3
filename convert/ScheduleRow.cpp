#include "convert/ScheduleRow.h"

#include "events/Number.h"

#include <QDate>
#include <cmath>
#include <optional>

namespace {

// A cursor over a trimmed cell text; every reader either advances past what it matched or leaves pos alone.
struct TextCursor {
    const QString *text;
    qsizetype pos = 0;

    bool atEnd() const { return pos >= text->size(); }
    QChar peek(qsizetype ahead = 0) const { return pos + ahead < text->size() ? (*text)[pos + ahead] : QChar(); }

    // Between minDigits and maxDigits decimal digits as a number; nullopt (nothing consumed) if fewer.
    std::optional<int> digits(int minDigits, int maxDigits)
    {
        int value = 0;
        int count = 0;
        while (count < maxDigits && peek(count).isDigit() && peek(count).unicode() < 128) {
            value = value * 10 + (peek(count).unicode() - '0');
            ++count;
        }
        if (count < minDigits)
            return std::nullopt;
        pos += count;
        return value;
    }

    bool accept(char c)
    {
        if (peek() != QLatin1Char(c))
            return false;
        ++pos;
        return true;
    }

    int skipBlanks()
    {
        const qsizetype start = pos;
        while (peek() == QLatin1Char(' '))
            ++pos;
        return int(pos - start);
    }
};

// yyyy-mm-dd or m/d/yyyy naming a real calendar day.
bool readDate(TextCursor &cursor)
{
    TextCursor probe = cursor;
    if (auto year = probe.digits(4, 4); year && probe.accept('-')) {
        const auto month = probe.digits(2, 2);
        if (month && probe.accept('-')) {
            const auto day = probe.digits(2, 2);
            if (day && QDate::isValid(*year, *month, *day)) {
                cursor.pos = probe.pos;
                return true;
            }
        }
        return false;
    }
    probe = cursor;
    const auto month = probe.digits(1, 2);
    if (!month || !probe.accept('/'))
        return false;
    const auto day = probe.digits(1, 2);
    if (!day || !probe.accept('/'))
        return false;
    const auto year = probe.digits(4, 4);
    if (!year || !QDate::isValid(*year, *month, *day))
        return false;
    cursor.pos = probe.pos;
    return true;
}

// h:mm or h:mm:ss[.f], with an optional AM/PM; the time of day as a fraction of a day.
std::optional<double> readTime(TextCursor &cursor)
{
    TextCursor probe = cursor;
    const auto hour = probe.digits(1, 2);
    if (!hour || !probe.accept(':'))
        return std::nullopt;
    const auto minute = probe.digits(2, 2);
    if (!minute || *minute > 59)
        return std::nullopt;
    double second = 0;
    if (probe.accept(':')) {
        const auto whole = probe.digits(2, 2);
        if (!whole || *whole > 59)
            return std::nullopt;
        second = *whole;
        if (probe.accept('.')) {
            double scale = 0.1;
            const qsizetype start = probe.pos;
            while (probe.peek().isDigit() && probe.peek().unicode() < 128) {
                second += (probe.peek().unicode() - '0') * scale;
                scale /= 10;
                ++probe.pos;
            }
            if (probe.pos == start)
                return std::nullopt;
        }
    }
    int h = *hour;
    const qsizetype beforeMarker = probe.pos;
    probe.skipBlanks();
    const QChar first = probe.peek().toUpper();
    if ((first == QLatin1Char('A') || first == QLatin1Char('P')) && probe.peek(1).toUpper() == QLatin1Char('M')) {
        if (h < 1 || h > 12)
            return std::nullopt;
        h = (h % 12) + (first == QLatin1Char('P') ? 12 : 0);
        probe.pos += 2;
    } else {
        probe.pos = beforeMarker;
        if (h > 23)
            return std::nullopt;
    }
    cursor.pos = probe.pos;
    return (h * 3600 + *minute * 60 + second) / 86400.0;
}

// The date part is checked but not kept: only the time of day of K and L reaches an event.
double parseDateTimeText(const QString &raw)
{
    const QString text = Trimmed(raw);
    if (text.isEmpty())
        return 0;
    TextCursor cursor{&text};
    const bool hasDate = readDate(cursor);
    double time = 0;
    if (!cursor.atEnd()) {
        if (hasDate && cursor.skipBlanks() == 0)
            return 0;
        const auto parsed = readTime(cursor);
        if (!parsed)
            return 0;
        time = *parsed;
    }
    return cursor.atEnd() ? time : 0;
}

// The VR number as the cell's text reads. A whole number below 1e15 is written as its own digits, which read
// back as the same number, so it skips the text; other numbers keep it, since 15 digits may round them.
int16_t vrNumber(const CellValue &cell)
{
    const double number = cell.number;
    if (cell.type == CellValue::Type::Number && std::trunc(number) == number && std::fabs(number) < 1e15)
        return ToInteger16(number).value_or(0);
    return ParseInteger16(CellText(cell)).value_or(0);
}

} // namespace

QString CellText(const CellValue &cell)
{
    switch (cell.type) {
    case CellValue::Type::Text:
        return cell.text;
    case CellValue::Type::Number:
        return FormatNumberG15(cell.number);
    case CellValue::Type::Boolean:
        return cell.boolean ? QStringLiteral("True") : QStringLiteral("False");
    case CellValue::Type::Empty:
    case CellValue::Type::Error:
        break;
    }
    return {};
}

double CellDateTime(const CellValue &cell)
{
    switch (cell.type) {
    case CellValue::Type::Number:
        return cell.number;
    case CellValue::Type::Boolean:
        return cell.boolean ? -1 : 0; // True is -1 as a number, as in the system's own conversion
    case CellValue::Type::Text:
        return parseDateTimeText(cell.text);
    case CellValue::Type::Empty:
    case CellValue::Type::Error:
        break;
    }
    return 0;
}

ScheduleRow ToScheduleRow(const ScheduleCells &cells)
{
    ScheduleRow row;
    row.VrNumber = vrNumber(cells[ColumnJ]);
    row.StartTime = CellDateTime(cells[ColumnK]);
    row.EndTime = CellDateTime(cells[ColumnL]);
    row.EventName = Trimmed(CellText(cells[ColumnR]));
    row.NoteText = Trimmed(CellText(cells[ColumnT]));
    row.SourceName = Trimmed(CellText(cells[ColumnV]));
    return row;
}

std::optional<QString> RejectReason(const ScheduleRow &row)
{
    if (row.VrNumber < 1 || row.VrNumber > 32)
        return QStringLiteral("VR number outside 1 to 32");
    if (row.EventName.isEmpty())
        return QStringLiteral("event name empty");
    if (row.SourceName.isEmpty())
        return QStringLiteral("source name empty");
    return std::nullopt;
}

bool HasAnyValue(const ScheduleCells &cells)
{
    for (const CellValue &cell : cells) {
        if (cell.type != CellValue::Type::Empty && !(cell.type == CellValue::Type::Text && cell.text.isEmpty()))
            return true;
    }
    return false;
}
