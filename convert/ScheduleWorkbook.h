#pragma once

#include "config/RouterConfig.h"
#include "events/EventList.h"
#include "events/Failure.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

// Reads the workbook and adds one event per accepted row of 5..100, in row order, to events.
// Fails with the reason the workbook could not be read, events untouched then.
// rowNotes, when given, receives in row order what the event file cannot show: each row that holds a value but
// makes no event ("Row 17 not used: source name empty"), each error value of an accepted row, stored or
// calculated ("Row 7: L is #DIV/0!"), and, when RT-IN1.LST was read, each event whose source is not in it
// ("Row 23: source "CAM 9" is not in RT-IN1.LST, input 0 used").
// now is the conversion's moment: its date is the events' day, and formulas take it for TODAY and NOW.
Failure ReadScheduleWorkbook(const QString &workbookPath, const RouterConfig &router, const QDateTime &now,
                             EventList &events, QStringList *rowNotes = nullptr);
