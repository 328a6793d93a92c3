#include "tests/support/XlsxBuilder.h"
#include "tests/support/XmlReading.h"
#include "xlsx/SharedStrings.h"
#include "xlsx/XlsxPackage.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

#define MAIN "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
#define REL "http://schemas.openxmlformats.org/officeDocument/2006/relationships"

// One form of each kind the tokenizer reads itself; fuzz/fuzz_xml_equivalence.cpp compares both readers on any
// bytes.
const std::string ReadItself[] = {
    "<?xml version=\"1.0\" encoding=\"utf-8\" standalone='yes' ?>\r\n<a xmlns=\"" MAIN
    "\"><b r='1' t=\"s\">x</b></a>\n",
    "<a>&lt;&gt;&amp;&quot;&apos;&#65;&#x42;&#xe9;&#128512;</a>",
    "<a t=\"x&#9;y\r\nz\tw\n\">1\r\n2\r3&#13;</a>",
    "<!-- c --><?pi data?><a><!---->x<?p?>y<!-- - --></a><!--e--><?q?>",
    "<x:a xmlns:x=\"" MAIN "\"><b xmlns=\"" REL "\" xmlns:y=\"" MAIN "\" y:r=\"1\" r=\"2\"/><x:c/></x:a>",
    "<a xmlns=\"" MAIN "\"><b xmlns=\"\"/><c/></a>",
    "<t xml:space=\"preserve\" xmlns:o=\"urn:o\" o:x=\"1\"> x </t>",
    "\xEF\xBB\xBF<a\n r = '1'\t><b\n/>\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80</a\n>",
    "<a v=\"1>2\">3>2]]</a>",
};

const std::string TooDeep = QByteArray("<a>").repeated(300).append(QByteArray("</a>").repeated(300)).toStdString();

// Forms the tokenizer leaves to expat, one of each reason.
const std::string LeftToExpat[] = {"<!DOCTYPE a><a/>",
                                   "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>\xE9</a>",
                                   "<a><![CDATA[x<y]]></a>",
                                   "<a>&nbsp;</a>",
                                   "<a>&#0;</a>",
                                   "<a></b>",
                                   "<x:a/>",
                                   "<a r=\"1\" r=\"2\"/>",
                                   "<a xmlns:x=\"urn:x\" xmlns:y=\"urn:x\" x:r=\"1\" y:r=\"2\"/>",
                                   "<a xmlns:x=\"urn:x\"><b xmlns:x=\"\"/></a>",
                                   "<a>\xC3</a>",
                                   "<a>\x01</a>",
                                   "<a>]]></a>",
                                   "<a v=\"<\"/>",
                                   "<a x=\"1\"y=\"2\"/>",
                                   "<a/>x",
                                   "<a>",
                                   "",
                                   "<\xC3\xA9/>",
                                   "<?xml-stylesheet href=\"x\"?><a/>",
                                   "<a><!-- a -- b --></a>",
                                   "<a>\xED\xA0\x80</a>", // a surrogate, encoded
                                   "<a></ab>",
                                   "<a/><!-- x",
                                   TooDeep};

TEST(XmlTokenizer, ReadsItsFormsAsExpatDoesInAnyChunksAndLeavesTheRestToExpatInThePackage)
{
    for (const std::string &xml : ReadItself) {
        // Also with a handler that finishes early: both stop at the same byte and call.
        for (const int finishAfter : {0, 2}) {
            for (const size_t chunk : {xml.size() + 1, size_t(1)}) {
                XmlEventRecorder quick(finishAfter), expat(finishAfter);
                const XmlReading q = ReadQuickly(xml, chunk, quick), e = ReadWithExpat(xml, chunk, expat);
                EXPECT_EQ(q.verdict, XmlReading::Verdict::Read) << xml;
                EXPECT_EQ(e.verdict, XmlReading::Verdict::Read) << xml;
                EXPECT_EQ(std::tuple(quick.all(), q.finishedAt, q.calls),
                          std::tuple(expat.all(), e.finishedAt, e.calls))
                    << xml << " in chunks of " << chunk;
            }
        }
    }
    const QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("part.zip"));
    for (const std::string &xml : LeftToExpat) {
        XmlEventRecorder quick, read, expat;
        EXPECT_EQ(ReadQuickly(xml, 1, quick).verdict, XmlReading::Verdict::GaveUp) << xml;
        ASSERT_TRUE(WriteZip(path, {{QStringLiteral("p.xml"), QByteArray::fromStdString(xml)}}));
        XlsxPackage package;
        ASSERT_EQ(package.open(path), Failure());
        const QString error = package.parse(QStringLiteral("p.xml"), read).reason;
        const XmlReading reading = ReadWithExpat(xml, xml.size() + 1, expat);
        EXPECT_EQ(error.isEmpty(), reading.verdict == XmlReading::Verdict::Read) << xml << ": " << error.toStdString();
        if (error.isEmpty()) {
            EXPECT_EQ(read.all(), expat.all()) << xml;
        }
    }
}

// The sheet reader's cells and the shared strings' items are taken in one step in their usual form; that form and
// its near misses leave what their events leave, in any chunks.
TEST(XmlTokenizer, OneStepContentLeavesWhatItsEventsLeave)
{
    const std::string rows[] = {
        "<c r=\"A5\"><v>1</v></c><c r=\"B5\" t=\"s\"><v></v></c><c r=\"C5\"><v>2</v></c>",
        "<c r=\"A5\"><v>1</v> </c><c r=\"B5\"><v>a&amp;b</v></c><c r=\"C5\"><v>1</v><f>x</f></c>",
        "<c r=\"A5\" xmlns=\"urn:o\"><v>1</v></c><x:c r=\"B5\" xmlns:x=\"" MAIN "\"><v>2</v></x:c><c><v>3</v></c>",
        "<c r=\"A5\"><v>\xC3\xA9</v></c><c r=\"B5\"><v>1</v></c><c r=\"C5\"><v>1</v></c ><c><v>3]</v></c>",
        "<c r=\"A5\"><c><v>1</v></c></c><c r=\"B5\" xmlns:y=\"urn:y\"><v>2</v></c><y:c/>", // y unbound there
        "<x:c r=\"A5\"><v>1</v></c>",                                                      // mismatched
    };
    for (const std::string &row : rows) {
        const std::string xml = "<worksheet xmlns=\"" MAIN "\" xmlns:x=\"" MAIN "\"><sheetData><row r=\"5\">" + row +
                                "</row><row r=\"6\"><c r=\"A6\"><v>6</v></c></row></sheetData></worksheet>";
        for (const size_t chunk : {xml.size() + 1, size_t(1), size_t(13)}) {
            SheetReader quick(CellWindow{1, 10, {}}), expat(CellWindow{1, 10, {}});
            const XmlReading q = ReadQuickly(xml, chunk, quick), e = ReadWithExpat(xml, chunk, expat);
            EXPECT_EQ(std::tuple(q.verdict, q.finishedAt, q.calls), std::tuple(e.verdict, e.finishedAt, e.calls));
            EXPECT_TRUE(SameCells(quick.takeCells(), expat.takeCells())) << row << " in chunks of " << chunk;
        }
    }
    const std::string items =
        "<si><t>a</t></si><si><t>b_x0041_</t></si><si><t xml:space=\"preserve\"> c</t></si>"
        "<si><t>d</t><rPh><t>x</t></rPh></si><si><r><t>e</t></r></si><si><t>f</t> </si>"
        "<si><t>&lt;</t></si><si><si><t>g</t></si></si><x:si xmlns:x=\"" MAIN "\"><t>h</t></x:si><si><t>i</t></si>";
    const std::string xml = "<sst xmlns=\"" MAIN "\">" + items + "</sst>";
    for (const std::vector<std::int64_t> &wanted :
         {std::vector<std::int64_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, std::vector<std::int64_t>{1, 5, 8}}) {
        for (const size_t chunk : {xml.size() + 1, size_t(1), size_t(13)}) {
            std::vector<std::optional<QString>> quickItems(wanted.size()), expatItems(wanted.size());
            SharedStringsHandler quick(wanted, quickItems), expat(wanted, expatItems);
            const XmlReading q = ReadQuickly(xml, chunk, quick), e = ReadWithExpat(xml, chunk, expat);
            EXPECT_EQ(std::tuple(q.verdict, q.finishedAt, q.calls), std::tuple(e.verdict, e.finishedAt, e.calls));
            EXPECT_EQ(quickItems, expatItems) << "in chunks of " << chunk;
        }
    }
}

} // namespace
