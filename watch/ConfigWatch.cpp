#include "output/ActivityLog.h"
#include "watch/TranslatorCore.h"

#include <QFileInfo>

namespace {

// The router files read once at start-up, in the order of m_configAtStart.
const std::array<QString, 2> ConfigFileNames{QStringLiteral("DWX.INI"), QStringLiteral("RT-IN1.LST")};

} // namespace

bool TranslatorCore::ConfigFileState::operator==(const ConfigFileState &other) const
{
    // Reading a file sets its access time, so that one is left out.
    return exists == other.exists && size == other.size && times.CreationTime == other.times.CreationTime &&
           times.LastWriteTime == other.times.LastWriteTime;
}

TranslatorCore::ConfigFileState TranslatorCore::configStateOf(const QString &path)
{
    ConfigFileState state;
    const QFileInfo info(path);
    state.exists = info.exists();
    if (state.exists) {
        state.size = info.size();
        if (!GetFileTimes(path, state.times))
            state.times = {};
    }
    return state;
}

void TranslatorCore::rememberConfigFiles()
{
    for (size_t i = 0; i < ConfigFileNames.size(); ++i)
        m_configAtStart[i] = configStateOf(m_programDir + u'/' + ConfigFileNames[i]);
    m_configChanged = {};
    m_changeNotices.clear();
    m_configLooked = false;
}

void TranslatorCore::checkConfigFiles()
{
    const QDateTime now = m_clock.now();
    const qint64 ms = now.toMSecsSinceEpoch();
    if (m_configLooked && ms >= m_configLookedAt && ms - m_configLookedAt < ConfigCheckInterval)
        return;
    m_configLooked = true;
    m_configLookedAt = ms;
    for (size_t i = 0; i < ConfigFileNames.size(); ++i) {
        if (m_configChanged[i] || configStateOf(m_programDir + u'/' + ConfigFileNames[i]) == m_configAtStart[i])
            continue;
        m_configChanged[i] = true;
        const QString notice =
            ConfigFileNames[i] + QStringLiteral(" changed since start-up: restart the program to use it");
        m_changeNotices.append(notice);
        for (int16_t folder = 1; folder <= WatchFolderCount; ++folder) {
            if (m_settings[folder].Active)
                WriteLog(m_programDir, notice, folder, now);
        }
        m_view.noticeAdded(notice);
    }
}
