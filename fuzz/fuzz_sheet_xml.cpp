// Any bytes as the first sheet's XML, beside a small shared-strings table.
#include "convert/WorkbookCells.h"
#include "fuzz/FuzzSupport.h"
#include "tests/support/XlsxBuilder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static XlsxParts parts = [] {
        XlsxParts parts = TestWorkbookParts(QString());
        SetPart(parts, QStringLiteral("xl/sharedStrings.xml"),
                SstXml("<si><t>News</t></si><si><t/></si><si><r><t>CAM</t></r><r><t xml:space=\"preserve\"> 1</t>"
                       "</r></si><si><t>10:00</t><rPh sb=\"0\" eb=\"1\"><t>x</t></rPh></si>"));
        return parts;
    }();
    const QString path = FuzzDir() + QStringLiteral("/Sheet.xlsx");
    SetPart(parts, QStringLiteral("xl/worksheets/sheet1.xml"),
            QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    FuzzCheck(WriteZip(path, parts), "the workbook is written");

    const WorkbookCells cells = ReadWorkbookCells(path, FuzzMoment);
    FuzzCheck(!cells.failure || IsWorkbookReason(cells.failure.reason), "the reason is one of the known ones");
    return 0;
}
