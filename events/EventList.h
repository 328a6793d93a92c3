#pragma once

#include "events/Timecode.h"

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

// One scheduled event as the Tavrel event file carries it. Dates are day serials (days since 1899-12-30,
// whole days); Booleans are plain bools, written #TRUE#/#FALSE#. Multi-entry sections have an entry 0 that is
// never filled nor written.

using WeekdayFlags = std::array<bool, 7>; // Sunday first

// The nine fields every section entry begins with.
struct SectionEntry {
    bool Enabled = false;
    int16_t EntryKind = 0;
    double Date1 = 0;
    double Date2 = 0;
    TimecodeText StartTC;
    TimecodeText DurationTC;
    double StartSeconds = 0;
    double EndSeconds = 0;
    WeekdayFlags DayFlags{};
};

struct Section1Entry : SectionEntry {
    QString Name1, Name2, Name3, Name4, Name5, Name6, Name7, Name8;
    int16_t VrNumber = 0;
    int16_t Int1 = 0;
    QString Text1, Text2, Text3;
    int16_t Int2 = 0;
    bool Flag1 = false;
    double Num1 = 0, Num2 = 0, Num3 = 0, Num4 = 0;
    int16_t Int3 = 0;
};

struct Section2Entry : SectionEntry {
    int16_t Int1 = 0, Int2 = 0, Int3 = 0;
    QString Text1, Text2;
};

struct Section3Entry : SectionEntry {
    int16_t Int1 = 0;
    int16_t RouterInput = 0;
    int16_t RouterOutput = 0;
    QString Text1, Text2;
    std::array<bool, 9> LevelFlags{}; // levels 0..8; level 0 is never filled nor written
};

struct Section4Entry : SectionEntry {
    int16_t Int1 = 0;
    QString Text1;
    int16_t Int2 = 0;
    QString Text2;
};

struct Section5Entry : SectionEntry {
    int16_t Int1 = 0, Int2 = 0, Int3 = 0;
};

struct Section6Entry : SectionEntry {
    int16_t Int1 = 0;
    bool Flag1 = false, Flag2 = false, Flag3 = false, Flag4 = false;
    int16_t Int2 = 0, Int3 = 0, Int4 = 0, Int5 = 0, Int6 = 0;
    bool Flag5 = false, Flag6 = false, Flag7 = false;
    int16_t Int7 = 0, Int8 = 0, Int9 = 0, Int10 = 0, Int11 = 0, Int12 = 0;
    bool Flag8 = false;
    int16_t Int13 = 0, Int14 = 0, Int15 = 0, Int16 = 0;
};

struct EventRecord {
    double Date1 = 0;
    double Date2 = 0;
    TimecodeText StartTC;
    TimecodeText EndTC;
    TimecodeText DurationTC;
    WeekdayFlags DayFlags{};
    int16_t HeaderInt0 = 0;
    int16_t HeaderInt1 = 0;
    int16_t HeaderInt2 = 0;
    QString EventKey; // empty marks a free slot
    QString EventNote;
    std::array<Section1Entry, 3> Section1{};
    std::array<Section2Entry, 3> Section2{};
    std::array<Section3Entry, 5> Section3{};
    Section4Entry Section4{};
    Section5Entry Section5{};
    std::array<Section6Entry, 3> Section6{};
};

// The event slots 1..1000 of one conversion. Slots past the last filled one are empty and not stored, so a
// reset costs nothing; slot n is slots()[n - 1].
class EventList
{
public:
    static constexpr int SlotCount = 1000;

    // Every slot empty again.
    void reset()
    {
        m_slots.clear();
        m_firstFree = 0;
    }
    // Copies the record into the lowest slot whose EventKey is empty; false (event dropped) when all are used.
    bool add(const EventRecord &record);
    // That slot, holding a default record to be filled in place before the next call; nullptr when all are used.
    EventRecord *freeSlot();
    const std::vector<EventRecord> &slots() const { return m_slots; }

private:
    std::vector<EventRecord> m_slots;
    size_t m_firstFree = 0; // every slot before it is taken, so a search starts there
};
