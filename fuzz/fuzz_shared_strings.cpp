// Any bytes as the shared-strings XML, under a sheet that uses indexes 0 to 575 in rows 5 to 100.
#include "convert/WorkbookCells.h"
#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzWorkbook.h"

namespace {

QByteArray SheetUsingSharedStrings()
{
    static const char *const columns[ScheduleColumnCount] = {"J", "K", "L", "R", "T", "V"};
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                     "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>";
    int index = 0;
    for (int row = FirstScheduleRow; row <= LastScheduleRow; ++row) {
        const QByteArray number = QByteArray::number(row);
        xml += "<row r=\"" + number + "\">";
        for (const char *column : columns) {
            xml += "<c r=\"" + QByteArray(column) + number + "\" t=\"s\"><v>" + QByteArray::number(index++) +
                   "</v></c>";
        }
        xml += "</row>";
    }
    return xml + "</sheetData></worksheet>";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QByteArray sheet = SheetUsingSharedStrings();
    const QString path = FuzzDir() + QStringLiteral("/Strings.xlsx");
    WriteMinimalWorkbook(path, sheet, QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));

    const WorkbookCells cells = ReadWorkbookCells(path);
    FuzzCheck(cells.ok() || IsWorkbookReason(cells.error), "the reason is one of the known ones");
    return 0;
}
