#pragma once

#include "config/RouterConfig.h"
#include "convert/ScheduleRow.h"
#include "events/EventList.h"

#include <QDate>

// The complete event of one accepted row, dated today.
EventRecord AssembleEvent(const ScheduleRow &row, const RouterConfig &router, const QDate &today);
// Assembles the event and stores it in the first free slot; a full list drops it.
void BuildEvent(const ScheduleRow &row, const RouterConfig &router, const QDate &today, EventList &events);
