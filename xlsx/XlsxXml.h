#pragma once

#include <QString>
#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct XML_ParserStruct;

// The namespaces a workbook reader tells apart; transitional and Strict forms map to the same value.
enum class XmlNs {
    None,          // no namespace (plain attributes)
    Main,          // SpreadsheetML main
    Relationships, // officeDocument relationships (r:id)
    Package,       // package relationships (.rels parts)
    Other,
};

XmlNs ClassifyNamespace(std::string_view uri);

// One attribute of an element: its namespace, local name and value (decoded, a NUL after its end).
struct XmlAttribute {
    XmlNs ns;
    std::string_view name;
    std::string_view value;
};

// An element's attributes; they point into the parser's buffer and live as long as the callback.
class XmlAttributes
{
public:
    XmlAttributes(const XmlAttribute *begin, const XmlAttribute *end) : m_begin(begin), m_end(end) {}
    // The attribute's value, or nullptr when absent. Inline, so that the name's length is known where it is
    // asked for: the usual one-letter names then cost no library call.
    const char *value(XmlNs ns, std::string_view name) const
    {
        const XmlAttribute *attribute = find(ns, name);
        return attribute ? attribute->value.data() : nullptr;
    }
    // The same as a view, empty when absent, for readers to which both mean the same: it saves measuring it.
    std::string_view view(XmlNs ns, std::string_view name) const
    {
        const XmlAttribute *attribute = find(ns, name);
        return attribute ? attribute->value : std::string_view();
    }
    const XmlAttribute *begin() const { return m_begin; }
    const XmlAttribute *end() const { return m_end; }

private:
    const XmlAttribute *find(XmlNs ns, std::string_view name) const
    {
        for (const XmlAttribute *attribute = m_begin; attribute != m_end; ++attribute) {
            if (attribute->ns == ns && attribute->name == name)
                return attribute;
        }
        return nullptr;
    }

    const XmlAttribute *m_begin;
    const XmlAttribute *m_end;
};

// Bytes that stand for themselves in character data and attribute values: printable ASCII but "&", "<" and "]"
// (which may begin "]]>").
inline constexpr auto XmlPlainBytes = [] {
    std::array<bool, 256> bytes{};
    for (int c = 0x20; c < 0x80; ++c)
        bytes[size_t(c)] = c != '&' && c != '<' && c != ']';
    return bytes;
}();

// For a handler's takeContent: when following is start, plain bytes and end ("<v>", "42", "</v></c>"), the plain
// bytes in text and the length of it all; otherwise 0.
inline size_t PlainElement(std::string_view following, std::string_view start, std::string_view end,
                           std::string_view &text)
{
    if (!following.starts_with(start))
        return 0;
    size_t textEnd = start.size();
    while (textEnd < following.size() && XmlPlainBytes[static_cast<unsigned char>(following[textEnd])])
        ++textEnd;
    if (following.substr(textEnd, end.size()) != end)
        return 0;
    text = following.substr(start.size(), textEnd - start.size());
    return textEnd + end.size();
}

// Copies text to out byte by byte and returns the end of the copy: a name or value in a workbook part is mostly a
// few bytes, for which the C library's copy costs more than the copying.
inline char *CopyShort(std::string_view text, char *out)
{
    for (const char c : text)
        *out++ = c;
    return out;
}

// A handler's guess at the bytes still needed to reach unit `target` (a row, an item) at the rate of `done`
// units in the first `fed` bytes, with an eighth and a little over; 0, no guess, before a few units give a rate.
inline std::int64_t BytesAtRate(std::int64_t fed, std::int64_t done, std::int64_t target)
{
    if (done < 8 || target < done)
        return 0;
    // A million units more is beyond any chunk already, and keeps the product far from overflowing.
    const std::int64_t rest = std::min(target - done, std::int64_t(1) << 20) * (fed / done);
    return rest + rest / 8 + 256;
}

// Receives one part's elements, each by namespace and local name.
class XmlPartHandler
{
public:
    virtual ~XmlPartHandler() = default;
    virtual void startElement(XmlNs ns, std::string_view name, const XmlAttributes &attributes) = 0;
    virtual void endElement(XmlNs ns, std::string_view name) = 0;
    virtual void characters(std::string_view) {}
    // Offered, by the quick tokenizer only, the bytes after the start tag of an element without prefix or
    // namespace declarations: a handler that knows the element's whole content and end tag there may take them in
    // one step, exactly as their events would have left it, and return how many bytes it took; 0 leaves them to
    // the tokenizer.
    virtual size_t takeContent(std::string_view) { return 0; }
    // How many more bytes of the part the handler expects to need, having been fed the first `fed`; 0 when it
    // cannot tell. Only the size of the next chunk depends on it: a wrong guess costs time, never a result.
    virtual std::int64_t bytesStillNeeded(std::int64_t /*fed*/) const { return 0; }
    // True once the handler has all it needs: the parse stops there.
    bool finished() const { return m_finished; }
    // Forgets everything received, so that the part can be read again from its start after the quick tokenizer
    // gave up; false when the handler cannot, which keeps it on expat alone.
    bool restart()
    {
        m_finished = false;
        return forget();
    }

protected:
    void finish() { m_finished = true; }
    virtual bool forget() { return false; }

private:
    bool m_finished = false;
};

// An expat parser in namespace mode fed chunk by chunk; refuses any DOCTYPE.
class XmlPartParser
{
public:
    enum class Status { More, Finished, BadXml, DtdRefused, OutOfMemory };

    explicit XmlPartParser(XmlPartHandler &handler);
    ~XmlPartParser();
    XmlPartParser(const XmlPartParser &) = delete;
    XmlPartParser &operator=(const XmlPartParser &) = delete;

    // Room for the next chunk, or nullptr when out of memory.
    void *buffer(int size);
    // Parses length bytes placed in buffer(); final marks the end of the part.
    Status parse(int length, bool final);
    // Bytes of the part up to the end of the event at which the handler finished.
    std::int64_t finishedAt() const { return m_finishedAt; }
    // The XML error and its line after BadXml: "line 3: mismatched tag".
    QString error() const { return m_error; }

    struct Callbacks;

private:
    void fail(Status status);

    XML_ParserStruct *m_parser;
    std::vector<XmlAttribute> m_attributes; // the current element's, reused
    XmlPartHandler &m_handler;
    QString m_error;
    Status m_failure = Status::More; // set by a callback that stopped the parse
    std::int64_t m_finishedAt = 0;
    bool m_stopped = false;
};

// Collects the text of a string item (si or is): its own t plus every run's t, phonetic runs skipped.
// Feed it the elements and text met inside the item, not the item element itself.
class RichTextCollector
{
public:
    void startElement(XmlNs ns, std::string_view name);
    void endElement();
    void characters(std::string_view text);
    // The text gathered since the last reset(), in UTF-8.
    const std::string &text() const { return m_text; }
    // Forgets the text, keeping its room for the next item.
    void reset();

private:
    int m_depth = 0;      // below the item element
    bool m_inRun = false; // inside a depth-1 r
    int m_textDepth = 0;  // depth of the t being captured, 0 when none
    std::string m_text;
};

// Decodes the _xHHHH_ escapes of a stored string; _x005F_ gives a literal "_".
QString DecodeXlsxEscapes(const QString &text);
// The same for a string still in UTF-8, which most often holds no escape to look for.
QString DecodeXlsxEscapes(std::string_view utf8);
