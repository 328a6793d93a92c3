#pragma once

#include "config/RouterConfig.h"
#include "convert/EventTiming.h"
#include "convert/ScheduleRow.h"
#include "events/EventList.h"

// The complete event of one accepted row, dated today, written into a default record. One EventDay serves
// every row of a conversion.
void AssembleEvent(const ScheduleRow &row, const RouterConfig &router, const EventDay &today, EventRecord &event);
// Assembles the event in the first free slot; a full list drops it.
void BuildEvent(const ScheduleRow &row, const RouterConfig &router, const EventDay &today, EventList &events);
