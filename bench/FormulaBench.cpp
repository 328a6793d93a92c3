// Conversion speed of a schedule built from formulas, as a script writes it: no stored values, every row chained
// to the one above, names and sources looked up on a second sheet.

#include "config/RouterConfig.h"
#include "convert/ScheduleWorkbook.h"
#include "tests/support/XlsxBuilder.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

const QDateTime Moment(QDate(2026, 12, 4), QTime(14, 5, 33));

QString formulaCell(const QString &ref, const QString &formula)
{
    return QStringLiteral("<c r=\"%1\"><f>%2</f></c>").arg(ref, formula.toHtmlEscaped());
}

// Rows 5..100: each starts where the one above ends; its name, note and source are calculated.
QString formulaRows()
{
    QString xml;
    for (int row = 5; row <= 100; ++row) {
        const QString r = QString::number(row);
        const QString above = QString::number(row - 1);
        xml += RowXml(row, formulaCell("J" + r, row == 5 ? QStringLiteral("1") : "MOD(J" + above + ",32)+1") +
                               formulaCell("K" + r, row == 5 ? QStringLiteral("TIME(6,0,0)") : "L" + above) +
                               formulaCell("L" + r, "K" + r + "+TIME(0,14,0)") +
                               formulaCell("R" + r, "\"Programme \"&ROW()") +
                               formulaCell("T" + r, "TEXT(K" + r + ",\"hh:mm\")&\" to \"&TEXT(L" + r + ",\"hh:mm\")") +
                               formulaCell("V" + r, "INDEX(Sources!$A$1:$A$8,MOD(ROW(),8)+1)"));
    }
    return xml;
}

QString sourceRows()
{
    QString xml;
    for (int n = 1; n <= 8; ++n)
        xml += RowXml(n, InlineStringCell("A" + QString::number(n), "CAM " + QString::number(n)));
    return xml;
}

const QString &formulaWorkbook()
{
    static const QTemporaryDir dir;
    static const QString path = [] {
        XlsxParts parts = TestWorkbookParts(formulaRows());
        SetPart(parts, QStringLiteral("xl/workbook.xml"),
                WorkbookXml("<sheet name='Schedule' sheetId='1' r:id='rId1'/><sheet name='Sources' sheetId='2' "
                            "r:id='rId3'/>"));
        SetPart(parts, QStringLiteral("xl/_rels/workbook.xml.rels"),
                Rels(Rel("rId1", "worksheet", "worksheets/sheet1.xml") +
                     Rel("rId3", "worksheet", "worksheets/sheet2.xml")));
        SetPart(parts, QStringLiteral("xl/worksheets/sheet2.xml"), SheetXml(sourceRows()));
        const QString file = dir.filePath(QStringLiteral("formulas.xlsx"));
        if (!WriteZip(file, parts))
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return file;
    }();
    return path;
}

void BM_ReadAndBuild_Formulas(benchmark::State &state)
{
    RouterConfig router;
    for (int n = 1; n <= 8; ++n) {
        router.RouterInputTable[size_t(n)].Name = QStringLiteral("CAM %1").arg(n);
        router.RouterInputTable[size_t(n)].Level[1] = true;
    }
    IndexRouterInputs(router);
    EventList events;
    for (auto _ : state) {
        events.reset();
        const Failure failure = ReadScheduleWorkbook(formulaWorkbook(), router, Moment, events);
        if (failure || events.slots().size() != 96) {
            state.SkipWithError(failure ? qPrintable(failure.reason) : "not every row made an event");
            break;
        }
        benchmark::DoNotOptimize(events.slots().data());
    }
}
BENCHMARK(BM_ReadAndBuild_Formulas)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
