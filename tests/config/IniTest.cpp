#include "config/Ini.h"

#include "tests/support/Files.h"

#include <QDir>
#include <QTemporaryDir>

namespace {

const QString Default = QStringLiteral("<default>");

class IniFileTest : public testing::Test
{
protected:
    QString read(const char *section, const char *key) const
    {
        return ReadIniString(path, QString::fromUtf8(section), QString::fromUtf8(key), Default);
    }

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("t.ini"));
};

TEST_F(IniFileTest, ReadsTheFirstKeyOfTheFirstSectionOfThatName)
{
    const QByteArray x300(300, 'x');
    const struct {
        QByteArray file;
        const char *section, *key;
        QString value;
    } cases[] = {
        {"[sEc]\r\nKEY=v\r\n", "Sec", "key", QStringLiteral("v")},
        {" \t[ S ]\t\r\n \tk \t=\t v w \t\r\n", " S\t", " k ", QStringLiteral("v w")},
        {"[S] junk]\nk=v\n", "S", "k", QStringLiteral("v")},
        {"[S]\n;k=v\n", "S", ";k", QStringLiteral("v")},
        {"k=v\n[S]\n", "S", "k", Default},
        {"[S]\na=1\n[T]\n[s]\nk=2\n", "S", "k", Default},
        {"[S]\nk\nk=1\nK=2\n", "S", "k", QStringLiteral("1")},
        {"[S]\nk = a=b\n", "S", "k", QStringLiteral("a=b")},
        {"[S]\nk=\n", "S", "k", QString()},
        {"[S]\nk=\" a \"\n", "S", "k", QStringLiteral(" a ")},
        {"[S]\nk='a'\n", "S", "k", QStringLiteral("a")},
        {"[S]\nk=\"a'\n", "S", "k", QStringLiteral("\"a'")},
        {"[S]\nk=\"\"a\"\"\n", "S", "k", QStringLiteral("\"a\"")},
        {"[S]\nk=\"\n", "S", "k", QStringLiteral("\"")},
        {"[S]\nk=\"" + x300 + "\"\n", "S", "k", QString(254, u'x')},
        {"\xEF\xBB\xBF[S]\r\nk=v\r\n", "S", "k", QStringLiteral("v")},
        {"[\xC3\x84]\nk=caf\xC3\xA9\n", "\xC3\xA4", "k", QStringLiteral(u"caf\u00E9")},
        {"[S]\nk=caf\xE9 \x80\x81\x9F\n", "S", "k", QStringLiteral(u"caf\u00E9 \u20AC\u0081\u0178")},
    };
    for (const auto &c : cases) {
        WriteBytes(path, c.file);
        EXPECT_EQ(read(c.section, c.key), c.value) << c.file.constData();
    }
    QFile::remove(path);
    EXPECT_EQ(read("S", "k"), Default);
    EXPECT_EQ(ReadIniString(path, QStringLiteral("S"), QStringLiteral("k"), QString::fromLatin1(x300)),
              QString(254, u'x'));
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(IniFileTest, RewritesOnlyTheKeyAndKeepsEverythingElse)
{
    const struct {
        QByteArray before;
        const char *section, *key;
        QString value;
        QByteArray after;
    } cases[] = {
        {"; n\r\n[Other]\nk=x\n[s]\n  K = old\r\nz=1\n  junk", "S", "k", QStringLiteral("new"),
         "; n\r\n[Other]\nk=x\n[s]\nK=new\r\nz=1\n  junk"},
        {"[S]\nk=1", "S", "k", QStringLiteral("2"), "[S]\nk=2\r\n"},
        {"[S]\r\na=1\r\n\r\n[T]\r\nb=2\r\n", "s", "c", QStringLiteral("3"), "[S]\r\na=1\r\nc=3\r\n\r\n[T]\r\nb=2\r\n"},
        {"[S]\nk=1\n[S]\nj=2\n", "S", "j", QStringLiteral("3"), "[S]\nk=1\nj=3\r\n[S]\nj=2\n"},
        {"[T]\r\nb=2", "S", "k", QStringLiteral("v"), "[T]\r\nb=2\r\n[S]\r\nk=v\r\n"},
        {"", "S", "k", QStringLiteral("a\r\nb\rc"), "[S]\r\nk=a  b c\r\n"},
        {"[S]\r\nn=caf\xE9\r\n", "S", "k", QStringLiteral(u"\u20AC"), "[S]\r\nn=caf\xC3\xA9\r\nk=\xE2\x82\xAC\r\n"},
        {"\xEF\xBB\xBF[S]\r\nk=1\r\n", "S", "k", QStringLiteral("2"), "\xEF\xBB\xBF[S]\r\nk=2\r\n"},
    };
    for (const auto &c : cases) {
        WriteBytes(path, c.before);
        EXPECT_EQ(WriteIniString(path, QString::fromUtf8(c.section), QString::fromUtf8(c.key), c.value).reason, "");
        EXPECT_EQ(ReadBytes(path), c.after) << c.before.constData();
    }
    QFile::remove(path);
    EXPECT_EQ(WriteIniString(path, QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v")).reason, "");
    EXPECT_EQ(ReadBytes(path), "[S]\r\nk=v\r\n");
    EXPECT_EQ(WriteIniString(dir.filePath(QStringLiteral("absent/t.ini")), QStringLiteral("S"), QStringLiteral("k"), {})
                  .reason,
              "No such file or directory");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("t.ini")}); // no temporary file, no folder made
}

} // namespace
