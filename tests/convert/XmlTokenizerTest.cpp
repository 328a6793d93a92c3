#include "convert/XlsxPackage.h"
#include "tests/support/XlsxBuilder.h"
#include "tests/support/XmlReading.h"

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
        ASSERT_EQ(package.open(path), "");
        const QString error = package.parse(QStringLiteral("p.xml"), read);
        const XmlReading reading = ReadWithExpat(xml, xml.size() + 1, expat);
        EXPECT_EQ(error.isEmpty(), reading.verdict == XmlReading::Verdict::Read) << xml << ": " << error.toStdString();
        if (error.isEmpty()) {
            EXPECT_EQ(read.all(), expat.all()) << xml;
        }
    }
}

} // namespace
