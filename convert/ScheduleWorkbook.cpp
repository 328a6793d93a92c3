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

// An error value, stored or calculated, reads as an empty cell; the operator is told where it stood.
void AppendErrorNotes(const ScheduleCells &cells, int rowNumber, std::vector<RowNote> &rowNotes)
{
    static constexpr char Letters[ScheduleColumnCount] = {'J', 'K', 'L', 'R', 'T', 'V'};
    for (int column = 0; column < ScheduleColumnCount; ++column) {
        const CellValue &cell = cells[size_t(column)];
        if (cell.type == CellValue::Type::Error)
            rowNotes.push_back({RowNote::Kind::ErrorValue, RowLabel(rowNumber) + QStringLiteral(": ") +
                                                               QLatin1Char(Letters[column]) + QStringLiteral(" is ") +
                                                               cell.text});
    }
}

} // namespace

Failure ReadScheduleWorkbook(const QString &workbookPath, const RouterConfig &router, const QDateTime &now,
                             EventList &events, std::vector<RowNote> *rowNotes)
{
    const WorkbookCells workbook = ReadWorkbookCells(workbookPath, now);
    if (workbook.failure)
        return workbook.failure;
    const EventDay day(now.date());
    for (int i = 0; i < ScheduleRowCount; ++i) {
        const ScheduleCells &cells = workbook.rows[static_cast<size_t>(i)];
        const ScheduleRow row = ToScheduleRow(cells);
        const std::optional<QString> reason = RejectReason(row);
        if (!reason)
            BuildEvent(row, router, day, events);
        if (!rowNotes)
            continue;
        if (reason) {
            if (HasAnyValue(cells))
                rowNotes->push_back(
                    {RowNote::Kind::NotUsed, RowLabel(FirstScheduleRow + i) + QStringLiteral(" not used: ") + *reason});
        } else {
            AppendErrorNotes(cells, FirstScheduleRow + i, *rowNotes);
            if (router.inputsRead && FindRouterInput(router, row.SourceName) == 0)
                rowNotes->push_back({RowNote::Kind::UnknownSource,
                                     RowLabel(FirstScheduleRow + i) + QStringLiteral(": source \"") + row.SourceName +
                                         QStringLiteral("\" is not in RT-IN1.LST, input 0 used")});
        }
    }
    return {};
}
