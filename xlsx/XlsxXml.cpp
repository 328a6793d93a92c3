#include "xlsx/XlsxXml.h"

#include <cstring>
#include <expat.h>
#include <new>

namespace {

// Joins a name's namespace URI and local part; a space cannot occur in either.
constexpr char NamespaceSeparator = ' ';

struct SplitName {
    XmlNs ns;
    std::string_view local;
};

SplitName Split(const char *name)
{
    const std::string_view full(name);
    const size_t separator = full.rfind(NamespaceSeparator);
    if (separator == std::string_view::npos)
        return {XmlNs::None, full};
    return {ClassifyNamespace(full.substr(0, separator)), full.substr(separator + 1)};
}

int HexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

} // namespace

XmlNs ClassifyNamespace(std::string_view uri)
{
    if (uri == "http://schemas.openxmlformats.org/spreadsheetml/2006/main" ||
        uri == "http://purl.oclc.org/ooxml/spreadsheetml/main")
        return XmlNs::Main;
    if (uri == "http://schemas.openxmlformats.org/officeDocument/2006/relationships" ||
        uri == "http://purl.oclc.org/ooxml/officeDocument/relationships")
        return XmlNs::Relationships;
    if (uri == "http://schemas.openxmlformats.org/package/2006/relationships")
        return XmlNs::Package;
    return XmlNs::Other;
}

// Expat's C callbacks; once stopped, the late callbacks expat may still send are dropped.
struct XmlPartParser::Callbacks {
    static void start(void *data, const XML_Char *name, const XML_Char **attributes)
    {
        auto *self = static_cast<XmlPartParser *>(data);
        if (self->m_stopped)
            return;
        const SplitName split = Split(name);
        guarded(self, [&] {
            self->m_attributes.clear();
            for (const XML_Char **pair = attributes; pair[0]; pair += 2) {
                const SplitName attribute = Split(pair[0]);
                self->m_attributes.push_back({attribute.ns, attribute.local, pair[1]});
            }
            const XmlAttribute *first = self->m_attributes.data();
            self->m_handler.startElement(split.ns, split.local,
                                         XmlAttributes(first, first + self->m_attributes.size()));
        });
    }
    static void end(void *data, const XML_Char *name)
    {
        auto *self = static_cast<XmlPartParser *>(data);
        if (self->m_stopped)
            return;
        const SplitName split = Split(name);
        guarded(self, [&] { self->m_handler.endElement(split.ns, split.local); });
    }
    static void text(void *data, const XML_Char *text, int length)
    {
        auto *self = static_cast<XmlPartParser *>(data);
        if (self->m_stopped)
            return;
        guarded(self, [&] { self->m_handler.characters(std::string_view(text, size_t(length))); });
    }
    static void doctype(void *data, const XML_Char *, const XML_Char *, const XML_Char *, int)
    {
        static_cast<XmlPartParser *>(data)->fail(Status::DtdRefused);
    }

    // No exception may cross expat's C frames; the only one a handler can raise is running out of memory.
    template <typename Call> static void guarded(XmlPartParser *self, Call call)
    {
        try {
            call();
        } catch (const std::bad_alloc &) {
            self->fail(Status::OutOfMemory);
            return;
        }
        if (self->m_handler.finished() && !self->m_stopped) {
            self->m_stopped = true;
            self->m_finishedAt =
                std::int64_t(XML_GetCurrentByteIndex(self->m_parser)) + XML_GetCurrentByteCount(self->m_parser);
            XML_StopParser(self->m_parser, XML_FALSE);
        }
    }
};

XmlPartParser::XmlPartParser(XmlPartHandler &handler)
    : m_parser(XML_ParserCreateNS(nullptr, NamespaceSeparator)), m_handler(handler)
{
    if (!m_parser)
        throw std::bad_alloc();
    XML_SetUserData(m_parser, this);
    XML_SetElementHandler(m_parser, &Callbacks::start, &Callbacks::end);
    XML_SetCharacterDataHandler(m_parser, &Callbacks::text);
    XML_SetStartDoctypeDeclHandler(m_parser, &Callbacks::doctype);
    XML_SetParamEntityParsing(m_parser, XML_PARAM_ENTITY_PARSING_NEVER);
#ifdef TAVREL_EXPAT_HAS_REPARSE_DEFERRAL
    // Deferred, a token cut by a chunk's end is delivered some chunks later, so expat would finish a part after
    // other parse calls than the quick tokenizer it stands behind, and the inflated-bytes budget count them
    // differently. Parts come in chunks of 8 KiB and more, and the budget bounds what a long token can cost.
    XML_SetReparseDeferralEnabled(m_parser, XML_FALSE);
#endif
}

XmlPartParser::~XmlPartParser()
{
    XML_ParserFree(m_parser);
}

void *XmlPartParser::buffer(int size)
{
    return XML_GetBuffer(m_parser, size);
}

XmlPartParser::Status XmlPartParser::parse(int length, bool final)
{
    const XML_Status status = length ? XML_ParseBuffer(m_parser, length, final ? XML_TRUE : XML_FALSE)
                                     : XML_Parse(m_parser, nullptr, 0, final ? XML_TRUE : XML_FALSE);
    if (m_failure != Status::More)
        return m_failure;
    if (m_stopped)
        return Status::Finished;
    if (status != XML_STATUS_OK) {
        m_error = QStringLiteral("line %1: %2")
                      .arg(XML_GetCurrentLineNumber(m_parser))
                      .arg(QString::fromUtf8(XML_ErrorString(XML_GetErrorCode(m_parser))));
        return Status::BadXml;
    }
    return final ? Status::Finished : Status::More;
}

void XmlPartParser::fail(Status status)
{
    if (m_stopped)
        return;
    m_failure = status;
    m_stopped = true;
    XML_StopParser(m_parser, XML_FALSE);
}

void RichTextCollector::startElement(XmlNs ns, std::string_view name)
{
    ++m_depth;
    if (ns != XmlNs::Main || m_textDepth)
        return;
    if (m_depth == 1 && name == "r")
        m_inRun = true;
    else if (name == "t" && (m_depth == 1 || (m_depth == 2 && m_inRun)))
        m_textDepth = m_depth;
}

void RichTextCollector::endElement()
{
    if (m_depth == m_textDepth)
        m_textDepth = 0;
    if (m_depth == 1)
        m_inRun = false;
    --m_depth;
}

void RichTextCollector::characters(std::string_view text)
{
    if (m_textDepth)
        m_text.append(text);
}

void RichTextCollector::reset()
{
    m_text.clear();
    m_depth = 0;
    m_inRun = false;
    m_textDepth = 0;
}

QString DecodeXlsxEscapes(std::string_view utf8)
{
    const QString text = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    return utf8.find("_x") == std::string_view::npos ? text : DecodeXlsxEscapes(text);
}

QString DecodeXlsxEscapes(const QString &text)
{
    if (!text.contains(QLatin1String("_x")))
        return text;
    QString decoded;
    decoded.reserve(text.size());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        if (text[i] == u'_' && i + 6 < size && text[i + 1] == u'x' && text[i + 6] == u'_') {
            int code = 0;
            bool hex = true;
            for (qsizetype k = i + 2; k < i + 6 && hex; ++k) {
                const int digit = HexDigit(text[k]);
                hex = digit >= 0;
                code = code * 16 + digit;
            }
            if (hex) {
                decoded += QChar(char16_t(code));
                i += 6;
                continue;
            }
        }
        decoded += text[i];
    }
    return decoded;
}
