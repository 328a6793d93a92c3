// The workbook reader and the schedule conversion on whole files: no crash or hang, and a workbook is either
// read or unreadable for one of the known reasons.
#include "convert/ScheduleWorkbook.h"
#include "convert/WorkbookCells.h"
#include "fuzz/FuzzSupport.h"
#include "output/EventFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString path = WriteFuzzFile(QStringLiteral("Fuzz.xlsx"), bytes.constData(), bytes.size());

    const WorkbookCells cells = ReadWorkbookCells(path, FuzzMoment);
    FuzzCheck(!cells.failure || IsWorkbookReason(cells.failure.reason), "the reason is one of the known ones");
    if (size == 0) {
        FuzzCheck(cells.failure.reason == QLatin1String("not an xlsx workbook"), "an empty file is not a workbook");
    }
    if (bytes.startsWith(QByteArray::fromHex("D0CF11E0A1B11AE1"))) {
        FuzzCheck(cells.failure.reason == QLatin1String("encrypted workbook") ||
                      cells.failure.reason == QLatin1String("legacy .xls workbook: save it as .xlsx"),
                  "the CFB container is an encrypted or a legacy workbook");
    }

    static const RouterConfig router;
    EventList events;
    const Failure failure = ReadScheduleWorkbook(path, router, FuzzMoment, events);
    FuzzCheck(failure == cells.failure, "the schedule reader gives the cell reader's reason");
    FuzzCheck(!failure || events.slots().empty(), "an unreadable workbook adds no event");
    (void)RenderEventFile(events);
    return 0;
}
