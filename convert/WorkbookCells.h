#pragma once

#include <QDateTime>
#include <QString>
#include <array>

// A cell's value as the workbook stores it.
struct CellValue {
    enum class Type { Empty, Number, Text, Boolean, Error };
    Type type = Type::Empty;
    double number = 0; // Number (day serial for dates and times)
    QString text;      // Text, verbatim
    bool boolean = false;
};

constexpr int FirstScheduleRow = 5;
constexpr int LastScheduleRow = 100;
constexpr int ScheduleRowCount = LastScheduleRow - FirstScheduleRow + 1;

// The six columns a schedule uses, by position: J, K, L, R, T, V.
enum ScheduleColumn { ColumnJ, ColumnK, ColumnL, ColumnR, ColumnT, ColumnV, ScheduleColumnCount };
constexpr std::array<int, ScheduleColumnCount> ScheduleColumnNumbers = {10, 11, 12, 18, 20, 22};

using ScheduleCells = std::array<CellValue, ScheduleColumnCount>;

struct WorkbookCells {
    bool ok() const { return error.isEmpty(); }
    // Empty when read; otherwise why not: "file not found", "is a folder", "not an xlsx workbook", "encrypted
    // workbook", "legacy .xls workbook: save it as .xlsx", "OpenDocument spreadsheet, not .xlsx", "workbook too
    // large", "damaged workbook: ...".
    QString error;
    std::array<ScheduleCells, ScheduleRowCount> rows{}; // rows[0] is row 5
};

// Reads the schedule columns of rows 5..100 of the first sheet straight from the .xlsx file; formulas to
// calculate take now, the conversion's moment, for TODAY and NOW.
WorkbookCells ReadWorkbookCells(const QString &path, const QDateTime &now);
