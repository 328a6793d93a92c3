#include "config/WatchSettings.h"

#include "tests/support/Files.h"

#include <QTemporaryDir>

namespace {

class WatchSettingsTest : public testing::Test
{
protected:
    WatchSettingsTable load(const QByteArray &folder1Keys = {})
    {
        if (!folder1Keys.isEmpty())
            WriteBytes(path, "[Watch_Folder_1_Settings]\r\n" + folder1Keys + "\r\n");
        WatchSettingsTable table;
        LoadWatchSettings(dir.path(), table);
        return table;
    }

    QTemporaryDir dir;
    QString path = TranslatorIniPath(dir.path());
};

TEST_F(WatchSettingsTest, MissingFileGivesDefaultsAndIsNotCreated)
{
    const WatchSettingsTable table = load();
    for (int folder : {1, 2}) {
        EXPECT_FALSE(table[folder].Active);
        EXPECT_EQ(table[folder].Path, DefaultWatchPath());
        EXPECT_EQ(table[folder].Format, 0);
    }
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(WatchSettingsTest, ActiveIsExactlyOneAndPathIsTrimmed)
{
    for (const char *value : {"1", "1.0", "  1  ", "\"1\""})
        EXPECT_TRUE(load(QByteArray("Active=") + value)[1].Active) << value;
    for (const char *value : {"-1", "2", "yes", ""})
        EXPECT_FALSE(load(QByteArray("Active=") + value)[1].Active) << value;
    EXPECT_EQ(load("Path=  \"  /in \" ")[1].Path, QStringLiteral("/in"));
}

} // namespace
