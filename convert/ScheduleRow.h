#pragma once

#include "convert/WorkbookCells.h"

#include <QString>
#include <cstdint>
#include <optional>

struct ScheduleRow {
    int16_t VrNumber = 0;
    double StartTime = 0; // day serial; only its time of day is used
    double EndTime = 0;
    QString EventName;
    QString NoteText;
    QString SourceName;
};

// A cell as text: numbers as "%.15G", booleans True/False, errors and empty cells "".
QString CellText(const CellValue &cell);
// A K or L cell as a day serial: numbers as they are, booleans -1/0, recognised date/time texts, else 0.
double CellDateTime(const CellValue &cell);

ScheduleRow ToScheduleRow(const ScheduleCells &cells);
// Why a row makes no event: "VR number outside 1 to 32", "event name empty", "source name empty"; none when
// it is accepted.
std::optional<QString> RejectReason(const ScheduleRow &row);
// True when any of the six cells holds a value (a number, a boolean, an error or a non-empty text).
bool HasAnyValue(const ScheduleCells &cells);
