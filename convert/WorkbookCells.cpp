#include "convert/WorkbookCells.h"

#include "convert/XlsxWorkbook.h"

WorkbookCells ReadWorkbookCells(const QString &path)
{
    const CellWindow window{FirstScheduleRow, LastScheduleRow,
                            std::vector<int>(ScheduleColumnNumbers.begin(), ScheduleColumnNumbers.end())};
    SheetCellsResult sheet = ReadFirstSheetCells(path, window);
    WorkbookCells result;
    result.error = sheet.error;
    for (auto &[position, cell] : sheet.cells) {
        for (int column = 0; column < ScheduleColumnCount; ++column) {
            if (ScheduleColumnNumbers[size_t(column)] == position.second)
                result.rows[size_t(position.first - FirstScheduleRow)][size_t(column)] = std::move(cell);
        }
    }
    return result;
}
