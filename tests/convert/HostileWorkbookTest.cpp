// Hostile workbooks, generated at test time: each one is either unreadable with its exact reason or converts
// correctly, and an unreadable one adds no event and leaves an existing event file as it was.
#include "convert/ScheduleWorkbook.h"
#include "convert/WorkbookCells.h"
#include "output/EventFile.h"
#include "tests/convert/XlsxBuilder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <functional>
#include <gtest/gtest.h>

// Readable failure messages for the texts compared below.
static void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

const QDate Today(2026, 12, 4);

// Raw deflate data written bit by bit, least significant bit first as the format packs them.
class DeflateWriter
{
public:
    void bits(uint32_t value, int count)
    {
        for (int i = 0; i < count; ++i)
            bit((value >> i) & 1u);
    }
    // Huffman codes go most significant bit first.
    void code(uint32_t value, int length)
    {
        for (int i = length - 1; i >= 0; --i)
            bit((value >> i) & 1u);
    }
    void storedBlock(const QByteArray &bytes, bool final)
    {
        for (qsizetype at = 0; at < bytes.size() || at == 0; at += 65535) {
            const QByteArray piece = bytes.mid(at, 65535);
            const bool last = final && at + 65535 >= bytes.size();
            bits(last ? 1 : 0, 1);
            bits(0, 2);
            if (m_used)
                flushByte();
            const uint16_t length = uint16_t(piece.size());
            for (const uint16_t word : {length, uint16_t(~length)}) {
                m_out.append(char(word & 0xFF));
                m_out.append(char(word >> 8));
            }
            m_out.append(piece);
        }
    }
    // One blank, then `repeats` back-references of 258 bytes at distance 1: 13 bits for every 258 blanks.
    void blankRun(uint64_t repeats)
    {
        bits(0, 1);          // not final
        bits(1, 2);          // fixed Huffman codes
        code(0x30 + ' ', 8); // literal blank
        uint64_t left = repeats;
        // Whenever the writer is on a byte boundary, eight references are the same 13 bytes.
        for (; left > 0 && (m_used != 0 || left < 8); --left)
            backReference();
        if (left >= 8) {
            DeflateWriter eight;
            for (int i = 0; i < 8; ++i)
                eight.backReference();
            const QByteArray pattern = eight.take();
            m_out.reserve(m_out.size() + qsizetype(left / 8) * pattern.size() + 16);
            for (; left >= 8; left -= 8)
                m_out.append(pattern);
            for (; left > 0; --left)
                backReference();
        }
        code(0, 7); // end of block
    }
    QByteArray take() { return m_out; }

private:
    void backReference()
    {
        code(0xC0 + 5, 8); // length 258 (code 285)
        code(0, 5);        // distance 1
    }
    void bit(uint32_t value)
    {
        m_byte |= uint8_t(value << m_used);
        if (++m_used == 8)
            flushByte();
    }
    void flushByte()
    {
        m_out.append(char(m_byte));
        m_byte = 0;
        m_used = 0;
    }

    QByteArray m_out;
    uint8_t m_byte = 0;
    int m_used = 0;
};

uint32_t Crc32(const QByteArray &bytes)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= uint8_t(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

struct RawZipEntry {
    QByteArray name;
    uint16_t method = 0; // 0 stored, 8 deflated
    QByteArray data;     // as stored in the archive
    uint32_t crc = 0;
    uint32_t size = 0; // inflated size as the headers state it
};

RawZipEntry StoredEntry(const QString &name, const QByteArray &content)
{
    return {name.toUtf8(), 0, content, Crc32(content), uint32_t(content.size())};
}

// A zip archive written field by field, so that an entry may carry deflate data no library would produce.
QByteArray RawZip(const std::vector<RawZipEntry> &entries)
{
    QByteArray out;
    const auto u16 = [&out](uint32_t v) {
        out.append(char(v & 0xFF));
        out.append(char((v >> 8) & 0xFF));
    };
    const auto u32 = [&](uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    std::vector<uint32_t> offsets;
    for (const RawZipEntry &e : entries) {
        offsets.push_back(uint32_t(out.size()));
        u32(0x04034b50);
        u16(20), u16(0), u16(e.method), u16(0), u16(0x21);
        u32(e.crc), u32(uint32_t(e.data.size())), u32(e.size);
        u16(uint32_t(e.name.size())), u16(0);
        out.append(e.name);
        out.append(e.data);
    }
    const uint32_t directory = uint32_t(out.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const RawZipEntry &e = entries[i];
        u32(0x02014b50);
        u16(20), u16(20), u16(0), u16(e.method), u16(0), u16(0x21);
        u32(e.crc), u32(uint32_t(e.data.size())), u32(e.size);
        u16(uint32_t(e.name.size())), u16(0), u16(0), u16(0), u16(0), u32(0), u32(offsets[i]);
        out.append(e.name);
    }
    const uint32_t directorySize = uint32_t(out.size()) - directory;
    u32(0x06054b50);
    u16(0), u16(0), u16(uint32_t(entries.size())), u16(uint32_t(entries.size()));
    u32(directorySize), u32(directory), u16(0);
    return out;
}

constexpr uint64_t BombRepeats = (uint64_t(2) << 30) / 258; // a little over 2 GiB of blanks

// The part named `part` of a small schedule becomes head, 2 GiB of blanks and tail; its CRC is not worked out,
// so only a reader that inflates everything would notice. statedSize is what the headers claim.
void WriteBomb(const QString &path, const QString &part, const QByteArray &head, const QByteArray &tail,
               std::optional<uint32_t> statedSize = std::nullopt)
{
    DeflateWriter deflate;
    deflate.storedBlock(head, false);
    deflate.blankRun(BombRepeats);
    deflate.storedBlock(tail, true);
    const uint64_t inflated = uint64_t(head.size()) + 1 + BombRepeats * 258 + uint64_t(tail.size());

    std::vector<RawZipEntry> entries;
    const XlsxParts parts =
        TestWorkbookParts(RowXml(5, NumberCell(QStringLiteral("J5"), QStringLiteral("5")) +
                                        QStringLiteral(R"(<c r="R5" t="s"><v>0</v></c>)") +
                                        InlineStringCell(QStringLiteral("V5"), QStringLiteral("CAM 1"))),
                          {QStringLiteral("News")});
    for (const auto &[name, content] : parts) {
        if (name == part)
            entries.push_back({name.toUtf8(), 8, deflate.take(), 0, statedSize.value_or(uint32_t(inflated))});
        else
            entries.push_back(StoredEntry(name, content));
    }
    const QByteArray archive = RawZip(entries);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(archive), archive.size());
}

const QByteArray SheetHead = R"(<?xml version="1.0" encoding="UTF-8"?>)"
                             R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
                             R"(<sheetData><row r="5"><c r="J5"><v>5</v></c>)"
                             R"(<c r="R5" t="inlineStr"><is><t>News</t></is></c>)"
                             R"(<c r="V5" t="inlineStr"><is><t>CAM 1</t></is></c></row>)";
const QByteArray SheetTail = "</sheetData></worksheet>";

const QByteArray BillionLaughs = R"(<?xml version="1.0"?><!DOCTYPE lolz [<!ENTITY lol "lol">)"
                                 R"(<!ENTITY lol2 "&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;">)"
                                 R"(<!ENTITY lol3 "&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;">)"
                                 R"(<!ENTITY lol4 "&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;">)"
                                 R"(<!ENTITY lol5 "&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;">)"
                                 R"(<!ENTITY lol6 "&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;">)"
                                 R"(<!ENTITY lol7 "&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;">)"
                                 R"(<!ENTITY lol8 "&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;">)"
                                 R"(<!ENTITY lol9 "&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;">)"
                                 R"(]>)";

// A schedule of one good row (VR 5, News, CAM 1) whose part `part` is replaced by content.
void WriteWithPart(const QString &path, const QString &part, const QByteArray &content)
{
    XlsxParts parts = TestWorkbookParts(RowXml(5, NumberCell(QStringLiteral("J5"), QStringLiteral("5")) +
                                                      SharedStringCell(QStringLiteral("R5"), 0) +
                                                      InlineStringCell(QStringLiteral("V5"), QStringLiteral("CAM 1"))),
                                        {QStringLiteral("News")});
    SetPart(parts, part, content);
    ASSERT_TRUE(WriteZip(path, parts));
}

void WriteGoodSchedule(const QString &path)
{
    WriteWithPart(path, QStringLiteral("xl/worksheets/sheet1.xml"),
                  SheetHead +
                      RowXml(6, NumberCell(QStringLiteral("J6"), QStringLiteral("6")) +
                                    InlineStringCell(QStringLiteral("R6"), QStringLiteral("Weather")) +
                                    InlineStringCell(QStringLiteral("V6"), QStringLiteral("CAM 2")))
                          .toUtf8() +
                      SheetTail);
}

void WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray ReadBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct UnreadableCase {
    const char *name;
    std::function<void(const QString &path)> make;
    QString reason; // exact, or the start of it when prefixOnly
    bool prefixOnly = false;
};

void PrintTo(const UnreadableCase &c, std::ostream *os)
{
    *os << c.name;
}

std::vector<UnreadableCase> UnreadableCases()
{
    const QString sheet = QStringLiteral("xl/worksheets/sheet1.xml");
    const QString strings = QStringLiteral("xl/sharedStrings.xml");
    const QString tooLarge = QStringLiteral("workbook too large");
    const QString notXlsx = QStringLiteral("not an xlsx workbook");
    const QString noDtd = QStringLiteral("damaged workbook: DTD not allowed");
    return {
        {"EmptyFile", [](const QString &p) { WriteBytes(p, {}); }, notXlsx},
        {"RenamedTextFile", [](const QString &p) { WriteBytes(p, "VR,Start,End,Name\r\n5,10:00,11:00,News\r\n"); },
         notXlsx},
        {"RenamedPng", [](const QString &p) { WriteBytes(p, QByteArray::fromHex("89504E470D0A1A0A0000000D49484452")); },
         notXlsx},
        {"EncryptedContainer",
         [](const QString &p) { WriteBytes(p, QByteArray::fromHex("D0CF11E0A1B11AE1") + QByteArray(4088, '\0')); },
         QStringLiteral("encrypted workbook")},
        {"TruncatedArchive",
         [](const QString &p) {
             WriteGoodSchedule(p);
             const QByteArray whole = ReadBytes(p);
             WriteBytes(p, whole.left(whole.size() / 2));
         },
         QStringLiteral("damaged workbook: "), true},
        {"ArchiveHeaderOnly", [](const QString &p) { WriteBytes(p, "PK\x03\x04"); },
         QStringLiteral("damaged workbook: "), true},
        {"ZipBombInSheet", [=](const QString &p) { WriteBomb(p, sheet, SheetHead, SheetTail); }, tooLarge},
        {"ZipBombUnderstatedSize", [=](const QString &p) { WriteBomb(p, sheet, SheetHead, SheetTail, 4096); },
         tooLarge},
        {"ZipBombInSharedString",
         [=](const QString &p) {
             WriteBomb(p, strings, R"(<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><si><t>)",
                       "</t></si></sst>");
         },
         tooLarge},
        {"EntityExpansionInSheet",
         [=](const QString &p) {
             WriteWithPart(p, sheet,
                           BillionLaughs + SheetHead.mid(SheetHead.indexOf("<worksheet")) +
                               "<row r=\"7\"><c r=\"R7\" t=\"inlineStr\"><is><t>&lol9;</t></is></c></row>" + SheetTail);
         },
         noDtd},
        {"EntityExpansionInSharedStrings",
         [=](const QString &p) {
             WriteWithPart(p, strings,
                           BillionLaughs + R"(<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
                                           R"(<si><t>&lol9;</t></si></sst>)");
         },
         noDtd},
        {"EntityExpansionInWorkbook",
         [](const QString &p) {
             WriteWithPart(p, QStringLiteral("xl/workbook.xml"),
                           BillionLaughs +
                               R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" )"
                               R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
                               R"(<sheets><sheet name="&lol9;" sheetId="1" r:id="rId1"/></sheets></workbook>)");
         },
         noDtd},
        {"ExternalEntityInRelationships",
         [](const QString &p) {
             WriteWithPart(p, QStringLiteral("_rels/.rels"),
                           R"(<?xml version="1.0"?><!DOCTYPE r [<!ENTITY x SYSTEM "file:///etc/passwd">]>)"
                           R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
                           R"(<Relationship Id="rId1" Target="xl/workbook.xml" Type="&x;"/></Relationships>)");
         },
         noDtd},
        {"NoSheets",
         [](const QString &p) {
             WriteWithPart(p, QStringLiteral("xl/workbook.xml"),
                           R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
                           R"(<sheets/></workbook>)");
         },
         QStringLiteral("damaged workbook: no sheet in xl/workbook.xml")},
        {"InvalidUtf8InSheet",
         [=](const QString &p) {
             WriteWithPart(p, sheet,
                           SheetHead +
                               "<row r=\"6\"><c r=\"R6\" t=\"inlineStr\"><is><t>Caf\xC3\x28 \xFF\xFE</t></is></c>"
                               "</row>" +
                               SheetTail);
         },
         QStringLiteral("damaged workbook: "), true},
        {"DamagedAfterGoodRows",
         [=](const QString &p) { WriteWithPart(p, sheet, SheetHead + "<row r=\"6\"><c r=\"J6\"><v>6</v></c></rowx>"); },
         QStringLiteral("damaged workbook: "), true},
    };
}

class UnreadableWorkbook : public ::testing::TestWithParam<UnreadableCase>
{
};

TEST_P(UnreadableWorkbook, EndsWithItsReasonAndWritesNothing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString workbook = dir.filePath(QStringLiteral("Day1.xlsx"));
    const QString eventFile = dir.filePath(QStringLiteral("Day1.TVX"));
    GetParam().make(workbook);
    const QByteArray oldEventFile = "DWX300\r\nthe event file of the previous save\r\n";
    WriteBytes(eventFile, oldEventFile);

    const WorkbookCells cells = ReadWorkbookCells(workbook);
    if (GetParam().prefixOnly) {
        EXPECT_TRUE(cells.error.startsWith(GetParam().reason)) << cells.error.toStdString();
        EXPECT_GT(cells.error.size(), GetParam().reason.size()) << "the damage is named";
    } else {
        EXPECT_EQ(cells.error, GetParam().reason);
    }

    // The dispatch writes an event file only for a workbook that was read.
    EventList events;
    EventRecord earlier;
    earlier.EventKey = QStringLiteral("kept");
    events.Add(earlier);
    const QString error = ReadScheduleWorkbook(workbook, RouterConfig(), Today, events);
    EXPECT_EQ(error, cells.error);
    ASSERT_EQ(events.slots().size(), 1u) << "no event of a damaged workbook is added";
    if (error.isEmpty()) {
        EXPECT_EQ(WriteEventFile(eventFile, events), QString());
    }
    EXPECT_EQ(ReadBytes(eventFile), oldEventFile);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2) << "nothing else written";
}

INSTANTIATE_TEST_SUITE_P(Hostile, UnreadableWorkbook, ::testing::ValuesIn(UnreadableCases()),
                         [](const auto &info) { return std::string(info.param.name); });

class HostileWorkbook : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    // Reads the workbook at path, which must be readable, and converts it with an empty router table.
    WorkbookCells read(const QString &path, EventList &events)
    {
        const WorkbookCells cells = ReadWorkbookCells(path);
        EXPECT_EQ(cells.error, QString());
        EXPECT_EQ(ReadScheduleWorkbook(path, RouterConfig(), Today, events), QString());
        return cells;
    }

    static const CellValue &cell(const WorkbookCells &cells, int row, ScheduleColumn column)
    {
        return cells.rows[size_t(row - FirstScheduleRow)][column];
    }

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Day1.xlsx"));
};

TEST_F(HostileWorkbook, BombAfterRow100IsNeverInflated)
{
    WriteBomb(path, QStringLiteral("xl/worksheets/sheet1.xml"),
              SheetHead + "<row r=\"101\"><c r=\"J101\"><v>1</v></c></row>", SheetTail);
    EventList events;
    const WorkbookCells cells = read(path, events);
    EXPECT_EQ(cell(cells, 5, ColumnJ).number, 5);
    EXPECT_EQ(events.slots().size(), 1u);
}

TEST_F(HostileWorkbook, MegabyteCellTextIsKeptAndCut)
{
    const QString inlineText(1 << 20, QLatin1Char('N'));
    const QString sharedText = QString(1 << 20, QChar(0x00E9));
    ASSERT_TRUE(WriteTestWorkbook(path,
                                  RowXml(5, NumberCell(QStringLiteral("J5"), QStringLiteral("5")) +
                                                InlineStringCell(QStringLiteral("R5"), inlineText) +
                                                SharedStringCell(QStringLiteral("V5"), 0)),
                                  {sharedText}));
    EventList events;
    const WorkbookCells cells = read(path, events);
    EXPECT_EQ(cell(cells, 5, ColumnR).text, inlineText);
    EXPECT_EQ(cell(cells, 5, ColumnV).text, sharedText);
    ASSERT_EQ(events.slots().size(), 1u);
    EXPECT_EQ(events.slots()[0].Section1[1].Name1, inlineText.left(32));
    EXPECT_LE(RenderEventFile(events).size(), 8192) << "names are cut before they reach the file";
}

TEST_F(HostileWorkbook, FullWidthRowOf16384Columns)
{
    QString cells;
    for (int column = 1; column <= 16384; ++column) {
        QString letters;
        for (int n = column; n > 0; n = (n - 1) / 26)
            letters.prepend(QChar(u'A' + (n - 1) % 26));
        cells += NumberCell(letters + QStringLiteral("5"), QString::number(column));
    }
    ASSERT_TRUE(cells.contains(QLatin1String("<c r=\"XFD5\"><v>16384</v></c>")));
    ASSERT_TRUE(WriteTestWorkbook(path, RowXml(5, cells)));
    EventList events;
    const WorkbookCells read = this->read(path, events);
    for (int column = 0; column < ScheduleColumnCount; ++column) {
        EXPECT_EQ(cell(read, 5, ScheduleColumn(column)).type, CellValue::Type::Number);
        EXPECT_EQ(cell(read, 5, ScheduleColumn(column)).number, ScheduleColumnNumbers[size_t(column)]);
    }
    EXPECT_EQ(cell(read, 6, ColumnJ).type, CellValue::Type::Empty);
}

TEST_F(HostileWorkbook, RowsOutOfOrderAndRepeated)
{
    const auto j = [](int row, int value) {
        return NumberCell(QStringLiteral("J%1").arg(row), QString::number(value));
    };
    ASSERT_TRUE(WriteTestWorkbook(
        path, RowXml(9, j(9, 9)) + RowXml(5, j(5, 1)) + RowXml(7, j(7, 7)) +
                  RowXml(5, j(5, 2) + InlineStringCell(QStringLiteral("R5"), QStringLiteral("News"))) +
                  RowXml(100, j(100, 100)) + RowXml(6, j(6, 6))));
    EventList events;
    const WorkbookCells cells = read(path, events);
    EXPECT_EQ(cell(cells, 5, ColumnJ).number, 2) << "a cell met twice keeps its last value";
    EXPECT_EQ(cell(cells, 5, ColumnR).text, QStringLiteral("News")) << "a row met twice merges its cells";
    EXPECT_EQ(cell(cells, 6, ColumnJ).number, 6);
    EXPECT_EQ(cell(cells, 7, ColumnJ).number, 7);
    EXPECT_EQ(cell(cells, 9, ColumnJ).number, 9);
    EXPECT_EQ(cell(cells, 100, ColumnJ).number, 100);
}

TEST_F(HostileWorkbook, SharedStringIndexPastTheTable)
{
    ASSERT_TRUE(WriteTestWorkbook(
        path,
        RowXml(5, NumberCell(QStringLiteral("J5"), QStringLiteral("5")) + SharedStringCell(QStringLiteral("R5"), 1) +
                      SharedStringCell(QStringLiteral("V5"), 0)) +
            RowXml(6, SharedStringCell(QStringLiteral("R6"), 2147483647) +
                          QStringLiteral(R"(<c r="V6" t="s"><v>99999999999999999999</v></c>)")),
        {QStringLiteral("CAM 1")}));
    EventList events;
    const WorkbookCells cells = read(path, events);
    EXPECT_EQ(cell(cells, 5, ColumnR).type, CellValue::Type::Error);
    EXPECT_EQ(cell(cells, 5, ColumnV).text, QStringLiteral("CAM 1"));
    EXPECT_EQ(cell(cells, 6, ColumnR).type, CellValue::Type::Error);
    EXPECT_EQ(cell(cells, 6, ColumnV).type, CellValue::Type::Error);
    EXPECT_TRUE(events.slots().empty()) << "an error value in R leaves the event name empty";
}

TEST_F(HostileWorkbook, PathOf4000Characters)
{
    QString folder = dir.path();
    while (folder.size() < 4000 - 255 - 10)
        folder += QLatin1Char('/') + QString(200, QLatin1Char('d'));
    folder += QLatin1Char('/') + QString(4000 - folder.size() - 1 - 10, QLatin1Char('e'));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString longPath = folder + QStringLiteral("/Day1.xlsx");
    ASSERT_EQ(longPath.size(), 4000);
    WriteGoodSchedule(longPath);

    EventList events;
    read(longPath, events);
    EXPECT_EQ(events.slots().size(), 2u);
    const QString eventFile = folder + QStringLiteral("/Day1.TVX");
    EXPECT_EQ(WriteEventFile(eventFile, events), QString());
    EXPECT_EQ(ReadBytes(eventFile), RenderEventFile(events));
}

TEST_F(HostileWorkbook, PathBeyondTheSystemLimitIsNotFound)
{
    const QString tooLong = dir.path() + QLatin1Char('/') + QString(5000, QLatin1Char('x')) + QStringLiteral(".xlsx");
    EXPECT_EQ(ReadWorkbookCells(tooLong).error, QStringLiteral("file not found"));
}

} // namespace
