#include "config/RouterConfig.h"

#include "tests/support/Files.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

class RouterConfigTest : public testing::Test
{
protected:
    void put(const char *name, const QByteArray &bytes) { WriteBytes(dir.filePath(QString::fromLatin1(name)), bytes); }
    void loadInputs(const QByteArray &list)
    {
        put("RT-IN1.LST", list);
        config.RouterInputTable[5].Name = QStringLiteral("stale");
        EXPECT_FALSE(LoadRouterInputs(dir.path(), config));
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

// An input entry as "flag|TextA|TextB|Number|Name|levels 1 to 8".
QString Fields(const RouterInputEntry &e)
{
    QString levels;
    for (size_t level = 1; level <= 8; ++level)
        levels += e.Level[level] ? u'1' : u'0';
    return QStringLiteral("%1|%2|%3|%4|%5|%6").arg(int(e.Flag)).arg(e.TextA, e.TextB).arg(e.Number).arg(e.Name, levels);
}

TEST_F(RouterConfigTest, DestinationsComeFromSectionsNamedWithABlank)
{
    put("DWX.INI", "[VR7]\r\nVR_Destination_Output=99\r\n"
                   "[VR 0]\r\nVR_Destination_Router=2\r\nVR_Destination_Output=12.5\r\nVR_Destination_Name= A \r\n"
                   "[vr 1]\r\nVR_Destination_Output=abc\r\nVR_Destination_Name=\r\n"
                   "[VR 2]\r\nVR_Destination_Output=40000\r\nVR_Destination_Router=-32769\r\n"
                   "[VR 3]\r\nVR_Destination_Output=" +
                       QByteArray(254, '0') + "7\r\n[VR 32]\r\nVR_Destination_Output=13.5\r\n");
    EXPECT_FALSE(LoadRouterDestinations(dir.path(), config));
    const struct {
        int vr, router, output;
        const char *name;
    } cases[] = {{7, 1, 7, "OUT 7"}, {0, 2, 12, "A"},    {1, 1, 0, ""},
                 {2, 0, 0, "OUT 2"}, {3, 1, 0, "OUT 3"}, {32, 1, 14, "OUT 32"}};
    for (const auto &c : cases) {
        const RouterDestinationEntry &d = config.RouterDestination[size_t(c.vr)];
        EXPECT_EQ(d.Router, c.router) << c.vr;
        EXPECT_EQ(d.Output, c.output) << c.vr; // VR 3: cut to 254 zeros before the number is read
        EXPECT_EQ(d.Name, QLatin1String(c.name)) << c.vr;
    }
}

TEST_F(RouterConfigTest, ARaggedListIsReadFieldByField)
{
    // An empty line is one empty field (TextB); the second record is cut short by the end of the file.
    loadInputs("  #true#  ,  \"A, x\" junk\n\r\n70000,  Name one  \n1,0,-1,yes, #FALSE#,\t#TRUE#\t,2.5,&H0\r\n"
               "#FALSE#,\"Caf\xE9\" junk,  1x,");
    EXPECT_EQ(Fields(config.RouterInputTable[1]), "1|A, x||0|Name one  |10100110");
    EXPECT_EQ(Fields(config.RouterInputTable[2]), QString::fromUtf8("0|Café|1x|0||00000000"));
    EXPECT_EQ(find(QStringLiteral("NAME ONE  ")), 1);
    EXPECT_EQ(find(QStringLiteral("Name one")), 0);
    EXPECT_EQ(config.RouterInputTable[5].Name, QString()); // nothing left of the last load

    loadInputs("#TRUE#,\"no end\r\nstill");
    EXPECT_EQ(config.RouterInputTable[1].TextA, QStringLiteral("no end\r\nstill"));
    loadInputs("#TRUE#,a\rb,c"); // a CR without LF separates nothing
    EXPECT_EQ(config.RouterInputTable[1].TextA + u'|' + config.RouterInputTable[1].TextB, QStringLiteral("a\rb|c"));
}

TEST_F(RouterConfigTest, NamesAreFoundWithoutCaseUpToRecord1280AndAMissingListEmptiesTheTable)
{
    QByteArray list = Record(1, "CAM 1") + Record(2, "Cam 2") + Record(3, "CAM 1") +
                      Record(4, "Stra\xC3\x9F"
                                "e");
    for (int n = 5; n <= 1300; ++n)
        list += Record(n, "IN " + QByteArray::number(n));
    loadInputs(list);
    EXPECT_EQ(Fields(config.RouterInputTable[2]), "1|A|B|2|Cam 2|10000001");
    const std::pair<const char *, int> found[] = {{"cam 2", 2},   {"cam 1", 1},      {"CAM 2 ", 0}, {"", 0},
                                                  {"STRASSE", 4}, {"in 1280", 1280}, {"IN 1281", 0}};
    for (const auto &[name, input] : found)
        EXPECT_EQ(find(QString::fromUtf8(name)), input) << name;

    QFile::remove(dir.filePath(QStringLiteral("RT-IN1.LST")));
    EXPECT_TRUE(LoadRouterInputs(dir.path(), config));
    EXPECT_FALSE(config.inputsRead) << "sources are no longer checked against a list";
    EXPECT_EQ(config.RouterInputTable.size(), size_t(RouterInputCount + 1));
    EXPECT_EQ(find(QStringLiteral("in 1280")), 0);
}

} // namespace
