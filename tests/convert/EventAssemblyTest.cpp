#include "convert/EventBuilder.h"
#include "convert/EventTiming.h"
#include "events/Timecode.h"

#include <gtest/gtest.h>

namespace {

const QDate Wednesday(2026, 12, 2);
const QDate Saturday(2026, 12, 5);

double at(int h, int m, int s = 0)
{
    return (h * 3600 + m * 60 + s) / 86400.0;
}

ScheduleRow makeRow(double start, double end, const QString &name = QStringLiteral("News"),
                    const QString &source = QStringLiteral("CAM 1"), int16_t vr = 5)
{
    ScheduleRow row;
    row.VrNumber = vr;
    row.StartTime = start;
    row.EndTime = end;
    row.EventName = name;
    row.SourceName = source;
    return row;
}

struct TimingCase {
    const char *label;
    QDate today;
    double start, end;
    const char *startTC, *durationTC;
    bool crosses, nextDay;
    double endSeconds;
    int endDayIndex;
};

class EventTimingTest : public testing::TestWithParam<TimingCase>
{
};

TEST_P(EventTimingTest, DerivesTimecodesAndDay)
{
    const TimingCase &c = GetParam();
    const EventTiming t = ComputeEventTiming(makeRow(c.start, c.end), c.today);
    EXPECT_EQ(t.StartTC, c.startTC);
    EXPECT_EQ(t.DurationTC, c.durationTC);
    EXPECT_EQ(t.CrossesMidnight, c.crosses);
    EXPECT_EQ(t.EndsNextDay, c.nextDay);
    EXPECT_DOUBLE_EQ(t.EndSeconds, c.endSeconds);
    EXPECT_EQ(t.EndDayIndex, c.endDayIndex);
    EXPECT_EQ(t.EventKey, DateToYYYYMMDD(c.today) + c.startTC);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, EventTimingTest,
    testing::Values(
        TimingCase{"plain", Wednesday, at(10, 0), at(11, 30), "10:00:00;00", "01:30:00;00", false, false, 41400, 3},
        TimingCase{"midnight", Wednesday, at(23, 0), at(1, 0), "23:00:00;00", "02:00:00;00", true, true, 3600, 4},
        TimingCase{"equal", Wednesday, at(18, 0), at(18, 0), "18:00:00;00", "00:00:00;00", false, false, 64800, 3},
        TimingCase{"saturday", Saturday, at(22, 30), at(23, 30), "22:30:00;00", "01:00:00;00", false, false, 84600, 6},
        TimingCase{"saturday_wrap", Saturday, 46361 + at(23, 30), 46000, "23:30:00;00", "00:30:00;00", true, true, 0,
                   0},
        TimingCase{"padded", Wednesday, at(9, 5, 7), at(9, 5, 7), "09:05:07;00", "00:00:00;00", false, false, 32707, 3},
        TimingCase{"empty_cells", Wednesday, 0, 0, "00:00:00;00", "00:00:00;00", false, false, 0, 3},
        TimingCase{"boolean_true_is_previous_midnight", Wednesday, -1, at(1, 0), "00:00:00;00", "01:00:00;00", false,
                   false, 3600, 3},
        TimingCase{"rounds_up_into_next_day", Wednesday, at(23, 59, 59) + 0.6 / 86400, at(0, 0), "00:00:00;00",
                   "00:00:00;00", false, false, 0, 3}),
    [](const auto &info) { return std::string(info.param.label); });

TEST(EventTimingTest, InexactSerialGivesWholeSecond)
{
    EXPECT_EQ(TimeOfDayTimecode(46360 + 12.0 / 24 + 20.0 / 1440), "12:20:00;00");
    EXPECT_EQ(TimeOfDayTimecode(0.416666666666667), "10:00:00;00"); // as one writer rounds 10:00
}

RouterConfig testRouter()
{
    RouterConfig router;
    router.RouterDestination[5].Output = 7;
    RouterInputEntry &input = router.RouterInputTable[17];
    input.Name = QStringLiteral("Cam 17");
    input.Level[1] = input.Level[4] = input.Level[8] = true;
    IndexRouterInputs(router);
    return router;
}

TEST(EventAssemblyTest, ResolvesSourceWithoutCaseOrBlanks)
{
    const EventRecord event =
        AssembleEvent(makeRow(at(10, 0), at(11, 0), "News", "  CAM 17 "), testRouter(), Wednesday);
    const Section3Entry &route = event.Section3[1];
    EXPECT_EQ(route.RouterInput, 17);
    EXPECT_EQ(route.RouterOutput, 7);
    const std::array<bool, 9> levels{false, true, false, false, true, false, false, false, true};
    EXPECT_EQ(route.LevelFlags, levels);
}

TEST(EventAssemblyTest, UnknownSourceStillMakesEvent)
{
    const EventRecord event = AssembleEvent(makeRow(at(10, 0), at(11, 0), "News", "Nowhere"), testRouter(), Wednesday);
    EXPECT_EQ(event.Section3[1].RouterInput, 0);
    EXPECT_EQ(event.Section3[1].LevelFlags, (std::array<bool, 9>{}));
    EXPECT_FALSE(event.EventKey.isEmpty());
}

TEST(EventAssemblyTest, CutsTo32Units)
{
    const QString forty = QStringLiteral("0123456789abcdefghijklmnopqrstuvwxyzABCD");
    // 31 units, then a character outside the basic plane: the cut keeps only its high surrogate.
    const QString emoji = QStringLiteral("  é€34567890123456789012345678901") + QString::fromUcs4(U"\U0001F600");
    ScheduleRow row = makeRow(at(10, 0), at(11, 0), emoji);
    row.NoteText = forty;
    const EventRecord event = AssembleEvent(row, testRouter(), Wednesday);
    const Section1Entry &entry = event.Section1[1];
    EXPECT_EQ(entry.Name1.size(), 32);
    EXPECT_TRUE(entry.Name1.startsWith(QStringLiteral("é€")));
    EXPECT_TRUE(entry.Name1.back().isHighSurrogate());
    for (const QString *name :
         {&entry.Name2, &entry.Name3, &entry.Name4, &entry.Name5, &entry.Name6, &entry.Name7, &entry.Name8})
        EXPECT_EQ(*name, entry.Name1);
    EXPECT_EQ(event.EventNote, forty.left(32));
    EXPECT_EQ(entry.Text1, forty.left(32));
}

TEST(EventAssemblyTest, MidnightEventFlagsNextWeekday)
{
    const EventRecord event = AssembleEvent(makeRow(at(23, 0), at(1, 0)), testRouter(), Wednesday);
    const WeekdayFlags wednesday{false, false, false, true, false, false, false};
    const WeekdayFlags thursday{false, false, false, false, true, false, false};
    EXPECT_EQ(event.DayFlags, wednesday);
    EXPECT_EQ(event.Section1[1].DayFlags, thursday);
    EXPECT_EQ(event.Section3[1].DayFlags, thursday);
    for (int n = 2; n <= 4; ++n) {
        EXPECT_EQ(event.Section3[n].RouterInput, 1);
        EXPECT_EQ(event.Section3[n].RouterOutput, 1);
    }
}

TEST(EventListFillTest, SlotsFollowRowOrderAndDropPastThousand)
{
    const RouterConfig router = testRouter();
    EventList events;
    BuildEvent(makeRow(at(10, 0), at(11, 0), "A"), router, Wednesday, events);
    BuildEvent(makeRow(at(9, 0), at(10, 0), "B"), router, Wednesday, events);
    BuildEvent(makeRow(at(10, 0), at(12, 0), "C"), router, Wednesday, events);
    ASSERT_EQ(events.slots().size(), 3u);
    EXPECT_EQ(events.slots()[0].Section1[1].Name1, "A");
    EXPECT_EQ(events.slots()[1].Section1[1].Name1, "B");
    EXPECT_EQ(events.slots()[2].Section1[1].Name1, "C");
    EXPECT_EQ(events.slots()[0].EventKey, events.slots()[2].EventKey);

    for (int i = 3; i < EventList::SlotCount + 1; ++i)
        BuildEvent(makeRow(at(8, 0), at(9, 0), "Filler"), router, Wednesday, events);
    ASSERT_EQ(events.slots().size(), size_t(EventList::SlotCount));
    EXPECT_EQ(events.slots().back().Section1[1].Name1, "Filler");
}

} // namespace
