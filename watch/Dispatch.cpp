#include "convert/ScheduleWorkbook.h"
#include "events/Number.h"
#include "output/EventFile.h"
#include "watch/FailureStreak.h"
#include "watch/LogLines.h"
#include "watch/TranslatorCore.h"

#include <QFileInfo>
#include <algorithm>
#include <limits>

namespace {

// A file time as ms since 1970; an unknown time reads as long ago.
qint64 MSecsSinceEpoch(uint64_t fileTime)
{
    constexpr qint64 UnixEpochMSecs = 11644473600000;
    return fileTime == 0 ? std::numeric_limits<qint64>::min() / 2
                         : static_cast<qint64>(fileTime / 10000) - UnixEpochMSecs;
}

} // namespace

void TranslatorCore::reportNotMade(int16_t folder, const QString &fileName, const Failure &failure)
{
    if (const auto message = m_failureStreaks[FolderFileKey{folder, fileName}].failed(fileName, failure, m_clock.now()))
        log(folder, *message);
    showNotMade(folder, fileName, failure);
}

void TranslatorCore::showNotMade(int16_t folder, const QString &fileName, const Failure &failure)
{
    PanelState state = m_panels[folder];
    state.lastFile = fileName + QLatin1String(" not made");
    state.lastFailure = failure;
    state.lastWarnings.clear();
    setPanel(folder, state);
}

TranslatorCore::WorkbookSignature TranslatorCore::signatureOf(const QString &path)
{
    WorkbookSignature signature;
    signature.path = path;
    FileTimes times;
    if (GetFileTimes(path, times))
        signature.lastWriteTime = times.LastWriteTime;
    const QFileInfo info(path);
    signature.size = info.exists() ? info.size() : -1;
    return signature;
}

void TranslatorCore::timeWatch_Timer()
{
    for (size_t i = 0; i < m_queue.size(); ++i) {
        if (m_queue[i].Pending && m_queue[i].FileName.size() > 4) {
            const ConversionRequest request = m_queue[i];
            if (!workbookSettled(request))
                continue;
            const bool savedMeanwhile = request.Folder >= 1 && request.Folder <= WatchFolderCount && convert(request);
            freeRequest(i);
            // Its event file is newer than that save, so the scan would take the workbook for converted.
            if (savedMeanwhile)
                enqueue(request.Folder, request.FileName);
            return;
        }
    }
}

bool TranslatorCore::workbookSettled(const ConversionRequest &request)
{
    const FolderFileKey key{request.Folder, request.FileName};
    if (request.Folder < 1 || request.Folder > WatchFolderCount || m_settings[request.Folder].Format != 0 ||
        m_settings[request.Folder].Path.isEmpty()) {
        m_settling.remove(key);
        return true;
    }
    const WorkbookSignature signature =
        signatureOf(WithTrailingSeparator(m_settings[request.Folder].Path) + request.FileName);
    const qint64 now = m_clock.now().toMSecsSinceEpoch();
    // A local write sets the last-write time, which tells exactly when the copy last wrote. A time ahead of the
    // clock (another machine's), a change under an old time (a copy that keeps the source's) and a present file
    // whose times cannot be read (held open by its writer on Windows) count from when they were seen.
    const bool heldOpen = signature.lastWriteTime == 0 && signature.size >= 0;
    const qint64 written = heldOpen ? now : std::min(MSecsSinceEpoch(signature.lastWriteTime), now);
    auto seen = m_settling.find(key);
    if (seen == m_settling.end()) {
        seen = m_settling.insert(key, Settling{signature, written, now});
    } else if (seen->signature != signature) {
        seen->signature = signature;
        seen->changedAt = written > seen->lastLook ? written : now;
    }
    seen->lastLook = now;
    if (now - seen->changedAt < SettleTime)
        return false;
    m_settling.erase(seen);
    return true;
}

bool TranslatorCore::convert(const ConversionRequest &request)
{
    const auto &settings = m_settings[request.Folder];
    const QString folderPath = WithTrailingSeparator(settings.Path);
    // A path emptied since the request was queued names no folder; the working folder is not a stand-in.
    if (folderPath.isEmpty())
        return false;
    const FolderFileKey key{request.Folder, request.FileName};

    // A workbook the reader gave up on is not read again, nor logged, until it is saved again.
    WorkbookSignature signature;
    if (settings.Format == 0) {
        signature = signatureOf(folderPath + request.FileName);
        const auto known = m_unreadableWorkbooks.constFind(key);
        if (known != m_unreadableWorkbooks.cend() && *known == signature)
            return false;
    }

    // Within a streak of failures the attempts go unlogged until one succeeds or the streak's report is due.
    const bool quiet = m_failureStreaks.contains(key);
    const QString makeMessage = QStringLiteral("Make TVX File for : ") + request.FileName;
    if (!quiet)
        log(request.Folder, makeMessage);
    m_events.reset();
    std::vector<RowNote> rowNotes;
    if (settings.Format == 0) {
        if (const Failure failure =
                ReadScheduleWorkbook(signature.path, m_router, m_clock.now(), m_events, &rowNotes)) {
            // Writing now would put an empty event file over a good one.
            m_unreadableWorkbooks.insert(key, signature);
            m_failedWrites.remove(key);
            reportNotMade(request.Folder, request.FileName, failure);
            return false;
        }
        m_unreadableWorkbooks.remove(key);
    }

    const QString eventFileName = EventFileName(request.FileName);
    if (const Failure failure = WriteEventFile(folderPath + eventFileName, m_events)) {
        m_failedWrites.insert(key, m_clock.now().toMSecsSinceEpoch());
        reportNotMade(request.Folder, request.FileName, failure);
        return false;
    }

    // Row lines describe the event file, so they are logged only once it is written.
    if (quiet)
        log(request.Folder, makeMessage);
    QStringList noteLines;
    for (const RowNote &note : rowNotes) {
        log(request.Folder, note.text);
        noteLines.append(note.text);
    }
    if (quiet)
        log(request.Folder, m_failureStreaks.take(key).madeMessage(request.FileName));
    m_failedWrites.remove(key);

    PanelState state = m_panels[request.Folder];
    state.lastFile = eventFileName + QLatin1String("  ") + ClockTime(m_clock.now().time());
    if (const QString summary = RowNotesSummary(rowNotes); !summary.isEmpty())
        state.lastFile += QLatin1String("  ") + summary;
    state.lastFailure = {};
    state.lastWarnings = noteLines.join(u'\n');
    setPanel(request.Folder, state);
    return settings.Format == 0 && signatureOf(signature.path) != signature;
}
