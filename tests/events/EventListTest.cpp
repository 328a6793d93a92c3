#include "events/EventList.h"

#include <gtest/gtest.h>

namespace {

TEST(EventList, FillsLowestFreeSlotUpToOneThousand)
{
    EventList list;
    EventRecord record;
    list.add(record); // an empty key leaves the slot free
    for (int i = 1; i <= 1000; ++i) {
        record.EventKey = QString::number(i);
        ASSERT_TRUE(list.add(record));
    }
    EXPECT_FALSE(list.add(record));
    EXPECT_EQ(list.slots().front().EventKey, QStringLiteral("1"));
    EXPECT_EQ(list.slots().size(), 1000u);
}

} // namespace
