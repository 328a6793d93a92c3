#include "config/WatchSettings.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class WatchSettingsTest : public testing::Test
{
protected:
    WatchSettingsTable load(const QByteArray &folder1Keys)
    {
        {
            QFile file(path);
            if (file.open(QIODevice::WriteOnly))
                file.write("[Watch_Folder_1_Settings]\r\n" + folder1Keys + "\r\n");
        }
        return load();
    }
    WatchSettingsTable load()
    {
        WatchSettingsTable table;
        table[0].Path = QStringLiteral("slot0");
        LoadWatchSettings(dir.path(), table);
        return table;
    }
    QByteArray bytes() const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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
    EXPECT_EQ(table[0].Path, QStringLiteral("slot0"));
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(WatchSettingsTest, ActiveIsExactlyOne)
{
    for (const char *value : {"1", "1.0", "1x", "  1  ", "\"1\"", "&H1"})
        EXPECT_TRUE(load(QByteArray("Active=") + value)[1].Active) << value;
    for (const char *value : {"-1", "2", "yes", "", "0", "1e400"})
        EXPECT_FALSE(load(QByteArray("Active=") + value)[1].Active) << value;
}

TEST_F(WatchSettingsTest, FormatRoundsHalfToEvenAndOutOfRangeIsZero)
{
    const std::pair<const char *, int16_t> cases[] = {{"1.5", 2},         {"2.5", 2},       {"abc", 0},
                                                      {"-1", -1},         {"32767", 32767}, {"32768", 0},
                                                      {"-32768", -32768}, {"-32769", 0},    {"1e400", 0}};
    for (const auto &[value, format] : cases)
        EXPECT_EQ(load(QByteArray("Format=") + value)[1].Format, format) << value;
}

TEST_F(WatchSettingsTest, PathLoadsTrimmedOtherwiseUnchanged)
{
    EXPECT_EQ(load("Path=")[1].Path, QString());
    EXPECT_EQ(load("Path=  \"  /in \" ")[1].Path, QStringLiteral("/in"));
    const WatchSettingsTable table = load("Path=D:\\x");
    EXPECT_EQ(table[1].Path, QStringLiteral("D:\\x"));
    EXPECT_EQ(table[2].Path, DefaultWatchPath());
}

TEST_F(WatchSettingsTest, SaveWritesAllSixKeysAndRoundTrips)
{
    WatchSettingsTable table;
    table[0] = {true, QStringLiteral("never"), 9};
    table[1] = {true, QStringLiteral("  /a/  "), -1};
    EXPECT_EQ(SaveWatchSettings(dir.path(), table), "");
    EXPECT_EQ(bytes(), "[Watch_Folder_1_Settings]\r\nActive=1\r\nPath=/a/\r\nFormat=-1\r\n"
                       "[Watch_Folder_2_Settings]\r\nActive=0\r\nPath=\r\nFormat=0\r\n");
    const WatchSettingsTable loaded = load();
    EXPECT_TRUE(loaded[1].Active);
    EXPECT_EQ(loaded[1].Path, QStringLiteral("/a/"));
    EXPECT_EQ(loaded[1].Format, -1);
    EXPECT_EQ(loaded[2].Path, QString());
}

} // namespace
