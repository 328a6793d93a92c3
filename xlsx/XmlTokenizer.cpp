#include "xlsx/XmlTokenizer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

namespace {

constexpr size_t MaxToken = size_t(1) << 20; // an unfinished token longer than this is left to expat
constexpr size_t MaxDepth = 256;
constexpr std::string_view XmlUri = "http://www.w3.org/XML/1998/namespace";
constexpr std::string_view XmlnsUri = "http://www.w3.org/2000/xmlns/";

constexpr bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

constexpr bool IsNameStart(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

constexpr bool IsNameChar(char c)
{
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '.' || c == '-';
}

constexpr auto NameBytes = [] {
    std::array<bool, 256> bytes{};
    for (int c = 0; c < 128; ++c)
        bytes[size_t(c)] = IsNameChar(char(c));
    return bytes;
}();

constexpr auto SpaceBytes = [] {
    std::array<bool, 256> bytes{};
    for (const char c : {' ', '\t', '\n', '\r'})
        bytes[size_t(c)] = true;
    return bytes;
}();

constexpr auto PlainBytes = XmlPlainBytes;

// Plain bytes that cannot end an attribute value either: a value made of them is used as it stands.
constexpr auto PlainValueBytes = [] {
    std::array<bool, 256> bytes = PlainBytes;
    bytes[size_t('"')] = bytes[size_t('\'')] = false;
    bytes[size_t(']')] = true; // "]]>" matters in text only
    return bytes;
}();

char *SkipSpace(char *p, const char *end)
{
    while (p < end && SpaceBytes[static_cast<unsigned char>(*p)])
        ++p;
    return p;
}

char *SkipPlain(char *p, const char *end)
{
    while (p < end && PlainBytes[static_cast<unsigned char>(*p)])
        ++p;
    return p;
}

// Equality of the short names of tags, without a library call for a handful of bytes.
bool SameBytes(const char *a, const char *b, size_t size)
{
    for (size_t i = 0; i < size; ++i) {
        if (a[i] != b[i])
            return false;
    }
    return true;
}

// The length of the UTF-8 sequence at p (first byte from 0x80) when it is a well-formed XML character, else 0.
size_t Utf8Char(const unsigned char *p, const unsigned char *end)
{
    const auto next = [&](size_t i, unsigned char low = 0x80, unsigned char high = 0xBF) {
        return p + i < end && p[i] >= low && p[i] <= high;
    };
    const unsigned char c = p[0];
    if (c >= 0xC2 && c <= 0xDF)
        return next(1) ? 2 : 0;
    if (c == 0xE0)
        return next(1, 0xA0) && next(2) ? 3 : 0;
    if (c == 0xED) // no surrogates
        return next(1, 0x80, 0x9F) && next(2) ? 3 : 0;
    if (c == 0xEF && next(1, 0xBF, 0xBF)) // U+FFFE and U+FFFF are no characters
        return next(2, 0x80, 0xBD) ? 3 : 0;
    if (c >= 0xE1 && c <= 0xEF)
        return next(1) && next(2) ? 3 : 0;
    if (c == 0xF0)
        return next(1, 0x90) && next(2) && next(3) ? 4 : 0;
    if (c >= 0xF1 && c <= 0xF3)
        return next(1) && next(2) && next(3) ? 4 : 0;
    if (c == 0xF4)
        return next(1, 0x80, 0x8F) && next(2) && next(3) ? 4 : 0;
    return 0;
}

bool IsXmlChar(std::uint32_t code)
{
    return code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF) ||
           (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF);
}

char *PutUtf8(char *out, std::uint32_t code)
{
    if (code < 0x80) {
        *out++ = char(code);
    } else if (code < 0x800) {
        *out++ = char(0xC0 | (code >> 6));
        *out++ = char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        *out++ = char(0xE0 | (code >> 12));
        *out++ = char(0x80 | ((code >> 6) & 0x3F));
        *out++ = char(0x80 | (code & 0x3F));
    } else {
        *out++ = char(0xF0 | (code >> 18));
        *out++ = char(0x80 | ((code >> 12) & 0x3F));
        *out++ = char(0x80 | ((code >> 6) & 0x3F));
        *out++ = char(0x80 | (code & 0x3F));
    }
    return out;
}

// The reference at p ("&...;") decoded to out; the byte after it, or nullptr when it is none of the five
// entities or a character reference to an XML character.
char *Reference(char *p, char *end, char *&out)
{
    char *const semicolon = static_cast<char *>(std::memchr(p, ';', size_t(std::min<std::ptrdiff_t>(end - p, 12))));
    if (!semicolon)
        return nullptr;
    const std::string_view name(p + 1, size_t(semicolon - p - 1));
    static constexpr std::pair<std::string_view, char> Entities[] = {
        {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
    for (const auto &[entity, c] : Entities) {
        if (name == entity) {
            *out++ = c;
            return semicolon + 1;
        }
    }
    if (name.size() < 2 || name[0] != '#')
        return nullptr;
    const bool hex = name[1] == 'x';
    const std::string_view digits = name.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 8)
        return nullptr;
    std::uint32_t code = 0;
    for (const char c : digits) {
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0 || code > 0x10FFFF)
            return nullptr;
        code = code * (hex ? 16 : 10) + std::uint32_t(digit);
    }
    if (!IsXmlChar(code))
        return nullptr;
    out = PutUtf8(out, code);
    return semicolon + 1;
}

// Checks and decodes character data or an attribute value in place: references replaced, line ends made "\n"
// and, in an attribute value, tabs and line ends made spaces. The decoded end, or nullptr when not plain XML.
char *Decode(char *p, char *end, bool attribute)
{
    while (p < end && PlainBytes[static_cast<unsigned char>(*p)])
        ++p;
    char *out = p;
    while (p < end) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (PlainBytes[c]) {
            *out++ = *p++;
        } else if (c == '\t' || c == '\n') {
            *out++ = attribute ? ' ' : char(c);
            ++p;
        } else if (c == '\r') {
            *out++ = attribute ? ' ' : '\n';
            if (++p < end && *p == '\n')
                ++p;
        } else if (c == '&') {
            p = Reference(p, end, out);
            if (!p)
                return nullptr;
        } else if (c == ']') {
            if (!attribute && end - p >= 3 && p[1] == ']' && p[2] == '>')
                return nullptr;
            *out++ = *p++;
        } else if (c >= 0x80) {
            const size_t length =
                Utf8Char(reinterpret_cast<unsigned char *>(p), reinterpret_cast<unsigned char *>(end));
            if (!length)
                return nullptr;
            for (size_t i = 0; i < length; ++i)
                *out++ = *p++;
        } else {
            return nullptr; // a control character, or "<" in an attribute value
        }
    }
    return out;
}

// Whether a comment or processing instruction holds only XML characters.
bool AllXmlChars(const char *p, const char *end)
{
    while (p < end) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c >= 0x80) {
            const size_t length =
                Utf8Char(reinterpret_cast<const unsigned char *>(p), reinterpret_cast<const unsigned char *>(end));
            if (!length)
                return false;
            p += length;
        } else if (c >= 0x20 || c == '\t' || c == '\n' || c == '\r') {
            ++p;
        } else {
            return false;
        }
    }
    return true;
}

char *Find(char *p, char *end, std::string_view what)
{
    const std::string_view text(p, size_t(end - p));
    const size_t found = text.find(what);
    return found == std::string_view::npos ? nullptr : p + found;
}

// Whether the bytes from p, as far as they go, begin like what.
bool StartsLike(const char *p, const char *end, std::string_view what)
{
    const size_t length = std::min(size_t(end - p), what.size());
    return length == 0 || std::memcmp(p, what.data(), length) == 0;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return (x >= 'A' && x <= 'Z' ? char(x - 'A' + 'a') : x) == y;
           });
}

} // namespace

XmlTokenizer::XmlTokenizer(XmlPartHandler &handler) : m_handler(handler) {}

char *XmlTokenizer::buffer(size_t size)
{
    const size_t unread = m_size - m_pos;
    if (m_pos) {
        std::memmove(m_data.get(), m_data.get() + m_pos, unread);
        m_offset += std::int64_t(m_pos);
        m_size = unread;
        m_pos = 0;
    }
    if (m_capacity < unread + size) {
        // At least doubled: a long token arriving in small chunks would otherwise be copied again with each one.
        const size_t capacity = std::max(unread + size, 2 * m_capacity);
        std::unique_ptr<char[]> data(new char[capacity]);
        if (unread)
            std::memcpy(data.get(), m_data.get(), unread);
        m_data = std::move(data);
        m_capacity = capacity;
    }
    return m_data.get() + m_size;
}

XmlTokenizer::Status XmlTokenizer::parse(size_t length, bool final)
{
    m_size += length;
    try {
        switch (run()) {
        case Step::Finished:
            return Status::Finished;
        case Step::More:
            if (!final)
                return Status::More;
            // A whole document ends after its root, with nothing unread.
            return m_place == Place::Epilog && m_pos == m_size ? Status::Finished : Status::GaveUp;
        case Step::Done:
        case Step::GiveUp:
            break;
        }
    } catch (const std::bad_alloc &) {
    }
    return Status::GaveUp;
}

XmlTokenizer::Step XmlTokenizer::run()
{
    char *const data = m_data.get();
    char *const end = data + m_size;
    const auto unfinished = [&](const char *from) { return size_t(end - from) > MaxToken ? Step::GiveUp : Step::More; };
    for (;;) {
        char *p = data + m_pos;
        if (m_place == Place::Start) {
            // A byte order mark and the XML declaration count only at the very start.
            const size_t available = size_t(end - p);
            if (m_offset + std::int64_t(m_pos) == 0 && StartsLike(p, end, "\xEF\xBB\xBF")) {
                if (available < 3)
                    return Step::More;
                m_pos += 3;
                continue;
            }
            if (StartsLike(p, end, "<?xml ") && available < 6)
                return Step::More;
            if (available >= 6 && std::memcmp(p, "<?xml", 5) == 0 && IsSpace(p[5])) {
                if (const Step step = declaration(p, end); step != Step::Done)
                    return step == Step::More ? unfinished(p) : step;
            }
            m_place = Place::Prolog;
            continue;
        }
        if (p == end)
            return Step::More;
        if (*p != '<') {
            if (m_place != Place::Content) {
                // Outside the root element only white space.
                while (p < end && IsSpace(*p))
                    ++p;
                m_pos = size_t(p - data);
                if (p < end && *p != '<')
                    return Step::GiveUp;
                continue;
            }
            // Text is mostly plain bytes up to the next tag: then neither a search nor a decoding is needed.
            char *const plainEnd = SkipPlain(p, end);
            char *const lt = plainEnd < end && *plainEnd == '<'
                                 ? plainEnd
                                 : static_cast<char *>(std::memchr(plainEnd, '<', size_t(end - plainEnd)));
            if (!lt)
                return unfinished(p);
            if (const Step step = text(p, plainEnd, lt); step != Step::Done)
                return step;
            continue;
        }
        // The tags are dispatched here rather than in a function of their own, which would cost a call each.
        Step step = Step::More;
        if (end - p >= 2 && p[1] == '/') {
            step = endTag(p, end);
        } else if (end - p >= 2) {
            step = p[1] == '?' || p[1] == '!' ? markup(p, end) : startTag(p, end);
        }
        if (step != Step::Done)
            return step == Step::More ? unfinished(p) : step;
    }
}

XmlTokenizer::Step XmlTokenizer::declaration(char *begin, char *end)
{
    char *const close = Find(begin + 5, end, "?>");
    if (!close)
        return Step::More;
    const char *p = begin + 5;
    bool bad = false;
    const auto space = [&] {
        const char *start = p;
        while (p < close && IsSpace(*p))
            ++p;
        return p != start;
    };
    // name = "value" with either quote; false when the name is not next.
    const auto pseudo = [&](std::string_view name, std::string_view &value) {
        if (size_t(close - p) < name.size() || std::string_view(p, name.size()) != name)
            return false;
        p += name.size();
        space();
        if (p == close || *p++ != '=') {
            bad = true;
            return false;
        }
        space();
        const char quote = p < close ? *p++ : 0;
        const char *valueEnd = quote == '"' || quote == '\''
                                   ? static_cast<const char *>(std::memchr(p, quote, size_t(close - p)))
                                   : nullptr;
        if (!valueEnd) {
            bad = true;
            return false;
        }
        value = {p, size_t(valueEnd - p)};
        p = valueEnd + 1;
        return true;
    };
    std::string_view value;
    space();
    if (!pseudo("version", value) || value != "1.0")
        return Step::GiveUp;
    bool spaced = space();
    if (spaced && pseudo("encoding", value)) {
        if (!EqualsNoCase(value, "utf-8"))
            return Step::GiveUp;
        spaced = space();
    }
    if (spaced && pseudo("standalone", value)) {
        if (value != "yes" && value != "no")
            return Step::GiveUp;
        space();
    }
    if (bad || p != close)
        return Step::GiveUp;
    m_pos = size_t(close + 2 - m_data.get());
    m_place = Place::Prolog;
    return Step::Done;
}

// The functions for text and tags are inline, used in this file only: folded into run(), each token costs no
// calls of its own.
// Character data from begin to end, plain up to plainEnd.
inline XmlTokenizer::Step XmlTokenizer::text(char *begin, char *plainEnd, char *end)
{
    char *const decoded = plainEnd == end ? end : Decode(plainEnd, end, false);
    if (!decoded)
        return Step::GiveUp;
    m_pos = size_t(end - m_data.get());
    m_handler.characters(std::string_view(begin, size_t(decoded - begin)));
    return delivered(end);
}

// A processing instruction or a comment; anything else after "<!" is left to expat.
XmlTokenizer::Step XmlTokenizer::markup(char *begin, char *end)
{
    if (begin[1] == '?') {
        char *const close = Find(begin + 2, end, "?>");
        if (!close)
            return Step::More;
        const char *p = begin + 2;
        if (p == close || !IsNameStart(*p))
            return Step::GiveUp;
        while (p < close && IsNameChar(*p))
            ++p;
        // Targets from "xml" on are reserved; a ":" in one is refused in namespace mode.
        if (EqualsNoCase(std::string_view(begin + 2, std::min<size_t>(3, size_t(p - begin - 2))), "xml") ||
            (p < close && !IsSpace(*p)) || !AllXmlChars(p, close))
            return Step::GiveUp;
        m_pos = size_t(close + 2 - m_data.get());
        return Step::Done;
    }
    if (!StartsLike(begin, end, "<!--"))
        return Step::GiveUp; // a DOCTYPE, CDATA or worse
    if (end - begin < 4)
        return Step::More;
    char *const dashes = Find(begin + 4, end, "--");
    if (!dashes || end - dashes < 3)
        return Step::More;
    if (dashes[2] != '>' || !AllXmlChars(begin + 4, dashes))
        return Step::GiveUp;
    m_pos = size_t(dashes + 3 - m_data.get());
    return Step::Done;
}

// An ASCII name at p with at most one ':' between two name parts; false for any other name. A name running to
// end may go on in the next chunk.
inline bool XmlTokenizer::scanQName(const char *p, const char *end, QName &name)
{
    const char *start = p;
    const char *colon = nullptr;
    if (p == end || !IsNameStart(*p))
        return false;
    for (++p;; ++p) {
        while (p < end && NameBytes[static_cast<unsigned char>(*p)])
            ++p;
        if (p == end || *p != ':')
            break;
        if (colon || (p + 1 < end && !IsNameStart(p[1])))
            return false;
        colon = p;
    }
    // From a local, not from name.full: reading back a view just stored in two halves stalls the processor.
    const std::string_view full(start, size_t(p - start));
    name.full = full;
    name.prefix = colon ? std::string_view(start, size_t(colon - start)) : std::string_view();
    name.local = colon ? std::string_view(colon + 1, size_t(p - colon - 1)) : full;
    return true;
}

inline bool XmlTokenizer::namespaceOf(std::string_view prefix, XmlNs &ns)
{
    // Bindings change only on elements that declare namespaces, and a part's names mostly share one prefix.
    if (m_cacheValid && prefix.size() == m_cachedPrefix.size() &&
        SameBytes(prefix.data(), m_cachedPrefix.data(), prefix.size())) {
        ns = m_cachedNs;
        return true;
    }
    return lookUpNamespace(prefix, ns);
}

bool XmlTokenizer::lookUpNamespace(std::string_view prefix, XmlNs &ns)
{
    ns = XmlNs::None;
    bool bound = prefix.empty(); // no default namespace means none
    for (auto binding = m_bindings.rbegin(); binding != m_bindings.rend(); ++binding) {
        if (binding->prefix == prefix) {
            ns = binding->ns;
            bound = true;
            break;
        }
    }
    if (bound) {
        m_cachedPrefix.assign(prefix);
        m_cachedNs = ns;
        m_cacheValid = true;
    }
    return bound;
}

inline XmlTokenizer::Step XmlTokenizer::startTag(char *begin, char *end)
{
    QName name;
    if (m_place == Place::Epilog || m_open.size() >= MaxDepth || !scanQName(begin + 1, end, name))
        return Step::GiveUp;
    char *close = begin + 1 + name.full.size();
    bool declares = false;
    if (const Step step = scanAttributes(close, end, declares); step != Step::Done)
        return step;
    const bool empty = *close == '/';
    if (empty)
        ++close;

    // Namespace declarations first, as they hold for the element's own name and attributes.
    const size_t bindingsBefore = m_bindings.size();
    XmlNs ns = XmlNs::None;
    if ((declares && !declareNamespaces()) || name.prefix == "xml" || name.prefix == "xmlns" ||
        !namespaceOf(name.prefix, ns) || !resolveAttributes())
        return Step::GiveUp;

    m_place = Place::Content;
    m_pos = size_t(close + 1 - m_data.get());
    const XmlAttribute *const first = m_attributes.data();
    m_handler.startElement(ns, name.local, XmlAttributes(first, first + (m_rawCount - m_declarations)));
    if (const Step step = delivered(close + 1); step != Step::Done)
        return step;
    if (!empty) {
        // At MaxDepth a child element makes the tokenizer give up, so then nothing is offered.
        const size_t taken = name.prefix.empty() && !declares && m_open.size() + 1 < MaxDepth
                                 ? m_handler.takeContent(std::string_view(close + 1, size_t(end - close - 1)))
                                 : 0;
        if (!taken) {
            pushOpen(name, ns, bindingsBefore);
            return Step::Done;
        }
        close += taken;
        m_pos = size_t(close + 1 - m_data.get());
        if (m_open.empty())
            m_place = Place::Epilog;
        return delivered(close + 1);
    }
    unbind(bindingsBefore);
    if (m_open.empty())
        m_place = Place::Epilog;
    m_handler.endElement(ns, name.local);
    return delivered(close + 1);
}

inline void XmlTokenizer::pushOpen(const QName &name, XmlNs ns, size_t bindingsBefore)
{
    const size_t start = m_open.empty() ? 0 : m_open.back().nameEnd;
    const size_t end = start + name.full.size();
    if (m_names.size() < end)
        m_names.resize(2 * end);
    CopyShort(name.full, m_names.data() + start);
    m_open.push_back({end, name.full.size() - name.local.size(), bindingsBefore, ns});
}

// Reads the attributes, each after white space, up to "/>" or ">", leaving p there.
inline XmlTokenizer::Step XmlTokenizer::scanAttributes(char *&p, char *end, bool &declares)
{
    m_rawCount = 0;
    for (;;) {
        char *const start = p;
        p = SkipSpace(p, end);
        if (p == end)
            return Step::More;
        if (*p == '>')
            return Step::Done;
        if (*p == '/') {
            if (p + 1 == end)
                return Step::More;
            return p[1] == '>' ? Step::Done : Step::GiveUp;
        }
        if (p == start || m_rawCount == MaxAttributes)
            return Step::GiveUp;
        RawAttribute &attribute = m_raw[m_rawCount];
        if (!scanQName(p, end, attribute.name))
            return Step::GiveUp;
        p = SkipSpace(p + attribute.name.full.size(), end);
        if (p == end)
            return Step::More;
        if (*p != '=')
            return Step::GiveUp;
        p = SkipSpace(p + 1, end);
        if (p == end)
            return Step::More;
        const char quote = *p;
        if (quote != '"' && quote != '\'')
            return Step::GiveUp;
        attribute.value = ++p;
        // A value of plain bytes is used as it stands; any other is decoded once the tag is complete.
        while (p < end && PlainValueBytes[static_cast<unsigned char>(*p)])
            ++p;
        attribute.plain = p < end && *p == quote;
        if (!attribute.plain) {
            p = static_cast<char *>(std::memchr(p, quote, size_t(end - p)));
            if (!p)
                return Step::More;
        }
        attribute.valueEnd = p++;
        const QName &own = attribute.name;
        for (size_t i = 0; i < m_rawCount; ++i) {
            const QName &other = m_raw[i].name;
            // The same name twice, or two prefixes that may name one namespace, is left to expat.
            if (other.full == own.full || (!other.prefix.empty() && !own.prefix.empty() && other.local == own.local))
                return Step::GiveUp;
        }
        attribute.declaration = own.full[0] == 'x' && (own.prefix.empty() ? own.full : own.prefix) == "xmlns";
        declares = declares || attribute.declaration;
        ++m_rawCount;
    }
}

// Binds the prefixes the start tag declares.
inline bool XmlTokenizer::declareNamespaces()
{
    for (size_t i = 0; i < m_rawCount; ++i) {
        const RawAttribute &attribute = m_raw[i];
        if (!attribute.declaration)
            continue;
        const bool isDefault = attribute.name.prefix.empty();
        char *const valueEnd = Decode(attribute.value, attribute.valueEnd, true);
        if (!valueEnd)
            return false;
        const std::string_view uri(attribute.value, size_t(valueEnd - attribute.value));
        const std::string_view prefix = isDefault ? std::string_view() : attribute.name.local;
        if ((!isDefault && (uri.empty() || prefix == "xml" || prefix == "xmlns")) || uri == XmlUri || uri == XmlnsUri ||
            uri.find(' ') != std::string_view::npos)
            return false;
        m_bindings.push_back({std::string(prefix), uri.empty() ? XmlNs::None : ClassifyNamespace(uri)});
        m_cacheValid = false;
    }
    return true;
}

// The start tag's other attributes for the handler, by namespace, values decoded and ending in a NUL.
inline bool XmlTokenizer::resolveAttributes()
{
    m_declarations = 0;
    XmlAttribute *out = m_attributes.data();
    for (size_t i = 0; i < m_rawCount; ++i) {
        const RawAttribute &attribute = m_raw[i];
        if (attribute.declaration) {
            ++m_declarations;
            continue;
        }
        const std::string_view prefix = attribute.name.prefix;
        XmlNs ns = XmlNs::None;
        if (prefix == "xml")
            ns = XmlNs::Other;
        else if (!prefix.empty() && !namespaceOf(prefix, ns))
            return false;
        char *const valueEnd = attribute.plain ? attribute.valueEnd : Decode(attribute.value, attribute.valueEnd, true);
        if (!valueEnd)
            return false;
        *valueEnd = '\0';
        *out++ = {ns, attribute.name.local, std::string_view(attribute.value, size_t(valueEnd - attribute.value))};
    }
    return true;
}

// The end tag at begin, which ends at the first ">".
inline XmlTokenizer::Step XmlTokenizer::endTag(char *begin, char *end)
{
    char *close = nullptr;
    size_t nameStart = 0;
    size_t nameSize = 0;
    if (!m_open.empty()) {
        nameStart = m_open.size() > 1 ? m_open[m_open.size() - 2].nameEnd : 0;
        nameSize = m_open.back().nameEnd - nameStart;
        // Usually the open element's name and ">" follow; a name holds no ">", so that one is the first.
        if (size_t(end - begin) > 2 + nameSize && begin[2 + nameSize] == '>')
            close = begin + 2 + nameSize;
    }
    if (!close)
        close = static_cast<char *>(std::memchr(begin + 2, '>', size_t(end - begin - 2)));
    if (!close)
        return Step::More;
    if (m_open.empty())
        return Step::GiveUp;
    const Open open = m_open.back();
    const char *p = begin + 2;
    if (size_t(close - p) < nameSize || !SameBytes(p, m_names.data() + nameStart, nameSize))
        return Step::GiveUp;
    if (SkipSpace(begin + 2 + nameSize, close) != close)
        return Step::GiveUp;
    const std::string_view local(p + open.localOffset, nameSize - open.localOffset);
    m_open.pop_back();
    unbind(open.bindings);
    if (m_open.empty())
        m_place = Place::Epilog;
    m_pos = size_t(close + 1 - m_data.get());
    m_handler.endElement(open.ns, local);
    return delivered(close + 1);
}

XmlTokenizer::Step XmlTokenizer::finishedAt(const char *tokenEnd)
{
    m_finishedAt = m_offset + (tokenEnd - m_data.get());
    return Step::Finished;
}
