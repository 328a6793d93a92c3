#include "convert/ScheduleWorkbook.h"
#include "output/EventFile.h"
#include "watch/TranslatorCore.h"

#include <QFileInfo>
#include <charconv>

namespace {

void AppendTwoDigits(QString &text, int value)
{
    char digits[4];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    if (result.ptr - digits < 2)
        text += u'0';
    text += QLatin1String(digits, result.ptr - digits);
}

// "14:05:33": the time shown beside the last event file made.
QString ClockTime(const QTime &time)
{
    QString text;
    AppendTwoDigits(text, time.hour());
    text += u':';
    AppendTwoDigits(text, time.minute());
    text += u':';
    AppendTwoDigits(text, time.second());
    return text;
}

QString NotMadeMessage(const QString &fileName, const QString &reason)
{
    return QStringLiteral("TVX File not made for : ") + fileName + QLatin1String(" (") + reason + u')';
}

} // namespace

void TranslatorCore::ReportNotMade(int16_t folder, const QString &fileName, const QString &reason)
{
    Log(folder, NotMadeMessage(fileName, reason));
    ShowNotMade(folder, fileName, reason);
}

void TranslatorCore::ShowNotMade(int16_t folder, const QString &fileName, const QString &reason)
{
    PanelState state = m_panels[folder];
    state.LastFile = fileName + QLatin1String(" not made");
    state.LastFailure = reason;
    setPanel(folder, state);
}

TranslatorCore::WorkbookSignature TranslatorCore::SignatureOf(const QString &path)
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
            const bool savedMeanwhile =
                request.Folder >= 1 && request.Folder <= WatchFolderCount && Convert(request);
            FreeRequest(i);
            // Its event file is newer than that save, so the scan would take the workbook for converted.
            if (savedMeanwhile)
                Enqueue(request.Folder, request.FileName);
            return;
        }
    }
}

bool TranslatorCore::Convert(const ConversionRequest &request)
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
        signature = SignatureOf(folderPath + request.FileName);
        const auto known = m_unreadableWorkbooks.constFind(key);
        if (known != m_unreadableWorkbooks.cend() && *known == signature)
            return false;
    }

    Log(request.Folder, QStringLiteral("Make TVX File for : ") + request.FileName);
    m_events.Reset();
    if (settings.Format == 0) {
        QStringList rowNotes;
        const QString reason =
            ReadScheduleWorkbook(signature.path, m_router, m_clock.now().date(), m_events, &rowNotes);
        if (!reason.isEmpty()) {
            // Writing now would put an empty event file over a good one.
            m_unreadableWorkbooks.insert(key, signature);
            ReportNotMade(request.Folder, request.FileName, reason);
            return false;
        }
        m_unreadableWorkbooks.remove(key);
        for (const QString &note : std::as_const(rowNotes))
            Log(request.Folder, note);
    }

    const qsizetype dot = request.FileName.indexOf(u'.');
    if (dot < 0)
        return false;
    const QString eventFileName = request.FileName.left(dot + 1) + QLatin1String("TVX");
    const QString reason = WriteEventFile(folderPath + eventFileName, m_events);
    if (!reason.isEmpty()) {
        ReportNotMade(request.Folder, request.FileName, reason);
        return false;
    }

    PanelState state = m_panels[request.Folder];
    state.LastFile = eventFileName + QLatin1String("  ") + ClockTime(m_clock.now().time());
    state.LastFailure.clear();
    setPanel(request.Folder, state);
    return settings.Format == 0 && SignatureOf(signature.path) != signature;
}
