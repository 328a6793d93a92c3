// Any bytes as the shared-strings XML, under a sheet whose rows 5 to 100 use indexes 0 to 95 in R and every
// second index from 96 to 286 in V.
#include "convert/WorkbookCells.h"
#include "fuzz/FuzzSupport.h"
#include "tests/support/XlsxBuilder.h"

namespace {

XlsxParts WorkbookUsingSharedStrings()
{
    QByteArray rows;
    for (int row = FirstScheduleRow; row <= LastScheduleRow; ++row) {
        const QByteArray number = QByteArray::number(row);
        const int index = row - FirstScheduleRow;
        rows += "<row r=\"" + number + "\"><c r=\"R" + number + "\" t=\"s\"><v>" + QByteArray::number(index) +
                "</v></c><c r=\"V" + number + "\" t=\"s\"><v>" + QByteArray::number(ScheduleRowCount + 2 * index) +
                "</v></c></row>";
    }
    return TestWorkbookParts(QString::fromLatin1(rows), {QStringLiteral("x")});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static XlsxParts parts = WorkbookUsingSharedStrings();
    const QString path = FuzzDir() + QStringLiteral("/Strings.xlsx");
    SetPart(parts, QStringLiteral("xl/sharedStrings.xml"),
            QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    FuzzCheck(WriteZip(path, parts), "the workbook is written");

    const WorkbookCells cells = ReadWorkbookCells(path, FuzzMoment);
    FuzzCheck(!cells.failure || IsWorkbookReason(cells.failure.reason), "the reason is one of the known ones");
    return 0;
}
