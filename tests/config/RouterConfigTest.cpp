#include "config/RouterConfig.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class RouterConfigTest : public testing::Test
{
protected:
    void put(const char *name, const QByteArray &bytes)
    {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    void loadInputs(const QByteArray &list)
    {
        put("RT-IN1.LST", list);
        config.RouterInputTable[5].Name = QStringLiteral("stale");
        LoadRouterInputs(dir.path(), config);
    }
    int16_t find(const QString &name) const { return FindRouterInput(config, name); }

    QTemporaryDir dir;
    RouterConfig config;
};

QByteArray Record(int n, const QByteArray &name)
{
    return "#TRUE#,\"A\",\"B\"," + QByteArray::number(n) + ",\"" + name +
           "\",#TRUE#,#FALSE#,#FALSE#,#FALSE#,#FALSE#,#FALSE#,#FALSE#,#TRUE#\r\n";
}

TEST_F(RouterConfigTest, DestinationsFromSectionsWithBlank)
{
    put("DWX.INI", "[VR7]\r\nVR_Destination_Output=99\r\n"
                   "[VR 0]\r\nVR_Destination_Router=2\r\nVR_Destination_Output=12.5\r\nVR_Destination_Name= A \r\n"
                   "[vr 1]\r\nVR_Destination_Output=abc\r\nVR_Destination_Name=\r\n"
                   "[VR 2]\r\nVR_Destination_Output=40000\r\nVR_Destination_Router=-32769\r\n"
                   "[VR 3]\r\nVR_Destination_Output=" +
                       QByteArray(254, '0') + "7\r\n[VR 32]\r\nVR_Destination_Output=13.5\r\n");
    LoadRouterDestinations(dir.path(), config);
    const auto &d = config.RouterDestination;
    EXPECT_EQ(d[7].Router, 1);
    EXPECT_EQ(d[7].Output, 7);
    EXPECT_EQ(d[7].Name, QStringLiteral("OUT 7"));
    EXPECT_EQ(d[0].Router, 2);
    EXPECT_EQ(d[0].Output, 12);
    EXPECT_EQ(d[0].Name, QStringLiteral("A"));
    EXPECT_EQ(d[1].Output, 0);
    EXPECT_EQ(d[1].Name, QString());
    EXPECT_EQ(d[2].Output, 0);
    EXPECT_EQ(d[2].Router, 0);
    EXPECT_EQ(d[3].Output, 0); // cut to 254 zeros before the number is read
    EXPECT_EQ(d[32].Output, 14);
}

TEST_F(RouterConfigTest, WellFormedList)
{
    loadInputs(Record(1, "CAM 1") + Record(2, "Cam 2") + Record(3, "CAM 1"));
    const RouterInputEntry &e = config.RouterInputTable[2];
    EXPECT_TRUE(e.Flag);
    EXPECT_EQ(e.TextA + e.TextB, QStringLiteral("AB"));
    EXPECT_EQ(e.Number, 2);
    EXPECT_EQ(e.Name, QStringLiteral("Cam 2"));
    EXPECT_EQ(e.Level, (std::array<bool, 9>{false, true, false, false, false, false, false, false, true}));
    EXPECT_EQ(config.RouterInputTable[5].Name, QString());
    EXPECT_EQ(find(QStringLiteral("cam 2")), 2);
    EXPECT_EQ(find(QStringLiteral("cam 1")), 1);
    EXPECT_EQ(find(QStringLiteral("CAM 2 ")), 0);
    EXPECT_EQ(find(QString()), 0);
}

TEST_F(RouterConfigTest, RaggedList)
{
    // An empty line is one empty field (TextB); the second record is cut short by the end of the file.
    loadInputs("  #true#  ,  \"A, x\" junk\n\r\n70000,  Name one  \n1,0,-1,yes, #FALSE#,\t#TRUE#\t,2.5,&H0\r\n"
               "#FALSE#,\"Caf\xE9\" junk,  1x,");
    const RouterInputEntry &a = config.RouterInputTable[1];
    EXPECT_TRUE(a.Flag);
    EXPECT_EQ(a.TextA, QStringLiteral("A, x"));
    EXPECT_EQ(a.TextB, QString());
    EXPECT_EQ(a.Number, 0);
    EXPECT_EQ(a.Name, QStringLiteral("Name one  "));
    EXPECT_EQ(a.Level, (std::array<bool, 9>{false, true, false, true, false, false, true, true, false}));
    const RouterInputEntry &b = config.RouterInputTable[2];
    EXPECT_FALSE(b.Flag);
    EXPECT_EQ(b.TextA, QStringLiteral(u"Caf\u00E9"));
    EXPECT_EQ(b.TextB, QStringLiteral("1x"));
    EXPECT_EQ(b.Name, QString());
    EXPECT_EQ(find(QStringLiteral("NAME ONE  ")), 1);
    EXPECT_EQ(find(QStringLiteral("Name one")), 0);

    loadInputs("#TRUE#,\"no end\r\nstill");
    EXPECT_EQ(config.RouterInputTable[1].TextA, QStringLiteral("no end\r\nstill"));
}

TEST_F(RouterConfigTest, RecordsAfter1280Ignored)
{
    QByteArray list;
    for (int n = 1; n <= 1300; ++n)
        list += Record(n, "IN " + QByteArray::number(n));
    loadInputs(list);
    ASSERT_EQ(config.RouterInputTable.size(), size_t(RouterInputCount + 1));
    EXPECT_EQ(find(QStringLiteral("in 1280")), 1280);
    EXPECT_EQ(find(QStringLiteral("IN 1281")), 0);
}

TEST_F(RouterConfigTest, MissingListLeavesTableEmpty)
{
    config.RouterInputTable[1].Name = QStringLiteral("OLD");
    LoadRouterInputs(dir.path(), config);
    EXPECT_EQ(config.RouterInputTable.size(), size_t(RouterInputCount + 1));
    EXPECT_EQ(find(QStringLiteral("OLD")), 0);
}

TEST_F(RouterConfigTest, LookupWithoutIndexScansTable)
{
    config.RouterInputTable[4].Name = QStringLiteral(u"Stra\u00DFe");
    config.RouterInputTable[6].Name = QStringLiteral("vt");
    EXPECT_EQ(find(QStringLiteral("VT")), 6);
    IndexRouterInputs(config);
    EXPECT_EQ(find(QStringLiteral("VT")), 6);
    EXPECT_EQ(find(QStringLiteral("STRASSE")), 4);
}

} // namespace
