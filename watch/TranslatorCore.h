#pragma once

#include "config/RouterConfig.h"
#include "config/WatchSettings.h"
#include "events/Clock.h"
#include "events/EventList.h"
#include "events/Failure.h"
#include "watch/FailureStreak.h"
#include "watch/FileTimes.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

struct FolderFileEntry {
    bool Listed = false;
    QString FileName;
    FileTimes Times;
    bool Matched = false;
};

struct ConversionRequest {
    bool Pending = false;
    QString FileName;
    int16_t Folder = 0;
};

// What one watch-folder panel of the main window shows. The core keeps it and tells the view only what
// changed, so a window repaints nothing needlessly.
struct PanelState {
    bool enabled = true;  // frameWatch and its four labels
    QString frameCaption; // "Watch Folder 1", then the status text of the last completed scan
    QString watchFolder;  // lblWatchFolder: the folder's Path
    QString lastFile;     // lblLastFile: "Day1.TVX  14:05:33", or "Day1.xlsx not made" after a failure
    Failure lastFailure;  // why lastFile was not made; none after a success
    QString lastWarnings; // the row notes of the last event file made, one a line; empty when it had none
    bool operator==(const PanelState &) const = default;
};

// The window (or the headless runner) behind the core: it owns the timers and shows the panels.
class WatchView
{
public:
    virtual ~WatchView() = default;
    // Panel folder (1 or 2) changed; state is its complete new content.
    virtual void panelChanged(int folder, const PanelState &state) = 0;
    // The period of timeMain, in milliseconds.
    virtual void setMainTimerInterval(int milliseconds) = 0;
    // A line was appended to an activity log (for echoing); line is as written, without the line end.
    virtual void logLineWritten(int folder, const QString &line)
    {
        (void)folder;
        (void)line;
    }
    // A word for the operator until the program ends, such as a router file changed since start-up; it is in the
    // logs of the active folders already.
    virtual void noticeAdded(const QString &notice) { (void)notice; }
    // Folder (1 or 2) is to be watched at path, and so are the workbooks of its last scan (bare names), which
    // may be rewritten in place; changes are reported to TranslatorCore::watchFolderChanged. An empty path ends
    // the watch. Asked again after each scan of the folder, so one that appears later is watched too; what
    // cannot be watched is left to the periodic scan.
    virtual void watchFolder(int folder, const QString &path, const QStringList &workbooks)
    {
        (void)folder;
        (void)path;
        (void)workbooks;
    }
};

// The program-wide tables and the two tick handlers. Everything runs on one thread; each handler runs to its
// end before the next is called.
class TranslatorCore
{
public:
    static constexpr int MainTimerDesignInterval = 5000;
    static constexpr int WatchTimerInterval = 250;
    static constexpr int ScanBurstInterval = 10;
    static constexpr int ScanPauseInterval = 10000;
    // A burst for a noticed change runs its ticks back to back: the same steps and budgets, done sooner.
    static constexpr int ChangeBurstInterval = 0;
    // After a burst, a change noticed meanwhile waits this long, so a file written for minutes does not keep the
    // scan busy.
    static constexpr int ChangePauseInterval = 250;
    static constexpr int ListBlock = 4000;  // lists start with 4001 entries and grow by 4000
    static constexpr int QueueBlock = 1000; // the queue starts with 1001 entries and grows by 1000
    static constexpr int TimesPerTick = 250;
    static constexpr int MatchesPerTick = 50;
    // A workbook whose size or last-write time changed more recently than this, in ms, is still being written.
    static constexpr int SettleTime = 500;
    // How often, in ms by the clock, DWX.INI and RT-IN1.LST are looked at for a change since start-up.
    static constexpr int ConfigCheckInterval = 1000;

    // programDir is kept, and shown in messages, with the system's own separators.
    TranslatorCore(const QString &programDir, const Clock &clock, WatchView &view);

    // Start-up after the caption: settings, router configuration, the empty queue, both panels. A missing or
    // unreadable DWX.INI or RT-IN1.LST is noted in the log of each active folder.
    void Form_Load();
    // One step of the resumable folder scan.
    void timeMain_Timer();
    // Converts at most one queued spreadsheet.
    void timeWatch_Timer();
    // Brings panel folder into line with its settings.
    void ShowWatchFolderState(int folder);
    // Something changed in watch folder folder: its scan starts at the next tick instead of after the pause,
    // or right after the burst already running, which is hurried on.
    void watchFolderChanged(int folder);

    const QString &programDir() const { return m_programDir; }
    WatchSettingsTable &WatchFolderSettings() { return m_settings; }
    const WatchSettingsTable &WatchFolderSettings() const { return m_settings; }
    const RouterConfig &router() const { return m_router; }
    const PanelState &panel(int folder) const { return m_panels[folder]; }
    // What the last Form_Load found wrong with the router configuration, one line each; empty when all was read.
    const QStringList &startupNotices() const { return m_startupNotices; }
    // "RT-IN1.LST changed since start-up: restart the program to use it", once for each file changed.
    const QStringList &changeNotices() const { return m_changeNotices; }

    // Scan and queue state, readable by tests.
    int16_t ScanState() const { return m_scanState; }
    int16_t ScanFolder() const { return m_scanFolder; }
    const std::vector<ConversionRequest> &ConversionQueue() const { return m_queue; }
    const EventList &Events() const { return m_events; }

private:
    // (folder, bare file name): a queued request or a workbook's conversion history.
    using FolderFileKey = std::pair<int16_t, QString>;
    // Event files naming the same event file (PairingKey), in list order; the ones before next are already paired.
    struct PrefixGroup {
        std::vector<int32_t> entries;
        size_t next = 0;
    };
    // A workbook's last-write time and size, to tell whether it was saved since it was last looked at.
    struct WorkbookSignature {
        QString path;
        uint64_t lastWriteTime = 0;
        qint64 size = -1;
        bool operator==(const WorkbookSignature &) const = default;
    };
    static WorkbookSignature signatureOf(const QString &path);
    // When a queued workbook's signature was last seen to change, in ms since 1970 by the clock.
    struct Settling {
        WorkbookSignature signature;
        qint64 changedAt = 0;
        qint64 lastLook = 0;
    };

    // A router file as start-up found it: present or not, its size and its times.
    struct ConfigFileState {
        bool exists = false;
        qint64 size = 0;
        FileTimes times;
        bool operator==(const ConfigFileState &other) const;
    };
    static ConfigFileState configStateOf(const QString &path);
    void rememberConfigFiles();
    // Notes each router file that differs from what start-up read, once; the lists in use stay as they are.
    void checkConfigFiles();

    void setPanel(int folder, const PanelState &state);
    void ScanSelectFolder();
    bool changeNoticed() const;
    QStringList listedWorkbooks() const;
    void setMainTimerInterval(int milliseconds);
    void ListSpreadsheets(int16_t folder);
    void ListEventFiles(int16_t folder);
    // Reads the times of up to TimesPerTick entries from the scan index on; true once the last entry was handled.
    bool readTimesStep(std::vector<FolderFileEntry> &list, bool indexPrefixes);
    bool scanMatchStep();
    void scanQueueStep();
    // False for a workbook whose event file failed to be written less than a pause ago, unless this scan is a
    // periodic one: the change that set off the scan may be the failed write's own.
    bool retryDue(const FolderFileKey &key) const;
    void enqueue(int16_t folder, const QString &fileName);
    void freeRequest(size_t index);
    void log(int16_t folder, const QString &message);
    // Counts the failure in the workbook's streak, logs it when the streak calls for a line, and shows it on the
    // folder's panel until its next success.
    void reportNotMade(int16_t folder, const QString &fileName, const Failure &failure);
    void showNotMade(int16_t folder, const QString &fileName, const Failure &failure);
    // False while the workbook of a request is still being written; it is looked at again at a later tick.
    bool workbookSettled(const ConversionRequest &request);
    // The conversion of one request; the caller frees it afterwards.
    // True when the workbook was saved again while it was being converted, so the event file may be stale.
    bool convert(const ConversionRequest &request);

    QString m_programDir;
    const Clock &m_clock;
    WatchView &m_view;
    WatchSettingsTable m_settings{};
    RouterConfig m_router;
    QStringList m_startupNotices;
    QStringList m_changeNotices;
    std::array<ConfigFileState, 2> m_configAtStart{};
    std::array<bool, 2> m_configChanged{};
    qint64 m_configLookedAt = 0;
    bool m_configLooked = false;
    std::array<PanelState, WatchFolderCount + 1> m_panels{};
    int16_t m_scanState = 0;
    int16_t m_scanFolder = 0;
    int32_t m_scanIndex = 0;
    std::vector<FolderFileEntry> m_spreadsheets;
    std::vector<FolderFileEntry> m_eventFiles;
    std::array<int32_t, WatchFolderCount + 1> m_spreadsheetCount{};
    std::array<int32_t, WatchFolderCount + 1> m_eventFileCount{};
    Failure m_listingFailure; // why the folder being scanned could not be listed
    std::vector<ConversionRequest> m_queue;
    EventList m_events;
    std::array<bool, WatchFolderCount + 1> m_folderChanged{};
    int m_mainInterval = -1;      // the period last set; none before the first tick
    bool m_scanForChange = false; // the running burst was started by a noticed change
    std::array<QString, WatchFolderCount + 1> m_watchedPath{};

    QHash<FolderFileKey, int32_t> m_pendingIndex; // pending request -> its queue entry
    size_t m_freeHint = 0;                        // no queue entry below it is free
    QHash<QString, PrefixGroup> m_eventFilesByPrefix;
    QHash<FolderFileKey, WorkbookSignature> m_unreadableWorkbooks;
    QHash<FolderFileKey, Settling> m_settling;
    QHash<FolderFileKey, FailureStreak> m_failureStreaks; // workbooks not made since their last success
    QHash<FolderFileKey, qint64> m_failedWrites;          // when the event file last failed to be written, ms
};
