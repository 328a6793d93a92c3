// The log window's reads of a day's log of 100,000 lines: the whole file when the window opens, and the one new
// line of a dispatch tick.
#include "watch/LogTail.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int LineCount = 100000;

QString WriteLog(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("Watch Folder #1 Log For 20261204.TXT"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return path;
    for (int i = 0; i < LineCount; ++i)
        file.write(i % 10 == 0 ? "12-04-2026  14:05:33 Row 17 not used: source name empty\r\n"
                               : "12-04-2026  14:05:33 Make TVX File for : Schedule of the day.xlsx\r\n");
    return path;
}

void BM_ReadWholeDay(benchmark::State &state)
{
    const QTemporaryDir dir;
    const QString path = WriteLog(dir);
    for (auto _ : state) {
        LogTail tail(path);
        qsizetype lines = 0;
        for (LogRead read = tail.readNew();; read = tail.readNew()) {
            lines += read.lines.size();
            if (!read.more)
                break;
        }
        benchmark::DoNotOptimize(lines);
    }
}
BENCHMARK(BM_ReadWholeDay)->Unit(benchmark::kMillisecond);

void BM_ReadOneNewLine(benchmark::State &state)
{
    const QTemporaryDir dir;
    const QString path = WriteLog(dir);
    LogTail tail(path);
    while (tail.readNew().more) {
    }
    QFile file(path);
    for (auto _ : state) {
        state.PauseTiming();
        if (file.open(QIODevice::WriteOnly | QIODevice::Append)) {
            file.write("12-04-2026  14:05:34 Make TVX File for : Day1.xlsx\r\n");
            file.close();
        }
        state.ResumeTiming();
        const LogRead read = tail.readNew();
        benchmark::DoNotOptimize(read.lines.size());
    }
}
BENCHMARK(BM_ReadOneNewLine)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
