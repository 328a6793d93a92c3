#include "convert/WorkbookCells.h"

#include "xlsx/XlsxWorkbook.h"

WorkbookCells ReadWorkbookCells(const QString &path, const QDateTime &now)
{
    const CellWindow window{FirstScheduleRow, LastScheduleRow,
                            std::vector<int>(ScheduleColumnNumbers.begin(), ScheduleColumnNumbers.end())};
    WorkbookCells result;
    // Straight into the rows: a map of the cells first would cost more than the rest of the read.
    const auto receive = [&](const CellPosition &position, CellValue &&cell) {
        for (int column = 0; column < ScheduleColumnCount; ++column) {
            if (ScheduleColumnNumbers[size_t(column)] == position.second)
                result.rows[size_t(position.first - FirstScheduleRow)][size_t(column)] = std::move(cell);
        }
    };
    result.failure = ReadFirstSheet(path, window, now, receive);
    if (result.failure)
        result.rows = {};
    return result;
}
