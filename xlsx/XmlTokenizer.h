#pragma once

#include "xlsx/XlsxXml.h"

#include <array>
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
        size_t nameEnd;     // end of its name in m_names
        size_t localOffset; // where its local name starts within the name, after any "prefix:"
        size_t bindings;    // m_bindings' size before its declarations
        XmlNs ns;
    };
    // A qualified name: prefix empty when there is none; full is prefix, ":" and local.
    struct QName {
        std::string_view full;
        std::string_view prefix;
        std::string_view local;
    };
    struct RawAttribute {
        QName name;
        char *value;
        char *valueEnd;
        bool plain;       // no byte in the value needs decoding
        bool declaration; // xmlns or xmlns:prefix
    };
    static constexpr size_t MaxAttributes = 64;

    static bool scanQName(const char *p, const char *end, QName &name);
    Step run();
    Step text(char *begin, char *plainEnd, char *end);
    Step markup(char *begin, char *end);
    Step startTag(char *begin, char *end);
    Step scanAttributes(char *&p, char *end, bool &declares);
    bool declareNamespaces();
    bool resolveAttributes();
    Step endTag(char *begin, char *end);
    Step declaration(char *begin, char *end);
    bool namespaceOf(std::string_view prefix, XmlNs &ns);
    bool lookUpNamespace(std::string_view prefix, XmlNs &ns);
    void unbind(size_t bindings)
    {
        if (m_bindings.size() != bindings) {
            m_bindings.resize(bindings);
            m_cacheValid = false;
        }
    }
    void pushOpen(const QName &name, XmlNs ns, size_t bindingsBefore);
    // Done, or Finished once the handler has all it needs; inline, as it follows every event.
    Step delivered(const char *tokenEnd) { return m_handler.finished() ? finishedAt(tokenEnd) : Step::Done; }
    Step finishedAt(const char *tokenEnd);

    XmlPartHandler &m_handler;
    std::unique_ptr<char[]> m_data;
    size_t m_capacity = 0;
    size_t m_size = 0;         // bytes in m_data
    size_t m_pos = 0;          // first unread byte
    std::int64_t m_offset = 0; // part offset of m_data[0]
    std::int64_t m_finishedAt = 0;
    Place m_place = Place::Start;
    std::vector<Binding> m_bindings;
    // The last prefix looked up and its namespace, valid until the bindings change.
    std::string m_cachedPrefix;
    XmlNs m_cachedNs = XmlNs::None;
    bool m_cacheValid = false;
    std::vector<Open> m_open;
    std::vector<char> m_names; // the open elements' names, one after another; only grows
    // The current start tag's, in fixed arrays as a tag has at most MaxAttributes.
    std::array<RawAttribute, MaxAttributes> m_raw;
    size_t m_rawCount = 0;
    size_t m_declarations = 0; // of m_raw
    std::array<XmlAttribute, MaxAttributes> m_attributes;
};
