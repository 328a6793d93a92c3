// Scan ticks over a watch folder of 10,000 spreadsheets and 10,000 event files: the longest tick and the
// whole scan of one folder. Every tick should stay under 10 ms.
#include "events/Clock.h"
#include "watch/TranslatorCore.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

constexpr int FileCount = 10000;

class NullView final : public WatchView
{
public:
    void panelChanged(int, const PanelState &) override {}
    void setMainTimerInterval(int milliseconds) override { lastInterval = milliseconds; }
    int lastInterval = 0;
};

void Touch(const QString &path, time_t writeTime)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.close();
    const timespec times[2] = {{writeTime, 0}, {writeTime, 0}};
    utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0);
}

// Spreadsheets with even numbers are newer than their event files, so half of them get queued.
class WatchFolder
{
public:
    WatchFolder()
    {
        for (int i = 0; i < FileCount; ++i) {
            const QString stem = m_dir.filePath(QStringLiteral("Schedule %1").arg(i, 5, 10, QLatin1Char('0')));
            Touch(stem + QStringLiteral(".xlsx"), i % 2 == 0 ? 2000 : 1000);
            Touch(stem + QStringLiteral(".TVX"), 1500);
        }
    }
    QString path() const { return m_dir.path() + u'/'; }

private:
    QTemporaryDir m_dir;
};

struct ScanFigures {
    int ticks = 0;
    double longestTickMs = 0;
    double longestTickCpuMs = 0; // not inflated by other processes on a busy machine
    int longestStep = 0;         // ScanState of the longest tick
    double scanMs = 0;
    double scanCpuMs = 0;

    void keepWorst(const ScanFigures &other)
    {
        ticks = other.ticks;
        if (other.longestTickMs > longestTickMs) {
            longestTickMs = other.longestTickMs;
            longestStep = other.longestStep;
        }
        longestTickCpuMs = std::max(longestTickCpuMs, other.longestTickCpuMs);
        scanMs = std::max(scanMs, other.scanMs);
        scanCpuMs = std::max(scanCpuMs, other.scanCpuMs);
    }
};

double ThreadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

ScanFigures ScanOnce(TranslatorCore &core, NullView &view)
{
    using Clock = std::chrono::steady_clock;
    ScanFigures figures;
    do {
        const int step = core.ScanState();
        const double startCpu = ThreadCpuMs();
        const auto start = Clock::now();
        core.timeMain_Timer();
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        const double cpuMs = ThreadCpuMs() - startCpu;
        if (ms > figures.longestTickMs) {
            figures.longestTickMs = ms;
            figures.longestStep = step;
        }
        figures.longestTickCpuMs = std::max(figures.longestTickCpuMs, cpuMs);
        figures.scanMs += ms;
        figures.scanCpuMs += cpuMs;
        ++figures.ticks;
    } while (core.ScanState() != 0 || view.lastInterval != TranslatorCore::ScanPauseInterval);
    return figures;
}

void Report(benchmark::State &state, const ScanFigures &worst, int64_t queued)
{
    state.counters["ticks"] = worst.ticks;
    state.counters["longest_tick_ms"] = worst.longestTickMs;
    state.counters["longest_tick_cpu_ms"] = worst.longestTickCpuMs;
    state.counters["longest_step"] = worst.longestStep;
    state.counters["scan_ms"] = worst.scanMs;
    state.counters["scan_cpu_ms"] = worst.scanCpuMs;
    state.counters["queued"] = static_cast<double>(queued);
}

int64_t PendingCount(const TranslatorCore &core)
{
    return std::count_if(core.ConversionQueue().begin(), core.ConversionQueue().end(),
                         [](const ConversionRequest &request) { return request.Pending; });
}

// The first scan after start-up: every stale spreadsheet enters an empty queue.
void BM_FirstScan(benchmark::State &state)
{
    const WatchFolder folder;
    const QString path = folder.path();
    QTemporaryDir programDir;
    ManualClock clock;
    ScanFigures worst;
    int64_t queued = 0;
    for (auto _ : state) {
        NullView view;
        TranslatorCore core(programDir.path(), clock, view);
        core.Form_Load();
        core.WatchFolderSettings()[1] = {true, path, 0};
        const ScanFigures figures = ScanOnce(core, view);
        state.SetIterationTime(figures.scanMs / 1000);
        worst.keepWorst(figures);
        queued = PendingCount(core);
    }
    Report(state, worst, queued);
}

// A later scan: the stale spreadsheets are all still pending and must be found in the queue.
void BM_RepeatScan(benchmark::State &state)
{
    const WatchFolder folder;
    const QString path = folder.path();
    QTemporaryDir programDir;
    ManualClock clock;
    NullView view;
    TranslatorCore core(programDir.path(), clock, view);
    core.Form_Load();
    core.WatchFolderSettings()[1] = {true, path, 0};
    ScanOnce(core, view);
    ScanFigures worst;
    for (auto _ : state) {
        const ScanFigures figures = ScanOnce(core, view);
        state.SetIterationTime(figures.scanMs / 1000);
        worst.keepWorst(figures);
    }
    Report(state, worst, PendingCount(core));
}

} // namespace

BENCHMARK(BM_FirstScan)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_RepeatScan)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK_MAIN();
