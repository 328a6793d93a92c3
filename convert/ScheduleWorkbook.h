#pragma once

#include "config/RouterConfig.h"
#include "events/EventList.h"
#include "events/Failure.h"

#include <QDateTime>
#include <QString>
#include <vector>

// What the event file cannot show about one row, for the operator.
struct RowNote {
    enum class Kind {
        NotUsed,       // "Row 17 not used: source name empty": the row holds a value but makes no event
        ErrorValue,    // "Row 7: L is #DIV/0!": an error value, stored or calculated, in an accepted row
        UnknownSource, // "Row 23: source "CAM 9" is not in RT-IN1.LST, input 0 used"
    };
    Kind kind;
    QString text;
};

// Reads the workbook and adds one event per accepted row of 5..100, in row order, to events.
// Fails with the reason the workbook could not be read, events untouched then.
// rowNotes, when given, receives the rows' notes in row order; an unknown source only when RT-IN1.LST was read.
// now is the conversion's moment: its date is the events' day, and formulas take it for TODAY and NOW.
Failure ReadScheduleWorkbook(const QString &workbookPath, const RouterConfig &router, const QDateTime &now,
                             EventList &events, std::vector<RowNote> *rowNotes = nullptr);
