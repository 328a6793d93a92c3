#include "convert/ScheduleWorkbook.h"

#include "convert/EventBuilder.h"
#include "convert/ScheduleRow.h"
#include "convert/WorkbookCells.h"

QString ReadScheduleWorkbook(const QString &workbookPath, const RouterConfig &router, const QDate &today,
                             EventList &events)
{
    const WorkbookCells workbook = ReadWorkbookCells(workbookPath);
    if (!workbook.ok())
        return workbook.error;
    for (const ScheduleCells &cells : workbook.rows) {
        const ScheduleRow row = ToScheduleRow(cells);
        if (RejectReason(row).isEmpty())
            BuildEvent(row, router, today, events);
    }
    return {};
}
