#include "convert/XlsxPackage.h"
#include "tests/support/XlsxBuilder.h"
#include "tests/support/XmlReading.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

constexpr char GivesUp[] = "gives up";
#define MAIN "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
#define REL "http://schemas.openxmlformats.org/officeDocument/2006/relationships"

struct XmlForm {
    const char *what;
    std::string xml;
    std::string events; // as the recorder writes them, or GivesUp
};

std::string Nested(int depth)
{
    std::string xml;
    for (int i = 0; i < depth; ++i)
        xml += "<a>";
    for (int i = 0; i < depth; ++i)
        xml += "</a>";
    return xml;
}

const XmlForm Forms[] = {
    {"a declaration, default namespace and either quote",
     "<?xml version=\"1.0\" encoding=\"utf-8\" standalone='yes' ?>\r\n<a xmlns=\"" MAIN
     "\"><b r='1' t=\"s\">x</b></a>\n",
     "<main:a><main:b r=\"1\" t=\"s\">[x]</main:b></main:a>"},
    {"the five entities and character references", "<a>&lt;&gt;&amp;&quot;&apos;&#65;&#x42;&#xe9;&#128512;</a>",
     "<a>[<>&\"'AB\xC3\xA9\xF0\x9F\x98\x80]</a>"},
    {"line ends in text, and white space in attribute values", "<a t=\"x&#9;y\r\nz\tw\n\">1\r\n2\r3&#13;</a>",
     "<a t=\"x\ty z w \">[1\n2\n3\r]</a>"},
    {"comments and processing instructions anywhere",
     "<!-- c --><?pi data?><a><!---->x<?p?>y<!-- - --></a><!--e--><?q?>", "<a>[xy]</a>"},
    {"prefixes declared on any element",
     "<x:a xmlns:x=\"" MAIN "\"><b xmlns=\"" REL "\" xmlns:y=\"" MAIN "\" y:r=\"1\" r=\"2\"/><x:c/></x:a>",
     "<main:a><r:b main:r=\"1\" r=\"2\"></r:b><main:c></main:c></main:a>"},
    {"a default namespace undeclared", "<a xmlns=\"" MAIN "\"><b xmlns=\"\"/><c/></a>",
     "<main:a><b></b><main:c></main:c></main:a>"},
    {"the xml prefix and another namespace", "<t xml:space=\"preserve\" xmlns:o=\"urn:o\" o:x=\"1\"> x </t>",
     "<t other:space=\"preserve\" other:x=\"1\">[ x ]</t>"},
    {"white space wherever tags allow it", "<a\n r = '1'\t><b\n/></a\n>", "<a r=\"1\"><b></b></a>"},
    {"a byte order mark and multibyte text", "\xEF\xBB\xBF<a>\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80</a>",
     "<a>[\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80]</a>"},
    {"\">\" inside a value and in text", "<a v=\"1>2\">3>2]]</a>", "<a v=\"1>2\">[3>2]]]</a>"},

    {"a DOCTYPE", "<!DOCTYPE a><a/>", GivesUp},
    {"another encoding", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>\xE9</a>", GivesUp},
    {"CDATA", "<a><![CDATA[x<y]]></a>", GivesUp},
    {"an entity of a DTD", "<a>&nbsp;</a>", GivesUp},
    {"a reference to no character", "<a>&#0;</a>", GivesUp},
    {"mismatched tags", "<a></b>", GivesUp},
    {"an unbound prefix", "<x:a/>", GivesUp},
    {"an attribute twice", "<a r=\"1\" r=\"2\"/>", GivesUp},
    {"two prefixes of one namespace on one name", "<a xmlns:x=\"urn:x\" xmlns:y=\"urn:x\" x:r=\"1\" y:r=\"2\"/>",
     GivesUp},
    {"a prefix undeclared", "<a xmlns:x=\"urn:x\"><b xmlns:x=\"\"/></a>", GivesUp},
    {"malformed UTF-8", "<a>\xC3</a>", GivesUp},
    {"a control character", "<a>\x01</a>", GivesUp},
    {"\"]]>\" in text", "<a>]]></a>", GivesUp},
    {"\"<\" in a value", "<a v=\"<\"/>", GivesUp},
    {"attributes without space between", "<a x=\"1\"y=\"2\"/>", GivesUp},
    {"text after the root", "<a/>x", GivesUp},
    {"a root never closed", "<a>", GivesUp},
    {"no root at all", "", GivesUp},
    {"a name beyond ASCII", "<\xC3\xA9/>", GivesUp},
    {"a reserved processing instruction target", "<?xml-stylesheet href=\"x\"?><a/>", GivesUp},
    {"a comment with \"--\" inside", "<a><!-- a -- b --></a>", GivesUp},
    {"elements nested deeper than the limit", Nested(300), GivesUp},
};

class XmlTokenizerForms : public testing::TestWithParam<XmlForm>
{
};

TEST_P(XmlTokenizerForms, YieldsExpatsEventsOrGivesUpWholeAndByteByByte)
{
    const XmlForm &form = GetParam();
    for (const size_t chunk : {form.xml.size() + 1, size_t(1)}) {
        XmlEventRecorder quick;
        const XmlReading reading = ReadQuickly(form.xml, chunk, quick);
        if (form.events == GivesUp) {
            EXPECT_EQ(reading.verdict, XmlReading::Verdict::GaveUp) << "chunk " << chunk;
            continue;
        }
        ASSERT_EQ(reading.verdict, XmlReading::Verdict::Read) << "chunk " << chunk;
        EXPECT_EQ(quick.all(), form.events) << "chunk " << chunk;
        XmlEventRecorder expat;
        EXPECT_EQ(ReadWithExpat(form.xml, chunk, expat).verdict, XmlReading::Verdict::Read);
        EXPECT_EQ(expat.all(), form.events) << "chunk " << chunk;
    }
}

TEST_P(XmlTokenizerForms, PackageReadEqualsExpatsReadWhereverTheTokenizerGivesUp)
{
    const XmlForm &form = GetParam();
    const QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("part.zip"));
    ASSERT_TRUE(WriteZip(path, {{QStringLiteral("p.xml"), QByteArray::fromStdString(form.xml)}}));
    XlsxPackage package;
    ASSERT_EQ(package.open(path), "");
    XmlEventRecorder read;
    const QString error = package.parse(QStringLiteral("p.xml"), read);

    XmlEventRecorder expat;
    const XmlReading reading = ReadWithExpat(form.xml, form.xml.size() + 1, expat);
    EXPECT_EQ(error.isEmpty(), reading.verdict == XmlReading::Verdict::Read) << error.toStdString();
    if (error.isEmpty()) {
        EXPECT_EQ(read.all(), expat.all());
    }
}

INSTANTIATE_TEST_SUITE_P(, XmlTokenizerForms, testing::ValuesIn(Forms), [](const auto &info) {
    std::string name;
    for (const char c : std::string(info.param.what))
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
});

TEST(XmlTokenizer, FinishesWhereExpatFinishesAndSaysHowFarItRead)
{
    const std::string xml = "<a><b/><c>x</c><d/></a>";
    for (int after = 1; after <= 8; ++after) {
        XmlEventRecorder quick(after), expat(after);
        const XmlReading quickReading = ReadQuickly(xml, 3, quick);
        const XmlReading expatReading = ReadWithExpat(xml, 3, expat);
        EXPECT_EQ(quick.all(), expat.all()) << after;
        EXPECT_EQ(quickReading.finishedAt, expatReading.finishedAt) << after;
        EXPECT_EQ(quickReading.calls, expatReading.calls) << after;
    }
}

} // namespace
