#include "output/EventFile.h"

#include "events/DateValue.h"
#include "events/Number.h"
#include "files/SafeFile.h"

#include <cmath>
#include <string>

namespace {

// The file is built in a std::string: appending a character there is inlined, unlike QByteArray's.
void AppendInteger(std::string &out, long long value, int width = 0)
{
    char buffer[48];
    out.append(buffer, WriteInteger(buffer, value, width));
}

void AppendByteCodes(std::string &out, const QString &text)
{
    bool first = true;
    for (const QChar unit : text) {
        if (!first)
            out += '-';
        first = false;
        AppendInteger(out, unit.cell());
        out += '-';
        AppendInteger(out, unit.row());
    }
}

// One comma-separated line of items.
class LineWriter
{
public:
    explicit LineWriter(std::string &out) : m_out(out) {}

    void text(const QString &value)
    {
        separate();
        m_out += '"';
        for (const QChar unit : value)
            m_out += unit.unicode() < 256 ? char(unit.unicode()) : '?';
        m_out += '"';
    }
    void text(const TimecodeText &value)
    {
        separate();
        m_out += '"';
        for (const char c : value.view()) // a library append costs more than the eleven characters
            m_out += c;
        m_out += '"';
    }
    void byteCodes(const QString &value, const char *marker = "")
    {
        separate();
        m_out += '"';
        m_out += marker;
        AppendByteCodes(m_out, value);
        m_out += '"';
    }
    void integer(int value)
    {
        separate();
        AppendInteger(m_out, value);
    }
    void boolean(bool value)
    {
        separate();
        m_out += value ? "#TRUE#" : "#FALSE#";
    }
    void number(double value)
    {
        separate();
        if (value == std::trunc(value) && std::abs(value) < 1e15)
            // Below 1e15 a whole number's %.15G form is all its digits, which the integer conversion gives faster.
            AppendInteger(m_out, static_cast<long long>(value));
        else
            m_out += FormatNumber(value).toStdString();
    }
    void date(double serial)
    {
        separate();
        const QDate day = SerialToDate(serial);
        m_out += '#';
        AppendInteger(m_out, day.year(), 4);
        m_out += '-';
        AppendInteger(m_out, day.month(), 2);
        m_out += '-';
        AppendInteger(m_out, day.day(), 2);
        m_out += '#';
    }
    void weekdays(const WeekdayFlags &flags)
    {
        for (const bool flag : flags)
            boolean(flag);
    }
    void end()
    {
        m_out += "\r\n";
        m_first = true;
    }

private:
    void separate()
    {
        if (!m_first)
            m_out += ',';
        m_first = false;
    }

    std::string &m_out;
    bool m_first = true;
};

void WriteCommon(LineWriter &line, const SectionEntry &entry)
{
    line.boolean(entry.Enabled);
    line.integer(entry.EntryKind);
    line.text(entry.StartTC);
    line.text(entry.DurationTC);
    line.number(entry.StartSeconds);
    line.number(entry.EndSeconds);
    line.weekdays(entry.DayFlags);
}

void WriteHeader(LineWriter &line, const EventRecord &event)
{
    line.date(event.Date1);
    line.date(event.Date2);
    line.text(event.StartTC);
    line.text(event.EndTC);
    line.text(event.DurationTC);
    line.weekdays(event.DayFlags);
    line.integer(event.HeaderInt1);
    line.integer(event.HeaderInt2);
    line.text(event.EventKey);
    line.byteCodes(event.EventNote, "UnIcOdE ");
    line.end();
}

void WriteEntry(LineWriter &line, const Section1Entry &entry)
{
    WriteCommon(line, entry);
    for (const QString *name : {&entry.Name1, &entry.Name2, &entry.Name3, &entry.Name4, &entry.Name5, &entry.Name6,
                                &entry.Name7, &entry.Name8})
        line.byteCodes(*name);
    line.integer(entry.VrNumber);
    line.integer(entry.Int1);
    line.byteCodes(entry.Text1);
    line.byteCodes(entry.Text2);
    line.byteCodes(entry.Text3);
    line.integer(entry.Int2);
    line.boolean(entry.Flag1);
    line.number(entry.Num1);
    line.number(entry.Num2);
    line.number(entry.Num3);
    line.number(entry.Num4);
    line.integer(entry.Int3);
    line.end();
}

void WriteEntry(LineWriter &line, const Section2Entry &entry)
{
    WriteCommon(line, entry);
    line.integer(entry.Int1);
    line.integer(entry.Int2);
    line.integer(entry.Int3);
    line.text(entry.Text1);
    line.text(entry.Text2);
    line.end();
}

void WriteEntry(LineWriter &line, const Section3Entry &entry)
{
    WriteCommon(line, entry);
    line.integer(entry.Int1);
    line.integer(entry.RouterInput);
    line.integer(entry.RouterOutput);
    line.text(entry.Text1);
    line.text(entry.Text2);
    for (int level = 1; level <= 8; ++level)
        line.boolean(entry.LevelFlags[level]);
    line.end();
}

void WriteEntry(LineWriter &line, const Section4Entry &entry)
{
    WriteCommon(line, entry);
    line.integer(entry.Int1);
    line.byteCodes(entry.Text1);
    line.integer(entry.Int2);
    line.byteCodes(entry.Text2);
    line.end();
}

void WriteEntry(LineWriter &line, const Section5Entry &entry)
{
    WriteCommon(line, entry);
    line.integer(entry.Int1);
    line.integer(entry.Int2);
    line.integer(entry.Int3);
    line.end();
}

void WriteEntry(LineWriter &line, const Section6Entry &entry)
{
    WriteCommon(line, entry);
    line.integer(entry.Int1);
    for (const bool flag : {entry.Flag1, entry.Flag2, entry.Flag3, entry.Flag4})
        line.boolean(flag);
    for (const int16_t value : {entry.Int2, entry.Int3, entry.Int4, entry.Int5, entry.Int6})
        line.integer(value);
    for (const bool flag : {entry.Flag5, entry.Flag6, entry.Flag7})
        line.boolean(flag);
    for (const int16_t value : {entry.Int7, entry.Int8, entry.Int9, entry.Int10, entry.Int11, entry.Int12})
        line.integer(value);
    line.boolean(entry.Flag8);
    for (const int16_t value : {entry.Int13, entry.Int14, entry.Int15, entry.Int16})
        line.integer(value);
    line.end();
}

// Entries 1.. of a section; entry 0 is never written.
template <typename Entry, size_t Size> void WriteEntries(LineWriter &line, const std::array<Entry, Size> &entries)
{
    for (size_t n = 1; n < Size; ++n)
        WriteEntry(line, entries[n]);
}

// The 13 lines of one event.
void WriteEvent(std::string &out, const EventRecord &event)
{
    LineWriter line(out);
    WriteHeader(line, event);
    WriteEntries(line, event.Section1);
    WriteEntries(line, event.Section2);
    WriteEntries(line, event.Section3);
    WriteEntry(line, event.Section4);
    WriteEntry(line, event.Section5);
    WriteEntries(line, event.Section6);
}

} // namespace

QString EventFileName(const QString &workbookName)
{
    const qsizetype dot = workbookName.indexOf(u'.');
    return (dot < 0 ? workbookName + u'.' : workbookName.left(dot + 1)) + QLatin1String("TVX");
}

QString TextToByteCodes(const QString &text)
{
    std::string codes;
    AppendByteCodes(codes, text);
    return QString::fromLatin1(codes.data(), qsizetype(codes.size()));
}

QByteArray RenderEventFile(const EventList &events)
{
    std::string out;
    out.reserve(64 + events.slots().size() * 4096);
    out += "DWX300\r\n";
    for (const EventRecord &event : events.slots()) {
        if (!Trimmed(event.EventKey).isEmpty())
            WriteEvent(out, event);
    }
    return QByteArray(out.data(), qsizetype(out.size()));
}

Failure WriteEventFile(const QString &path, const EventList &events)
{
    if (const Failure failure = ReplaceWholeFile(path, RenderEventFile(events)))
        return {QStringLiteral("cannot write %1: %2").arg(path, failure.reason)};
    return {};
}
