// Conversion speed: read + build of a typical schedule, of the same schedule followed by a large filler block,
// the read's floor, and rendering and durably writing the event file.

#include "config/RouterConfig.h"
#include "convert/EventBuilder.h"
#include "convert/ScheduleRow.h"
#include "convert/ScheduleWorkbook.h"
#include "convert/WorkbookCells.h"
#include "output/EventFile.h"
#include "tests/support/XlsxBuilder.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <vector>
#include <zip.h>

namespace {

constexpr int FillerRows = 200000;
constexpr int FillerColumns = 30;
constexpr int FillerStrings = 100000;
const QDateTime Day(QDate(2026, 12, 4), QTime(14, 5, 33));

QByteArray columnName(int index) // 0 = A
{
    QByteArray name;
    for (++index; index > 0; index = (index - 1) / 26)
        name.prepend(char('A' + (index - 1) % 26));
    return name;
}

QByteArray number(double value)
{
    return QByteArray::number(value, 'g', 17);
}

// Rows 5..100 of a day's schedule: every row valid, its texts in shared strings 0..200.
QByteArray scheduleRows(QStringList &strings)
{
    QByteArray xml;
    xml += R"(<row r="1"><c r="A1" t="s"><v>0</v></c></row>)";
    strings << QStringLiteral("Day schedule");
    for (int n = 1; n <= 8; ++n)
        strings << QStringLiteral("CAM %1").arg(n);
    for (int row = 5; row <= 100; ++row) {
        const QByteArray r = QByteArray::number(row);
        const double start = (row - 5) * 900 / 86400.0;
        strings << QStringLiteral("Programme %1").arg(row) << QStringLiteral("Note for row %1").arg(row);
        const int nameIndex = int(strings.size()) - 2;
        xml += "<row r=\"" + r + "\">";
        xml += "<c r=\"J" + r + "\"><v>" + QByteArray::number(row % 32 + 1) + "</v></c>";
        xml += "<c r=\"K" + r + "\" s=\"1\"><v>" + number(start) + "</v></c>";
        xml += "<c r=\"L" + r + "\" s=\"1\"><v>" + number(start + 840 / 86400.0) + "</v></c>";
        xml += "<c r=\"R" + r + "\" t=\"s\"><v>" + QByteArray::number(nameIndex) + "</v></c>";
        xml += "<c r=\"T" + r + "\" t=\"s\"><v>" + QByteArray::number(nameIndex + 1) + "</v></c>";
        xml += "<c r=\"V" + r + "\" t=\"s\"><v>" + QByteArray::number(row % 8 + 1) + "</v></c>";
        xml += "</row>";
    }
    return xml;
}

QByteArray sheetXml(const QByteArray &rows)
{
    return R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
           "\n<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>" +
           rows + "</sheetData></worksheet>";
}

QByteArray sharedStringsXml(const QStringList &strings)
{
    QByteArray xml = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
                     "\n<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";
    for (const QString &text : strings)
        xml += "<si><t>" + text.toUtf8() + "</t></si>";
    return xml + "</sst>";
}

// The workbooks live in one temporary folder for the whole run; each is written on first use.
const QTemporaryDir &benchDir()
{
    static const QTemporaryDir dir;
    return dir;
}

XlsxParts typicalParts(QStringList &strings, QByteArray &rows)
{
    rows = scheduleRows(strings);
    XlsxParts parts = TestWorkbookParts(QString());
    SetPart(parts, QStringLiteral("xl/worksheets/sheet1.xml"), sheetXml(rows));
    SetPart(parts, QStringLiteral("xl/sharedStrings.xml"), sharedStringsXml(strings));
    return parts;
}

QString writeWorkbook(const QString &name, const XlsxParts &parts)
{
    const QString path = benchDir().filePath(name);
    if (!WriteZip(path, parts))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return path;
}

const QString &typicalWorkbook()
{
    static const QString path = [] {
        QStringList strings;
        QByteArray rows;
        return writeWorkbook(QStringLiteral("typical.xlsx"), typicalParts(strings, rows));
    }();
    return path;
}

// The typical schedule, then filler rows from 101 on whose cells reach every shared string.
const QString &fillerWorkbook()
{
    static const QString path = [] {
        QStringList strings;
        QByteArray rows;
        XlsxParts parts = typicalParts(strings, rows);
        while (strings.size() < FillerStrings)
            strings << QStringLiteral("Filler text number %1").arg(strings.size());
        rows.reserve(qsizetype(FillerRows) * FillerColumns * 40);
        for (int row = 101; row < 101 + FillerRows; ++row) {
            const QByteArray r = QByteArray::number(row);
            rows += "<row r=\"" + r + "\">";
            for (int column = 0; column < FillerColumns; ++column) {
                const QByteArray ref = columnName(column) + r;
                if (column % 2)
                    rows += "<c r=\"" + ref + "\" t=\"s\"><v>" +
                            QByteArray::number((row * 31 + column * 7) % FillerStrings) + "</v></c>";
                else
                    rows += "<c r=\"" + ref + "\"><v>" + QByteArray::number(row * 0.25 + column) + "</v></c>";
            }
            rows += "</row>";
        }
        SetPart(parts, QStringLiteral("xl/worksheets/sheet1.xml"), sheetXml(rows));
        SetPart(parts, QStringLiteral("xl/sharedStrings.xml"), sharedStringsXml(strings));
        return writeWorkbook(QStringLiteral("filler.xlsx"), parts);
    }();
    return path;
}

RouterConfig benchRouter()
{
    RouterConfig router;
    for (int n = 1; n <= 8; ++n) {
        router.RouterInputTable[size_t(n)].Name = QStringLiteral("CAM %1").arg(n);
        router.RouterInputTable[size_t(n)].Level[1] = true;
    }
    IndexRouterInputs(router);
    return router;
}

void readAndBuild(benchmark::State &state, const QString &path)
{
    const RouterConfig router = benchRouter();
    EventList events;
    for (auto _ : state) {
        events.reset();
        const Failure failure = ReadScheduleWorkbook(path, router, Day, events);
        if (failure || events.slots().size() != 96) {
            state.SkipWithError("workbook not converted");
            break;
        }
        benchmark::DoNotOptimize(events.slots().data());
    }
}

void BM_ReadAndBuild_Typical(benchmark::State &state)
{
    readAndBuild(state, typicalWorkbook());
}
BENCHMARK(BM_ReadAndBuild_Typical)->Unit(benchmark::kMicrosecond);

void BM_ReadAndBuild_WithFiller(benchmark::State &state)
{
    readAndBuild(state, fillerWorkbook());
}
BENCHMARK(BM_ReadAndBuild_WithFiller)->Unit(benchmark::kMicrosecond);

// The two halves of read + build, to tell where the time goes.
void BM_ReadCellsOnly_Typical(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadWorkbookCells(typicalWorkbook(), Day));
}
BENCHMARK(BM_ReadCellsOnly_Typical)->Unit(benchmark::kMicrosecond);

// Opens the archive and inflates its sheet and shared strings with libzip alone; false when it cannot.
bool inflateParts(const QByteArray &path, std::vector<char> &buffer)
{
    zip_t *archive = zip_open(path.constData(), ZIP_RDONLY, nullptr);
    if (!archive)
        return false;
    bool inflated = true;
    for (const char *part : {"xl/worksheets/sheet1.xml", "xl/sharedStrings.xml"}) {
        zip_file_t *file = zip_fopen(archive, part, 0);
        inflated = inflated && file;
        while (file && zip_fread(file, buffer.data(), buffer.size()) > 0) {
        }
        if (file)
            zip_fclose(file);
    }
    zip_discard(archive);
    return inflated;
}

// The floor under the read: nothing parsed.
void BM_InflateOnly_Typical(benchmark::State &state)
{
    const QByteArray path = QFile::encodeName(typicalWorkbook());
    std::vector<char> buffer(64 * 1024);
    for (auto _ : state) {
        if (!inflateParts(path, buffer)) {
            state.SkipWithError("parts not inflated");
            break;
        }
    }
}
BENCHMARK(BM_InflateOnly_Typical)->Unit(benchmark::kMicrosecond);

void BM_BuildOnly_Typical(benchmark::State &state)
{
    const WorkbookCells cells = ReadWorkbookCells(typicalWorkbook(), Day);
    const RouterConfig router = benchRouter();
    EventList events;
    for (auto _ : state) {
        events.reset();
        const EventDay day(Day.date());
        for (const ScheduleCells &rowCells : cells.rows) {
            const ScheduleRow row = ToScheduleRow(rowCells);
            if (!RejectReason(row))
                BuildEvent(row, router, day, events);
        }
        benchmark::DoNotOptimize(events.slots().data());
    }
}
BENCHMARK(BM_BuildOnly_Typical)->Unit(benchmark::kMicrosecond);

EventList typicalEvents()
{
    EventList events;
    (void)ReadScheduleWorkbook(typicalWorkbook(), benchRouter(), Day, events);
    return events;
}

void BM_RenderEventFile(benchmark::State &state)
{
    const EventList events = typicalEvents();
    for (auto _ : state)
        benchmark::DoNotOptimize(RenderEventFile(events));
}
BENCHMARK(BM_RenderEventFile)->Unit(benchmark::kMicrosecond);

// QSaveFile commits with fsync, so this measures the disk as much as the code.
void BM_WriteEventFileDurably(benchmark::State &state)
{
    const EventList events = typicalEvents();
    const QString path = benchDir().filePath(QStringLiteral("typical.TVX"));
    for (auto _ : state) {
        if (WriteEventFile(path, events)) {
            state.SkipWithError("event file not written");
            break;
        }
    }
}
BENCHMARK(BM_WriteEventFileDurably)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
