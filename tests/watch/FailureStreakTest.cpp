#include "watch/FailureStreak.h"

#include "tests/support/Files.h"

#include <vector>

namespace {

// One failed attempt: seconds after the first, its reason, and the line it logs ("" for none).
struct Attempt {
    int second;
    const char *reason;
    const char *logged;
};

TEST(FailureStreak, TheSameReasonIsLoggedAtGrowingIntervalsANewOneAtOnce)
{
    const Attempt attempts[] = {
        {0, "held", "TVX File not made for : Day1.xlsx (held)"},
        {10, "held", ""},
        {59, "held", ""},
        {60, "held", "TVX File still not made for : Day1.xlsx (held), 4 attempts since 14:05:33"},
        {179, "held", ""},
        {180, "held", "TVX File still not made for : Day1.xlsx (held), 6 attempts since 14:05:33"},
        {190, "full", "TVX File not made for : Day1.xlsx (full)"},
        {249, "full", ""},
        {250, "full", "TVX File still not made for : Day1.xlsx (full), 9 attempts since 14:05:33"},
    };
    const QDateTime first(QDate(2026, 12, 4), QTime(14, 5, 33));
    FailureStreak streak;
    for (const Attempt &attempt : attempts) {
        SCOPED_TRACE(attempt.second);
        const auto line =
            streak.failed("Day1.xlsx", Failure{QString::fromUtf8(attempt.reason)}, first.addSecs(attempt.second));
        EXPECT_EQ(line.value_or(QString()), QString::fromUtf8(attempt.logged));
    }

    // An attempt every 10 s for half a day: the intervals double from 2 minutes and stop growing at an hour.
    std::vector<int> gaps;
    int attemptCount = 9;
    for (int second = 260, lastLogged = 250; second < 12 * 3600; second += 10, ++attemptCount) {
        if (streak.failed("Day1.xlsx", Failure{"full"}, first.addSecs(second))) {
            gaps.push_back(second - lastLogged);
            lastLogged = second;
        }
    }
    EXPECT_EQ(gaps,
              std::vector<int>({120, 240, 480, 960, 1920, 3600, 3600, 3600, 3600, 3600, 3600, 3600, 3600, 3600, 3600}));
    EXPECT_EQ(streak.madeMessage("Day1.xlsx"),
              "TVX File made for : Day1.xlsx after " + QString::number(attemptCount) + " failed attempts");
}

} // namespace
