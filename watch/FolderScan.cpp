#include "events/Number.h"
#include "output/EventFile.h"
#include "watch/FolderListing.h"
#include "watch/TranslatorCore.h"

#include <algorithm>

namespace {

// A spreadsheet and an event file belong together when they name the same event file, whatever the case.
QString PairingKey(const QString &fileName)
{
    return EventFileName(fileName).toUpper();
}

// Fills list from entry 0 with the folder's names, growing it by whole blocks; the count is stored only for a
// listing that completed.
void ListInto(std::vector<FolderFileEntry> &list, int32_t &count, const QString &folderPath, const QString &pattern,
              Failure &failure)
{
    FolderListing listing = ListFolderFiles(folderPath, pattern);
    QStringList &names = listing.names;
    if (!failure)
        failure = listing.failure;
    const size_t found = static_cast<size_t>(names.size());
    if (list.size() < found) {
        // All the blocks needed at once, so the entries are moved only once.
        const size_t blocks = (found - list.size() + TranslatorCore::ListBlock - 1) / TranslatorCore::ListBlock;
        list.resize(list.size() + blocks * TranslatorCore::ListBlock);
    }
    for (size_t i = 0; i < found; ++i) {
        list[i].Listed = true;
        list[i].FileName = std::move(names[static_cast<qsizetype>(i)]);
    }
    if (listing.complete)
        count = static_cast<int32_t>(found);
}

} // namespace

void TranslatorCore::ScanSelectFolder()
{
    // An active folder whose change was noticed goes first, the one next in turn if both were; the turn then
    // continues after it.
    int16_t next = 0;
    for (int step = 1; step <= WatchFolderCount && next == 0; ++step) {
        const auto folder = static_cast<int16_t>((m_scanFolder + step - 1) % WatchFolderCount + 1);
        if (m_folderChanged[folder] && m_settings[folder].Active)
            next = folder;
    }
    if (next == 0) {
        next = static_cast<int16_t>(m_scanFolder + 1);
        if (next > WatchFolderCount)
            next = 1;
    }
    m_scanFolder = next;
    m_scanForChange = m_folderChanged[m_scanFolder];
    m_folderChanged[m_scanFolder] = false;
    if (!m_settings[m_scanFolder].Active)
        return;
    m_scanIndex = 0;
    m_spreadsheets.assign(ListBlock + 1, FolderFileEntry{});
    m_eventFiles.assign(ListBlock + 1, FolderFileEntry{});
    m_eventFilesByPrefix.clear();
    m_listingFailure = {};
    m_scanState = 1;
}

void TranslatorCore::ListSpreadsheets(int16_t folder)
{
    const auto &settings = m_settings[folder];
    if (settings.Path.isEmpty()) {
        m_spreadsheetCount[folder] = 0;
        m_listingFailure = {QStringLiteral("folder not found")};
        return;
    }
    const QString pattern = settings.Format == 0 ? QStringLiteral("*.XLSX") : QStringLiteral("*.TXT");
    ListInto(m_spreadsheets, m_spreadsheetCount[folder], WithTrailingSeparator(settings.Path), pattern,
             m_listingFailure);
}

void TranslatorCore::ListEventFiles(int16_t folder)
{
    const auto &settings = m_settings[folder];
    if (settings.Path.isEmpty()) {
        m_eventFileCount[folder] = 0;
        m_listingFailure = {QStringLiteral("folder not found")};
        return;
    }
    ListInto(m_eventFiles, m_eventFileCount[folder], WithTrailingSeparator(settings.Path), QStringLiteral("*.TVX"),
             m_listingFailure);
}

bool TranslatorCore::readTimesStep(std::vector<FolderFileEntry> &list, bool indexPrefixes)
{
    // An empty Path would make the names relative to the working folder; such entries keep zero times.
    const QString folderPath = WithTrailingSeparator(m_settings[m_scanFolder].Path);
    const size_t end = std::min(list.size(), static_cast<size_t>(m_scanIndex) + TimesPerTick);
    for (size_t i = static_cast<size_t>(m_scanIndex); i < end; ++i) {
        FolderFileEntry &entry = list[i];
        if (!entry.Listed || entry.FileName.isEmpty())
            continue;
        FileTimes times;
        if (!folderPath.isEmpty() && GetFileTimes(folderPath + entry.FileName, times))
            entry.Times = times;
        if (indexPrefixes)
            m_eventFilesByPrefix[PairingKey(entry.FileName)].entries.push_back(static_cast<int32_t>(i));
    }
    m_scanIndex = static_cast<int32_t>(end);
    return end == list.size();
}

bool TranslatorCore::scanMatchStep()
{
    const size_t end = std::min(m_spreadsheets.size(), static_cast<size_t>(m_scanIndex) + MatchesPerTick);
    for (size_t i = static_cast<size_t>(m_scanIndex); i < end; ++i) {
        FolderFileEntry &spreadsheet = m_spreadsheets[i];
        if (!spreadsheet.Listed || spreadsheet.Matched)
            continue;
        // The group holds every listed event file with this key in list order, and only this step sets their
        // Matched flags, front to back: its next entry is the first unpaired one.
        const auto group = m_eventFilesByPrefix.find(PairingKey(spreadsheet.FileName));
        if (group == m_eventFilesByPrefix.end() || group->next >= group->entries.size())
            continue;
        FolderFileEntry &eventFile = m_eventFiles[static_cast<size_t>(group->entries[group->next++])];
        eventFile.Matched = true;
        if (CompareFileTimes(spreadsheet.Times.LastWriteTime, eventFile.Times.LastWriteTime) <= 0)
            spreadsheet.Matched = true;
    }
    m_scanIndex = static_cast<int32_t>(end);
    return end == m_spreadsheets.size();
}

void TranslatorCore::scanQueueStep()
{
    for (const FolderFileEntry &entry : m_spreadsheets) {
        if (entry.Matched || entry.FileName.size() < 5 || !retryDue(FolderFileKey{m_scanFolder, entry.FileName}))
            continue;
        enqueue(m_scanFolder, entry.FileName);
    }

    PanelState state = m_panels[m_scanFolder];
    state.frameCaption = QStringLiteral("Watch Folder ") + FormatInteger(m_scanFolder) + QLatin1String("  (");
    if (m_listingFailure) {
        // Counts of a folder that could not be listed would read as an empty folder.
        state.frameCaption += m_listingFailure.reason + u')';
    } else {
        state.frameCaption += FormatInteger(m_spreadsheetCount[m_scanFolder]) + QLatin1String(" XLS Files) (") +
                              FormatInteger(m_eventFileCount[m_scanFolder]) + QLatin1String(" TVX Files)");
    }
    setPanel(m_scanFolder, state);
}

bool TranslatorCore::retryDue(const FolderFileKey &key) const
{
    const auto failed = m_failedWrites.constFind(key);
    return failed == m_failedWrites.cend() || !m_scanForChange ||
           m_clock.now().toMSecsSinceEpoch() - *failed >= ScanPauseInterval;
}

void TranslatorCore::enqueue(int16_t folder, const QString &fileName)
{
    // A request pending for the same folder and name is kept; otherwise the lowest free entry is filled, as
    // a walk from entry 0 would choose, and the queue grows only when none is free.
    FolderFileKey key{folder, fileName};
    if (m_pendingIndex.contains(key))
        return;
    while (m_freeHint < m_queue.size() && m_queue[m_freeHint].Pending)
        ++m_freeHint;
    if (m_freeHint == m_queue.size())
        m_queue.resize(m_queue.size() + QueueBlock);
    ConversionRequest &request = m_queue[m_freeHint];
    request.Pending = true;
    request.FileName = fileName;
    request.Folder = folder;
    m_pendingIndex.insert(std::move(key), static_cast<int32_t>(m_freeHint));
    ++m_freeHint;
}

void TranslatorCore::freeRequest(size_t index)
{
    ConversionRequest &request = m_queue[index];
    if (request.Pending)
        m_pendingIndex.remove(FolderFileKey{request.Folder, request.FileName});
    request = ConversionRequest{};
    m_freeHint = std::min(m_freeHint, index);
}
