#include "tests/support/WatchTestSupport.h"
#include "watch/FolderListing.h"

namespace {

using Scan = CoreTest;

// Folder 2's workbook is older than folder 1's event file of the same name. A change noticed during a burst is
// scanned after a short wait, not the pause.
TEST_F(Scan, ACompletedScanPausesTenSecondsUnlessAChangeWasNoticedThenThatFolderIsNext)
{
    activate(1, watch1);
    activate(2, watch2);
    addFile(watch1, QStringLiteral("Day0.TVX"), 100);
    addFile(watch2, QStringLiteral("Day0.xlsx"), 50);
    addFile(watch2, QStringLiteral("Other.TVX"), 300);
    scanOnce();
    EXPECT_EQ(view.intervals.back(), 10000);
    addFile(watch1, QStringLiteral("Day1.xlsx"), 100);
    core->watchFolderChanged(1);
    EXPECT_EQ(view.intervals.back(), TranslatorCore::ChangeBurstInterval) << "the pause is cut short";
    scanOnce();
    EXPECT_EQ(core->ScanFolder(), 1) << "ahead of folder 2, whose turn it was";
    EXPECT_EQ(core->panel(1).frameCaption, QStringLiteral("Watch Folder 1  (1 XLS Files) (1 TVX Files)"));
    EXPECT_EQ(pending(), QStringList{QStringLiteral("1:Day1.xlsx")});

    core->timeMain_Timer(); // folder 2's scan starts
    core->watchFolderChanged(1);
    do
        core->timeMain_Timer();
    while (core->ScanState() != 0);
    EXPECT_EQ(view.intervals.back(), TranslatorCore::ChangePauseInterval) << "a change noticed during a burst";
    EXPECT_EQ(pending(), QStringList({"1:Day1.xlsx", "2:Day0.xlsx"})) << "folder 1's event file pairs with none of 2";
}

struct PairingCase {
    const char *name;
    std::vector<std::pair<const char *, time_t>> files;
    QStringList queued;
};

const PairingCase PairingCases[] = {
    {"Newer", {{"Day1.xlsx", 200}, {"Day1.TVX", 100}}, {"1:Day1.xlsx"}},
    {"Equal", {{"Day1.xlsx", 100}, {"Day1.TVX", 100}}, {}},
    {"EqualPrefixPairsFirstOnlyWithoutCase",
     {{"day1.b.xlsx", 100}, {"Day1.a.xlsx", 100}, {"DAY1.TVX", 200}},
     {"1:day1.b.xlsx"}},
    {"HiddenAndLockFilesSkipped", {{".Day1.xlsx", 100}, {"~$Day1.xlsx", 100}}, {}},
    {"LinksPairByTheirTargets",
     {{"@Day1.xlsx", 100}, {"Day1.TVX", 200}, {"@Day2.xlsx", 300}, {"Day2.TVX", 200}},
     {"1:Day2.xlsx"}},
};

class Pairing : public CoreTest, public ::testing::WithParamInterface<PairingCase>
{
};

TEST_P(Pairing, QueuesWhatHasNoUpToDateEventFile)
{
    activate(1, watch1);
    for (const auto &[name, time] : GetParam().files) {
        const QString file = QString::fromUtf8(name).remove(u'@'); // "@Name": a link to a file of folder 2
        addFile(*name == '@' ? watch2 : watch1, file, time);
        ASSERT_TRUE(*name != '@' || QFile::link(watch2 + file, watch1 + file));
    }
    ASSERT_TRUE(QDir(watch1).mkdir(QStringLiteral("Folder.xlsx")));
    scanOnce();
    EXPECT_EQ(pending(), GetParam().queued);
}

INSTANTIATE_TEST_SUITE_P(Scan, Pairing, ::testing::ValuesIn(PairingCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(Scan, DeactivatedFolderEmptiesItsLastFileButKeepsItsCaption)
{
    activate(1, watch1, 1);
    addFile(watch1, QStringLiteral("Day1.txt"), 100);
    scanOnce();
    core->timeWatch_Timer();
    ASSERT_EQ(core->panel(1).lastFile, QStringLiteral("Day1.TVX  14:05:33"));
    const QString caption = core->panel(1).frameCaption;
    core->WatchFolderSettings()[1].Active = false;
    core->timeMain_Timer();
    EXPECT_FALSE(core->panel(1).enabled);
    EXPECT_TRUE(core->panel(1).lastFile.isEmpty());
    EXPECT_EQ(core->panel(1).frameCaption, caption);
}

TEST(FolderListing, WildcardsMatchWholeNamesWithoutCase)
{
    const std::tuple<const char *, const char *, bool> cases[] = {{"Day1.xlsx", "*.XLSX", true},
                                                                  {"Day1.xlsx", "*.XLS?", true},
                                                                  {"ab.TVX", "?b.tvx", true},
                                                                  {"Day1.a.xlsx", "day?.*.XLSX", true},
                                                                  {"Day1.xlsx.bak", "*.XLSX", false}};
    for (const auto &[name, pattern, matches] : cases)
        EXPECT_EQ(MatchesWildcard(QString::fromUtf8(name), QString::fromUtf8(pattern)), matches) << name << pattern;
}

} // namespace
