#include "tests/support/WatchTestSupport.h"
#include "watch/FolderListing.h"

namespace {

using Scan = CoreTest;

TEST_F(Scan, ACompletedScanPausesTenSecondsAndShowsTheCounts)
{
    activate(1, watch1);
    addFile(watch1, QStringLiteral("Day1.xlsx"), 1000);
    addFile(watch1, QStringLiteral("Day0.TVX"), 1000);
    scanOnce();
    EXPECT_EQ(view.intervals.back(), 10000);
    EXPECT_EQ(view.intervals[view.intervals.size() - 2], 10);
    EXPECT_EQ(core->panel(1).FrameCaption, QStringLiteral("Watch Folder 1  (1 XLS Files) (1 TVX Files)"));
    EXPECT_EQ(pending(), QStringList{QStringLiteral("1:Day1.xlsx")});
}

TEST_F(Scan, NoticedChangeStartsThatFoldersScanAtTheNextTick)
{
    activate(1, watch1);
    activate(2, watch2);
    scanOnce();
    ASSERT_EQ(core->ScanFolder(), 1);
    addFile(watch1, QStringLiteral("Day1.xlsx"), 100);
    core->WatchFolderChanged(1);
    EXPECT_EQ(view.intervals.back(), TranslatorCore::ChangeBurstInterval) << "the pause is cut short";
    core->timeMain_Timer();
    EXPECT_EQ(core->ScanFolder(), 1) << "ahead of folder 2, whose turn it was";
    EXPECT_EQ(core->ScanState(), 1);
    scanOnce();
    EXPECT_EQ(pending(), QStringList{QStringLiteral("1:Day1.xlsx")});
    core->timeMain_Timer();
    EXPECT_EQ(core->ScanFolder(), 2) << "the turn goes on after the changed folder";
}

TEST_F(Scan, WatchFollowsTheSettingsAndTheWorkbooksOfTheLastScan)
{
    activate(1, watch1);
    addFile(watch1, QStringLiteral("Day1.xlsx"), 100);
    addFile(watch1, QStringLiteral("Day1.TVX"), 200);
    scanOnce();
    core->WatchFolderSettings()[1].Active = false;
    core->timeMain_Timer();
    const QStringList expected{QStringLiteral("1:") + watch1 + u':',
                               QStringLiteral("1:") + watch1 + QStringLiteral(":Day1.xlsx"), QStringLiteral("1::")};
    EXPECT_EQ(view.watches, expected) << "asked at the change, after the scan, and at the end";
}

TEST_F(Scan, ChangeNoticedDuringABurstIsScannedWhenTheBurstEnds)
{
    activate(1, watch1);
    activate(2, watch2);
    addFile(watch2, QStringLiteral("Day2.xlsx"), 100);
    core->timeMain_Timer(); // folder 1 selected
    core->timeMain_Timer();
    core->WatchFolderChanged(2);
    EXPECT_EQ(view.intervals.back(), TranslatorCore::ChangeBurstInterval) << "the burst is hurried on";
    while (core->ScanState() != 0)
        core->timeMain_Timer();
    EXPECT_EQ(core->ScanFolder(), 1);
    EXPECT_EQ(core->panel(1).FrameCaption, QStringLiteral("Watch Folder 1  (0 XLS Files) (0 TVX Files)"));
    EXPECT_EQ(view.intervals.back(), TranslatorCore::ChangePauseInterval) << "a short wait, not the pause";
    scanOnce();
    EXPECT_EQ(core->ScanFolder(), 2);
    EXPECT_EQ(pending(), QStringList{QStringLiteral("2:Day2.xlsx")});
    EXPECT_EQ(view.intervals.back(), TranslatorCore::ScanPauseInterval);
}

struct PairingCase {
    const char *name;
    int16_t format;
    std::vector<std::pair<const char *, time_t>> files;
    QStringList queued;
};

const PairingCase PairingCases[] = {
    {"NoEventFile", 0, {{"Day1.xlsx", 100}}, {"Day1.xlsx"}},
    {"Newer", 0, {{"Day1.xlsx", 200}, {"Day1.TVX", 100}}, {"Day1.xlsx"}},
    {"Equal", 0, {{"Day1.xlsx", 100}, {"Day1.TVX", 100}}, {}},
    {"Older", 0, {{"Day1.xlsx", 100}, {"Day1.TVX", 200}}, {}},
    {"PrefixWithoutCase", 0, {{"Day1.XLSX", 100}, {"dAY1.tvx", 200}}, {}},
    {"PrefixUpToFirstDot", 0, {{"Day1.final.xlsx", 100}, {"Day1.TVX", 200}}, {}},
    {"EqualPrefixPairsFirstOnly", 0, {{"day1.b.xlsx", 100}, {"Day1.a.xlsx", 100}, {"DAY1.TVX", 200}}, {"day1.b.xlsx"}},
    {"HiddenAndLockFilesSkipped", 0, {{".Day1.xlsx", 100}, {"~$Day1.xlsx", 100}}, {}},
    {"ListingOrderedWithoutCase", 0, {{"b.xlsx", 1}, {"A.xlsx", 1}, {"a.xlsx", 1}}, {"A.xlsx", "a.xlsx", "b.xlsx"}},
    {"OtherFormatListsText", 1, {{"a.txt", 100}, {"Day2.xlsx", 100}}, {"a.txt"}},
};

class Pairing : public CoreTest, public ::testing::WithParamInterface<PairingCase>
{
};

TEST_P(Pairing, QueuesWhatHasNoUpToDateEventFile)
{
    activate(1, watch1, GetParam().format);
    for (const auto &[name, time] : GetParam().files)
        addFile(watch1, QString::fromUtf8(name), time);
    ASSERT_TRUE(QDir(watch1).mkdir(QStringLiteral("Folder.xlsx")));
    scanOnce();
    QStringList queued = pending();
    for (QString &entry : queued)
        entry.remove(0, 2);
    EXPECT_EQ(queued, GetParam().queued);
}

INSTANTIATE_TEST_SUITE_P(Scan, Pairing, ::testing::ValuesIn(PairingCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(Scan, AnEventFileOfTheOtherFolderDoesNotPairWithASpreadsheet)
{
    activate(1, watch1);
    activate(2, watch2);
    addFile(watch1, QStringLiteral("Day1.TVX"), 200);
    addFile(watch2, QStringLiteral("Day1.xlsx"), 100);
    addFile(watch2, QStringLiteral("Other.TVX"), 300);
    scanOnce();
    scanOnce();
    EXPECT_EQ(pending(), QStringList{QStringLiteral("2:Day1.xlsx")});
}

TEST_F(Scan, DeactivatedFolderEmptiesItsLastFileButKeepsItsCaption)
{
    activate(1, watch1, 1);
    addFile(watch1, QStringLiteral("Day1.txt"), 100);
    scanOnce();
    core->timeWatch_Timer();
    ASSERT_EQ(core->panel(1).LastFile, QStringLiteral("Day1.TVX  14:05:33"));
    const QString caption = core->panel(1).FrameCaption;

    core->WatchFolderSettings()[1].Active = false;
    core->timeMain_Timer();
    EXPECT_FALSE(core->panel(1).Enabled);
    EXPECT_TRUE(core->panel(1).LastFile.isEmpty());
    EXPECT_EQ(core->panel(1).FrameCaption, caption);
}

TEST_F(Scan, PathWithoutSeparatorListsThatFolderAndEmptyPathNoFolder)
{
    activate(1, watch1.chopped(1));
    addFile(watch1, QStringLiteral("Day1.xlsx"), 100);
    // A neighbour whose name extends the folder's must not be listed.
    ASSERT_TRUE(QDir(programDir.path()).mkdir(QStringLiteral("watch1x")));
    addFile(programDir.filePath(QStringLiteral("watch1x/")), QStringLiteral("Other.xlsx"), 100);
    scanOnce();
    EXPECT_EQ(pending(), QStringList{QStringLiteral("1:Day1.xlsx")});
    EXPECT_NE(core->SpreadsheetList()[0].Times.LastWriteTime, 0u);

    core->WatchFolderSettings()[1].Path.clear();
    scanOnce();
    EXPECT_EQ(core->panel(1).FrameCaption, QStringLiteral("Watch Folder 1  (folder not found)"));
}

} // namespace

namespace {

TEST(FolderListing, WildcardsMatchWholeNamesWithoutCase)
{
    const std::tuple<const char *, const char *, bool> cases[] = {{"Day1.xlsx", "*.XLSX", true},
                                                                  {"Day1.xls", "*.XLSX", false},
                                                                  {"ab.TVX", "?b.tvx", true},
                                                                  {"Day1.a.xlsx", "day?.*.XLSX", true},
                                                                  {"Day1.xlsx", "*.XLS?", true},
                                                                  {"Day1.xlsx.bak", "*.XLSX", false},
                                                                  {"x", "*", true}};
    for (const auto &[name, pattern, matches] : cases)
        EXPECT_EQ(MatchesWildcard(QString::fromUtf8(name), QString::fromUtf8(pattern)), matches) << name << pattern;
}

} // namespace
