#pragma once

#include "config/RouterConfig.h"
#include "convert/ScheduleRow.h"
#include "events/EventList.h"

#include <QDate>

// The complete event of one accepted row, dated today, written into a default record.
void AssembleEvent(const ScheduleRow &row, const RouterConfig &router, const QDate &today, EventRecord &event);
// Assembles the event in the first free slot; a full list drops it.
void BuildEvent(const ScheduleRow &row, const RouterConfig &router, const QDate &today, EventList &events);
