#pragma once

#include "events/Clock.h"
#include "tests/support/Files.h"
#include "tests/support/TestPlatform.h"
#include "watch/TranslatorCore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

// Remembers what the core tells its window that the tests look at.
class RecordingView final : public WatchView
{
public:
    void panelChanged(int, const PanelState &) override {}
    void setMainTimerInterval(int milliseconds) override { intervals.push_back(milliseconds); }
    void logLineWritten(int folder, const QString &line) override { logLines.push_back({folder, line}); }
    void noticeAdded(const QString &notice) override { notices.append(notice); }

    std::vector<int> intervals;
    std::vector<std::pair<int, QString>> logLines;
    QStringList notices;
};

// Sets the last-write time to the given second since 1970, so tests order files without sleeping.
inline void SetWriteTime(const QString &path, time_t seconds)
{
    ASSERT_TRUE(SetFileTimesSince1970(path, seconds, 0, seconds)) << path.toStdString();
}

// A program folder and two watch folders, with a core whose settings the test sets directly.
class CoreTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(programDir.isValid());
        ASSERT_TRUE(QDir(programDir.path()).mkpath(QStringLiteral("watch1")));
        ASSERT_TRUE(QDir(programDir.path()).mkpath(QStringLiteral("watch2")));
        watch1 = programDir.filePath(QStringLiteral("watch1")) + u'/';
        watch2 = programDir.filePath(QStringLiteral("watch2")) + u'/';
        core = std::make_unique<TranslatorCore>(programDir.path(), clock, view);
        core->Form_Load();
    }

    void activate(int folder, const QString &path, int16_t format = 0)
    {
        auto &settings = core->WatchFolderSettings()[static_cast<size_t>(folder)];
        settings.Active = true;
        settings.Path = path;
        settings.Format = format;
    }

    void addFile(const QString &folderPath, const QString &name, time_t writeTime, const QByteArray &bytes = {})
    {
        WriteBytes(folderPath + name, bytes);
        SetWriteTime(folderPath + name, writeTime);
    }

    // Ticks timeMain until a folder's scan has completed.
    void scanOnce()
    {
        int ticks = 0;
        do
            core->timeMain_Timer();
        while ((core->ScanState() != 0 || view.intervals.back() != TranslatorCore::ScanPauseInterval) &&
               ++ticks < 100000);
    }

    // The messages of the log lines written, without their time.
    QStringList messages() const
    {
        QStringList result;
        for (const auto &[folder, line] : view.logLines)
            result.append(line.mid(21)); // after "12-04-2026  14:05:33 "
        return result;
    }

    // Pending requests in queue order as "folder:name".
    QStringList pending() const
    {
        QStringList names;
        for (const ConversionRequest &request : core->ConversionQueue())
            if (request.Pending)
                names.append(QString::number(request.Folder) + u':' + request.FileName);
        return names;
    }

    QTemporaryDir programDir;
    QString watch1, watch2;
    ManualClock clock{QDateTime(QDate(2026, 12, 4), QTime(14, 5, 33))};
    RecordingView view;
    std::unique_ptr<TranslatorCore> core;
};
