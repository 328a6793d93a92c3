#pragma once

#include "config/RouterConfig.h"
#include "events/EventList.h"

#include <QDate>
#include <QString>

// Reads the workbook and adds one event per accepted row of 5..100, in row order, to events.
// Returns "" when the workbook was read, otherwise the reason it could not be (events untouched then).
QString ReadScheduleWorkbook(const QString &workbookPath, const RouterConfig &router, const QDate &today,
                             EventList &events);
