#pragma once

#include "convert/ScheduleWorkbook.h"

#include <QString>
#include <QStringList>
#include <QStringView>

// What a line of the activity log tells the operator, so a viewer can colour it.
enum class LogLineKind {
    Plain,   // a conversion started
    Warning, // a row note, or a word on DWX.INI or RT-IN1.LST
    Failure, // no event file was made
};

// The kind of a line as the log holds it: "mm-dd-yyyy  hh:mm:ss message".
LogLineKind ClassifyLogLine(QStringView line);

// "2 rows not used, 1 unknown source, 1 error value": what the row notes of one conversion come to; empty when
// there are none.
QString RowNotesSummary(const std::vector<RowNote> &rowNotes);
