#include "output/EventFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

struct CodesCase {
    const char *label;
    QString text;
    QString expected;
};

class ByteCodesTest : public testing::TestWithParam<CodesCase>
{
};

TEST_P(ByteCodesTest, LowByteThenHighByte)
{
    EXPECT_EQ(TextToByteCodes(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, ByteCodesTest,
                         testing::Values(CodesCase{"empty", "", ""},
                                         CodesCase{"ascii", "News", "78-0-101-0-119-0-115-0"},
                                         CodesCase{"latin", QStringLiteral("é"), "233-0"},
                                         CodesCase{"euro", QStringLiteral("€"), "172-32"},
                                         CodesCase{"surrogates", QString::fromUcs4(U"\U0001F600"), "61-216-0-222"}),
                         [](const auto &info) { return std::string(info.param.label); });

QList<QByteArray> linesOf(const QByteArray &file)
{
    EXPECT_TRUE(file.endsWith("\r\n"));
    QList<QByteArray> lines = file.chopped(1).split('\n');
    for (QByteArray &line : lines) {
        EXPECT_TRUE(line.endsWith('\r'));
        line.chop(1);
    }
    return lines;
}

EventRecord keyOnly(const QString &key)
{
    EventRecord event;
    event.EventKey = key;
    return event;
}

TEST(RenderEventFileTest, EmptyListIsHeaderOnly)
{
    EXPECT_EQ(RenderEventFile(EventList{}), "DWX300\r\n");
}

TEST(RenderEventFileTest, SkipsBlankKeysWritesZeroRecordsInFull)
{
    EventList events;
    events.Add(keyOnly(QStringLiteral("   ")));
    events.Add(keyOnly(QStringLiteral("k")));
    const QList<QByteArray> lines = linesOf(RenderEventFile(events));
    ASSERT_EQ(lines.size(), 14);
    EXPECT_EQ(lines[1], "#1899-12-30#,#1899-12-30#,\"\",\"\",\"\",#FALSE#,#FALSE#,#FALSE#,#FALSE#,#FALSE#,#FALSE#,"
                        "#FALSE#,0,0,\"k\",\"UnIcOdE \"");
    EXPECT_EQ(lines[10],
              "#FALSE#,0,\"\",\"\",0,0,#FALSE#,#FALSE#,#FALSE#,#FALSE#,#FALSE#,#FALSE#,#FALSE#,0,\"\",0,\"\"");
    const std::array<int, 13> itemCounts{16, 33, 33, 18, 18, 26, 26, 26, 26, 17, 16, 37, 37};
    for (int i = 0; i < 13; ++i)
        EXPECT_EQ(lines[i + 1].count(',') + 1, itemCounts[size_t(i)]) << "line " << i + 2;
}

TEST(RenderEventFileTest, RendersDoublesNotesAndDates)
{
    EventRecord event = keyOnly(QStringLiteral("2026120410:00:00;00"));
    event.Date1 = 46360; // 2026-12-04
    event.Date2 = 46360.75;
    event.EventNote = QStringLiteral("Hi");
    Section1Entry &entry = event.Section1[1];
    entry.StartSeconds = 0.033;
    entry.EndSeconds = 41400.5;
    entry.Num1 = 36000;
    entry.Num2 = -0.5;
    entry.Name8 = QStringLiteral("é€");
    EventList events;
    events.Add(event);
    const QList<QByteArray> lines = linesOf(RenderEventFile(events));
    EXPECT_TRUE(lines[1].startsWith("#2026-12-04#,#2026-12-04#,"));
    EXPECT_TRUE(lines[1].endsWith(",\"UnIcOdE 72-0-105-0\""));
    const QList<QByteArray> items = lines[2].split(',');
    EXPECT_EQ(items[4], ".033");
    EXPECT_EQ(items[5], "41400.5");
    EXPECT_EQ(items[20], "\"233-0-172-32\"");
    EXPECT_EQ(items[28], "36000");
    EXPECT_EQ(items[29], "-.5");
}

class WriteEventFileTest : public testing::Test
{
protected:
    QStringList entries() const
    {
        return QDir(m_dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    }
    QByteArray content(const QString &path) const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir m_dir;
    QString m_path = m_dir.filePath(QStringLiteral("Day1.TVX"));
};

TEST_F(WriteEventFileTest, ReplacesExistingFile)
{
    QFile old(m_path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(10000, 'x'));
    old.close();
    EXPECT_EQ(WriteEventFile(m_path, EventList{}), "");
    EXPECT_EQ(content(m_path), "DWX300\r\n");
    EXPECT_EQ(entries(), QStringList{QStringLiteral("Day1.TVX")});
}

TEST_F(WriteEventFileTest, MissingFolderIsReported)
{
    const QString path = m_dir.filePath(QStringLiteral("absent/Day1.TVX"));
    const QString reason = WriteEventFile(path, EventList{});
    EXPECT_TRUE(reason.startsWith(QStringLiteral("cannot write ") + path + QStringLiteral(": ")))
        << reason.toStdString();
    EXPECT_TRUE(entries().isEmpty());
}

// A file-size limit makes the write itself fail, which permissions cannot do for root.
TEST_F(WriteEventFileTest, FailedWriteKeepsOldFileAndLeavesNoTemporary)
{
    QFile old(m_path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old event file\r\n");
    old.close();
    EventList events;
    for (int i = 0; i < 10; ++i)
        events.Add(keyOnly(QStringLiteral("key")));

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const QString reason = WriteEventFile(m_path, events);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_TRUE(reason.startsWith(QStringLiteral("cannot write ") + m_path)) << reason.toStdString();
    EXPECT_EQ(content(m_path), "old event file\r\n");
    EXPECT_EQ(entries(), QStringList{QStringLiteral("Day1.TVX")});
}

} // namespace
