#pragma once

#include "events/Failure.h"
#include "xlsx/CellValue.h"

#include <QDateTime>
#include <QString>
#include <array>

constexpr int FirstScheduleRow = 5;
constexpr int LastScheduleRow = 100;
constexpr int ScheduleRowCount = LastScheduleRow - FirstScheduleRow + 1;

// The six columns a schedule uses, by position: J, K, L, R, T, V.
enum ScheduleColumn { ColumnJ, ColumnK, ColumnL, ColumnR, ColumnT, ColumnV, ScheduleColumnCount };
constexpr std::array<int, ScheduleColumnCount> ScheduleColumnNumbers = {10, 11, 12, 18, 20, 22};

using ScheduleCells = std::array<CellValue, ScheduleColumnCount>;

// The schedule's block of a workbook, or why it could not be read (as FirstSheetCells::failure).
struct [[nodiscard]] WorkbookCells {
    std::array<ScheduleCells, ScheduleRowCount> rows{}; // rows[0] is row 5; all empty after a failure
    Failure failure;
};

// Reads the schedule columns of rows 5..100 of the first sheet straight from the .xlsx file; formulas to
// calculate take now, the conversion's moment, for TODAY and NOW.
WorkbookCells ReadWorkbookCells(const QString &path, const QDateTime &now);
