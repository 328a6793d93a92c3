#include "convert/EventBuilder.h"

#include "events/Number.h"
#include "events/Timecode.h"

#include <utility>

namespace {

constexpr qsizetype TextLimit = 32;
constexpr double NumDefault = 32768.0;

// Counts 16-bit units, so a cut may split a surrogate pair; the event file carries units, not characters.
QString cut(const QString &text)
{
    const QStringView kept = TrimmedView(text).left(TextLimit);
    return kept.size() == text.size() ? text : kept.toString(); // an uncut text is shared, not copied
}

// Copy-constructed and moved in, both inline: assigning a QString is a call into the Qt library.
void share(QString &field, const QString &text)
{
    field = QString(text);
}

void setZeroTimecodes(SectionEntry &entry, double today)
{
    entry.StartTC = ZeroTimecodeText;
    entry.DurationTC = ZeroTimecodeText;
    entry.Date1 = today;
    entry.Date2 = today;
}

void setSection1Defaults(Section1Entry &entry)
{
    entry.Int1 = 2;
    entry.Int2 = 30;
    entry.Flag1 = true;
    entry.Num1 = entry.Num2 = entry.Num3 = entry.Num4 = NumDefault;
    entry.Int3 = 2;
}

// The event's own fields, the same for every entry; it takes the texts over, so it is filled after the entries.
void setHeader(EventRecord &event, EventTiming timing, double day, QString note)
{
    event.Date1 = day;
    event.Date2 = day;
    event.EventKey = std::move(timing.EventKey);
    event.DayFlags[timing.TodayWeekday - 1] = true;
    event.StartTC = timing.StartTC;
    event.EndTC = timing.EndTC;
    event.DurationTC = timing.DurationTC;
    event.EventNote = std::move(note);
    event.HeaderInt1 = 1;
    event.HeaderInt2 = 1;
}

// Section 1, entry 1: the programme on its VR destination, named eight times.
void setProgramme(Section1Entry &entry, const ScheduleRow &row, const EventTiming &timing, const QString &note)
{
    entry.Enabled = true;
    entry.StartTC = timing.StartTC;
    entry.DurationTC = timing.DurationTC;
    entry.StartSeconds = timing.StartSeconds;
    entry.EndSeconds = timing.EndSeconds;
    entry.DayFlags[timing.EndDayIndex] = true;
    QString name = cut(row.EventName);
    for (QString *field :
         {&entry.Name1, &entry.Name2, &entry.Name3, &entry.Name4, &entry.Name5, &entry.Name6, &entry.Name7})
        share(*field, name);
    entry.Name8 = std::move(name);
    entry.VrNumber = row.VrNumber;
    share(entry.Text1, note);
    setSection1Defaults(entry);
}

// Section 3, entry 1: the router switch from the source's input to the VR's output, at the programme's times.
void setRoute(Section3Entry &route, const Section1Entry &programme, const ScheduleRow &row, const RouterConfig &router)
{
    route.Enabled = true;
    route.StartTC = programme.StartTC;
    route.DurationTC = programme.DurationTC;
    route.DayFlags = programme.DayFlags;
    route.StartSeconds = programme.StartSeconds;
    route.EndSeconds = programme.EndSeconds;
    route.Int1 = 1;
    route.RouterInput = FindRouterInput(router, Trimmed(row.SourceName));
    if (row.VrNumber >= 0 && row.VrNumber < RouterDestinationCount)
        route.RouterOutput = router.RouterDestination[row.VrNumber].Output;
    if (route.RouterInput >= 0 && size_t(route.RouterInput) < router.RouterInputTable.size()) {
        const RouterInputEntry &input = router.RouterInputTable[route.RouterInput];
        for (int level = 1; level <= 8; ++level)
            route.LevelFlags[level] = input.Level[level];
    }
}

// Every other entry: disabled, dated today, with the defaults the automation system expects.
void setUnusedEntries(EventRecord &event, double day)
{
    Section1Entry &spare = event.Section1[2];
    setZeroTimecodes(spare, day);
    spare.VrNumber = 1;
    setSection1Defaults(spare);

    for (int n = 1; n <= 2; ++n) {
        Section2Entry &entry = event.Section2[n];
        setZeroTimecodes(entry, day);
        entry.Int1 = 1;
        entry.Int2 = 1;
        share(entry.Text1, ZeroTimecode);
        entry.Int3 = 11;
        share(entry.Text2, ZeroTimecode);
    }
    for (int n = 2; n <= 4; ++n) {
        Section3Entry &entry = event.Section3[n];
        setZeroTimecodes(entry, day);
        entry.Int1 = 1;
        entry.RouterInput = 1;
        entry.RouterOutput = 1;
    }

    setZeroTimecodes(event.Section4, day);
    event.Section4.Int1 = 1;
    event.Section4.Int2 = 3;

    setZeroTimecodes(event.Section5, day);
    event.Section5.Int1 = event.Section5.Int2 = event.Section5.Int3 = 1;

    for (int n = 1; n <= 2; ++n) {
        Section6Entry &entry = event.Section6[n];
        setZeroTimecodes(entry, day);
        entry.Int1 = 1;
        entry.Flag1 = true;
        entry.Flag3 = true;
    }
}

} // namespace

void AssembleEvent(const ScheduleRow &row, const RouterConfig &router, const EventDay &today, EventRecord &event)
{
    EventTiming timing = ComputeEventTiming(row, today);
    const double day = today.Serial;
    QString note = cut(row.NoteText);
    setProgramme(event.Section1[1], row, timing, note);
    setRoute(event.Section3[1], event.Section1[1], row, router);
    setHeader(event, std::move(timing), day, std::move(note));
    setUnusedEntries(event, day);
}

void BuildEvent(const ScheduleRow &row, const RouterConfig &router, const EventDay &today, EventList &events)
{
    // In place: an event record is a few kilobytes, too much to build aside and move.
    if (EventRecord *slot = events.freeSlot())
        AssembleEvent(row, router, today, *slot);
}
