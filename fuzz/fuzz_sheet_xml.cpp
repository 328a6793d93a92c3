// Any bytes as the first sheet's XML, beside a small shared-strings table.
#include "convert/WorkbookCells.h"
#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzWorkbook.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QByteArray sharedStrings =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
        "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" count=\"4\" uniqueCount=\"4\">"
        "<si><t>News</t></si><si><t/></si><si><r><t>CAM</t></r><r><t xml:space=\"preserve\"> 1</t></r></si>"
        "<si><t>10:00</t><rPh sb=\"0\" eb=\"1\"><t>x</t></rPh></si></sst>";
    const QString path = FuzzDir() + QStringLiteral("/Sheet.xlsx");
    WriteMinimalWorkbook(path, QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), sharedStrings);

    const WorkbookCells cells = ReadWorkbookCells(path, FuzzMoment);
    FuzzCheck(!cells.failure || IsWorkbookReason(cells.failure.reason), "the reason is one of the known ones");
    return 0;
}
