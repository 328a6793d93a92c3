#include "convert/ScheduleWorkbook.h"

#include "convert/EventBuilder.h"
#include "convert/ScheduleRow.h"
#include "convert/WorkbookCells.h"
#include "events/Number.h"

namespace {

QString RowLabel(int rowNumber)
{
    return QStringLiteral("Row ") + FormatInteger(rowNumber);
}

} // namespace

QString ReadScheduleWorkbook(const QString &workbookPath, const RouterConfig &router, const QDateTime &now,
                             EventList &events, QStringList *rowNotes)
{
    const WorkbookCells workbook = ReadWorkbookCells(workbookPath, now);
    if (!workbook.ok())
        return workbook.error;
    const EventDay day(now.date());
    for (int i = 0; i < ScheduleRowCount; ++i) {
        const ScheduleCells &cells = workbook.rows[static_cast<size_t>(i)];
        const ScheduleRow row = ToScheduleRow(cells);
        const QString reason = RejectReason(row);
        if (reason.isEmpty())
            BuildEvent(row, router, day, events);
        if (!rowNotes)
            continue;
        if (!reason.isEmpty()) {
            if (HasAnyValue(cells))
                rowNotes->append(RowLabel(FirstScheduleRow + i) + QStringLiteral(" not used: ") + reason);
        } else if (router.InputsRead && FindRouterInput(router, row.SourceName) == 0) {
            rowNotes->append(RowLabel(FirstScheduleRow + i) + QStringLiteral(": source \"") + row.SourceName +
                             QStringLiteral("\" is not in RT-IN1.LST, input 0 used"));
        }
    }
    return {};
}
