#include "config/WatchSettings.h"

#include "tests/support/Files.h"

#include <QTemporaryDir>

namespace {

TEST(WatchSettings, ActiveIsExactlyOneAndPathIsTrimmed)
{
    QTemporaryDir dir;
    const auto load = [&dir](const QByteArray &folder1Keys) {
        WriteBytes(TranslatorIniPath(dir.path()), "[Watch_Folder_1_Settings]\r\n" + folder1Keys + "\r\n");
        WatchSettingsTable table;
        LoadWatchSettings(dir.path(), table);
        return table[1];
    };
    for (const char *value : {"1", "1.0", "  1  ", "\"1\""})
        EXPECT_TRUE(load(QByteArray("Active=") + value).Active) << value;
    for (const char *value : {"-1", "2", "yes", ""})
        EXPECT_FALSE(load(QByteArray("Active=") + value).Active) << value;
    EXPECT_EQ(load("Path=  \"  /in \" ").Path, QStringLiteral("/in"));
}

} // namespace
