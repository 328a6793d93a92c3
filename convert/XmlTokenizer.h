#pragma once

#include "convert/XlsxXml.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The quick path for workbook parts: reads the XML that workbook writers produce (UTF-8, the five entities and
// character references, comments, processing instructions, namespace prefixes on any element) straight from
// the inflated bytes and hands the handler the same events expat would. Anything else, a DOCTYPE, another
// encoding, CDATA, malformed XML or a limit exceeded, makes it give up, and the part is read again by expat.
class XmlTokenizer
{
public:
    enum class Status { More, Finished, GaveUp };

    explicit XmlTokenizer(XmlPartHandler &handler);

    // Room for size more bytes after the unread input.
    char *buffer(size_t size);
    // Reads length bytes placed in buffer(); final marks the end of the part.
    Status parse(size_t length, bool final);
    // Bytes of the part up to the end of the token at which the handler finished.
    std::int64_t finishedAt() const { return m_finishedAt; }

private:
    enum class Step { Done, More, GiveUp, Finished };
    enum class Place { Start, Prolog, Content, Epilog };
    struct Binding {
        std::string prefix; // empty for the default namespace
        XmlNs ns;
    };
    struct Open {
        size_t nameEnd;  // end of its name in m_names
        size_t bindings; // m_bindings' size before its declarations
        XmlNs ns;
    };
    struct RawAttribute {
        std::string_view full; // the name as written
        std::string_view prefix;
        std::string_view local;
        char *value; // nullptr for a namespace declaration once read
        char *valueEnd;
    };

    Step run();
    Step text(char *begin, char *end);
    Step markup(char *begin, char *end);
    Step startTag(char *begin, char *end);
    Step endTag(char *begin, char *tagEnd);
    Step declaration(char *begin, char *end);
    bool namespaceOf(std::string_view prefix, XmlNs &ns) const;
    Step delivered(const char *tokenEnd);

    XmlPartHandler &m_handler;
    std::unique_ptr<char[]> m_data;
    size_t m_capacity = 0;
    size_t m_size = 0;         // bytes in m_data
    size_t m_pos = 0;          // first unread byte
    std::int64_t m_offset = 0; // part offset of m_data[0]
    std::int64_t m_finishedAt = 0;
    Place m_place = Place::Start;
    std::vector<Binding> m_bindings;
    std::vector<Open> m_open;
    std::string m_names;             // the open elements' names, one after another
    std::vector<RawAttribute> m_raw; // the current start tag's, reused
    std::vector<XmlAttribute> m_attributes;
};
