#include "watch/TranslatorCore.h"

#include "output/ActivityLog.h"

#include <QDir>
#include <utility>

namespace {

QString DesignCaption(int folder)
{
    return QStringLiteral("Watch Folder ") + QChar(u'0' + folder);
}

} // namespace

TranslatorCore::TranslatorCore(const QString &programDir, const Clock &clock, WatchView &view)
    : m_programDir(QDir::toNativeSeparators(programDir)), m_clock(clock), m_view(view)
{
    for (int folder = 1; folder <= WatchFolderCount; ++folder)
        m_panels[folder].frameCaption = DesignCaption(folder);
}

void TranslatorCore::Form_Load()
{
    LoadWatchSettings(m_programDir, m_settings);
    rememberConfigFiles();
    m_startupNotices.clear();
    for (const Failure &failure :
         {LoadRouterDestinations(m_programDir, m_router), LoadRouterInputs(m_programDir, m_router)}) {
        if (failure)
            m_startupNotices.append(failure.reason);
    }
    // Written to the logs only: the caller shows startupNotices once, not once per folder.
    const QDateTime now = m_clock.now();
    for (int16_t folder = 1; folder <= WatchFolderCount; ++folder) {
        if (m_settings[folder].Active) {
            for (const QString &notice : std::as_const(m_startupNotices))
                WriteLog(m_programDir, notice, folder, now);
        }
    }
    m_queue.assign(QueueBlock + 1, ConversionRequest{});
    m_pendingIndex.clear();
    m_freeHint = 0;
    for (int folder = 1; folder <= WatchFolderCount; ++folder)
        ShowWatchFolderState(folder);
}

void TranslatorCore::setPanel(int folder, const PanelState &state)
{
    PanelState &panel = m_panels[folder];
    if (panel == state)
        return;
    panel = state;
    m_view.panelChanged(folder, panel);
}

void TranslatorCore::ShowWatchFolderState(int folder)
{
    if (folder < 1 || folder > WatchFolderCount)
        return;
    const auto &settings = m_settings[folder];
    PanelState state = m_panels[folder];
    state.enabled = settings.Active;
    state.watchFolder = settings.Path;
    if (!settings.Active) {
        state.lastFile.clear();
        state.lastFailure = {};
        state.lastWarnings.clear();
    }
    setPanel(folder, state);

    const QString watched = settings.Active ? settings.Path : QString();
    if (watched != m_watchedPath[folder]) {
        m_watchedPath[folder] = watched;
        m_view.watchFolder(folder, watched, {});
    }
}

void TranslatorCore::watchFolderChanged(int folder)
{
    if (folder < 1 || folder > WatchFolderCount || !m_settings[folder].Active)
        return;
    m_folderChanged[folder] = true;
    // Before the first tick the start-up wait stands.
    if (m_mainInterval == ScanPauseInterval || m_mainInterval == ScanBurstInterval)
        setMainTimerInterval(ChangeBurstInterval);
}

bool TranslatorCore::changeNoticed() const
{
    for (int folder = 1; folder <= WatchFolderCount; ++folder)
        if (m_folderChanged[folder] && m_settings[folder].Active)
            return true;
    return false;
}

QStringList TranslatorCore::listedWorkbooks() const
{
    QStringList names;
    for (const FolderFileEntry &entry : m_spreadsheets)
        if (entry.Listed && !entry.FileName.isEmpty())
            names.append(entry.FileName);
    return names;
}

void TranslatorCore::setMainTimerInterval(int milliseconds)
{
    m_mainInterval = milliseconds;
    m_view.setMainTimerInterval(milliseconds);
}

void TranslatorCore::timeMain_Timer()
{
    setMainTimerInterval(m_scanForChange || changeNoticed() ? ChangeBurstInterval : ScanBurstInterval);
    checkConfigFiles();
    for (int folder = 1; folder <= WatchFolderCount; ++folder)
        ShowWatchFolderState(folder);

    switch (m_scanState) {
    case 0:
        ScanSelectFolder();
        break;
    case 1:
        ListSpreadsheets(m_scanFolder);
        m_scanState = 2;
        break;
    case 2:
        if (readTimesStep(m_spreadsheets, false)) {
            m_scanState = 3;
            m_scanIndex = 0;
        }
        break;
    case 3:
        ListEventFiles(m_scanFolder);
        m_scanState = 4;
        break;
    case 4:
        if (readTimesStep(m_eventFiles, true)) {
            m_scanState = 5;
            m_scanIndex = 0;
        }
        break;
    case 5:
        if (scanMatchStep()) {
            m_scanState = 6;
            m_scanIndex = 0;
        }
        break;
    case 6:
        scanQueueStep();
        // A change noticed during the burst is scanned after a short wait instead of the pause.
        setMainTimerInterval(changeNoticed() ? ChangePauseInterval : ScanPauseInterval);
        m_scanForChange = false;
        m_scanState = 0;
        m_view.watchFolder(m_scanFolder, m_watchedPath[m_scanFolder], listedWorkbooks());
        break;
    default:
        break;
    }
}

void TranslatorCore::log(int16_t folder, const QString &message)
{
    const QDateTime now = m_clock.now();
    WriteLog(m_programDir, message, folder, now);
    m_view.logLineWritten(folder, LogLine(message, now));
}
