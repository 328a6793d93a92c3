#include "convert/XmlTokenizer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

namespace {

constexpr size_t MaxToken = size_t(1) << 20; // an unfinished token longer than this is left to expat
constexpr size_t MaxDepth = 256;
constexpr size_t MaxAttributes = 64;
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

// Bytes that stand for themselves in character data and attribute values.
constexpr auto PlainBytes = [] {
    std::array<bool, 256> bytes{};
    for (int c = 0x20; c < 0x80; ++c)
        bytes[size_t(c)] = c != '&' && c != '<' && c != ']';
    return bytes;
}();

// A qualified name: prefix empty when there is none; full is prefix, ":" and local.
struct QName {
    std::string_view full;
    std::string_view prefix;
    std::string_view local;
};

// An ASCII name at p with at most one ':' between two name parts; false for any other name. A name running to
// end may go on in the next chunk.
bool ScanQName(const char *p, const char *end, QName &name)
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
    name.full = {start, size_t(p - start)};
    name.prefix = colon ? std::string_view(start, size_t(colon - start)) : std::string_view();
    name.local = colon ? std::string_view(colon + 1, size_t(p - colon - 1)) : name.full;
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
        std::unique_ptr<char[]> data(new char[unread + size]);
        if (unread)
            std::memcpy(data.get(), m_data.get(), unread);
        m_data = std::move(data);
        m_capacity = unread + size;
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
            char *const lt = static_cast<char *>(std::memchr(p, '<', size_t(end - p)));
            if (!lt)
                return unfinished(p);
            if (const Step step = text(p, lt); step != Step::Done)
                return step;
            continue;
        }
        if (const Step step = markup(p, end); step != Step::Done)
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

XmlTokenizer::Step XmlTokenizer::text(char *begin, char *end)
{
    char *const decoded = Decode(begin, end, false);
    if (!decoded)
        return Step::GiveUp;
    m_pos = size_t(end - m_data.get());
    m_handler.characters(std::string_view(begin, size_t(decoded - begin)));
    return delivered(end);
}

XmlTokenizer::Step XmlTokenizer::markup(char *begin, char *end)
{
    if (end - begin < 2)
        return Step::More;
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
    if (begin[1] == '!') {
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
    if (begin[1] == '/') {
        char *const close = static_cast<char *>(std::memchr(begin + 2, '>', size_t(end - begin - 2)));
        return close ? endTag(begin, close) : Step::More;
    }
    return startTag(begin, end);
}

bool XmlTokenizer::namespaceOf(std::string_view prefix, XmlNs &ns) const
{
    for (auto binding = m_bindings.rbegin(); binding != m_bindings.rend(); ++binding) {
        if (binding->prefix.size() == prefix.size() && binding->prefix == prefix) {
            ns = binding->ns;
            return true;
        }
    }
    ns = XmlNs::None;
    return prefix.empty(); // no default namespace means none
}

XmlTokenizer::Step XmlTokenizer::startTag(char *begin, char *end)
{
    QName name;
    if (m_place == Place::Epilog || m_open.size() >= MaxDepth || !ScanQName(begin + 1, end, name))
        return Step::GiveUp;
    // Attributes, each after white space, then "/>" or ">".
    m_raw.clear();
    char *p = begin + 1 + name.full.size();
    const auto skipSpace = [&] {
        while (p < end && IsSpace(*p))
            ++p;
        return p < end;
    };
    bool empty = false;
    for (;;) {
        const char *const start = p;
        if (!skipSpace())
            return Step::More;
        if (*p == '>')
            break;
        if (*p == '/') {
            if (p + 1 == end)
                return Step::More;
            if (p[1] != '>')
                return Step::GiveUp;
            empty = true;
            ++p;
            break;
        }
        QName attribute;
        if (p == start || m_raw.size() == MaxAttributes || !ScanQName(p, end, attribute))
            return Step::GiveUp;
        p += attribute.full.size();
        if (!skipSpace())
            return Step::More;
        if (*p++ != '=')
            return Step::GiveUp;
        if (!skipSpace())
            return Step::More;
        if (*p != '"' && *p != '\'')
            return Step::GiveUp;
        char *const valueEnd = static_cast<char *>(std::memchr(p + 1, *p, size_t(end - p - 1)));
        if (!valueEnd)
            return Step::More;
        for (const RawAttribute &other : m_raw) {
            // The same name twice, or two prefixes that may name one namespace, is left to expat.
            if (other.full == attribute.full ||
                (!other.prefix.empty() && !attribute.prefix.empty() && other.local == attribute.local))
                return Step::GiveUp;
        }
        m_raw.push_back({attribute.full, attribute.prefix, attribute.local, p + 1, valueEnd});
        p = valueEnd + 1;
    }
    char *const close = p;

    // Namespace declarations first, as they hold for the element's own name and attributes.
    const size_t bindingsBefore = m_bindings.size();
    for (RawAttribute &attribute : m_raw) {
        const bool isDefault = attribute.full == "xmlns";
        if (!isDefault && attribute.prefix != "xmlns")
            continue;
        char *const valueEnd = Decode(attribute.value, attribute.valueEnd, true);
        if (!valueEnd)
            return Step::GiveUp;
        const std::string_view uri(attribute.value, size_t(valueEnd - attribute.value));
        if ((!isDefault && (uri.empty() || attribute.local == "xml" || attribute.local == "xmlns")) || uri == XmlUri ||
            uri == XmlnsUri || uri.find(' ') != std::string_view::npos)
            return Step::GiveUp;
        m_bindings.push_back({std::string(isDefault ? std::string_view() : attribute.local),
                              uri.empty() ? XmlNs::None : ClassifyNamespace(uri)});
        attribute.value = nullptr; // not an attribute for the handler
    }
    XmlNs ns = XmlNs::None;
    if (name.prefix == "xml" || name.prefix == "xmlns" || !namespaceOf(name.prefix, ns))
        return Step::GiveUp;
    m_attributes.clear();
    for (const RawAttribute &attribute : m_raw) {
        if (!attribute.value)
            continue;
        XmlNs attributeNs = XmlNs::None;
        if (attribute.prefix == "xml")
            attributeNs = XmlNs::Other;
        else if (!attribute.prefix.empty() && !namespaceOf(attribute.prefix, attributeNs))
            return Step::GiveUp;
        char *const valueEnd = Decode(attribute.value, attribute.valueEnd, true);
        if (!valueEnd)
            return Step::GiveUp;
        *valueEnd = '\0';
        m_attributes.push_back({attributeNs, attribute.local, attribute.value});
    }

    m_place = Place::Content;
    m_pos = size_t(close + 1 - m_data.get());
    const XmlAttribute *const first = m_attributes.data();
    m_handler.startElement(ns, name.local, XmlAttributes(first, first + m_attributes.size()));
    if (const Step step = delivered(close + 1); step != Step::Done)
        return step;
    if (!empty) {
        m_names.append(name.full);
        m_open.push_back({m_names.size(), bindingsBefore, ns});
        return Step::Done;
    }
    m_bindings.resize(bindingsBefore);
    if (m_open.empty())
        m_place = Place::Epilog;
    m_handler.endElement(ns, name.local);
    return delivered(close + 1);
}

XmlTokenizer::Step XmlTokenizer::endTag(char *begin, char *close)
{
    if (m_open.empty())
        return Step::GiveUp;
    const Open open = m_open.back();
    const size_t nameStart = m_open.size() > 1 ? m_open[m_open.size() - 2].nameEnd : 0;
    const std::string_view openName = std::string_view(m_names).substr(nameStart, open.nameEnd - nameStart);
    const char *p = begin + 2;
    if (size_t(close - p) < openName.size() || std::string_view(p, openName.size()) != openName)
        return Step::GiveUp;
    p += openName.size();
    while (p < close && IsSpace(*p))
        ++p;
    if (p != close)
        return Step::GiveUp;
    const size_t colon = openName.find(':');
    const std::string_view local(begin + 2 + (colon == std::string_view::npos ? 0 : colon + 1),
                                 openName.size() - (colon == std::string_view::npos ? 0 : colon + 1));
    m_open.pop_back();
    m_names.resize(nameStart);
    m_bindings.resize(open.bindings);
    if (m_open.empty())
        m_place = Place::Epilog;
    m_pos = size_t(close + 1 - m_data.get());
    m_handler.endElement(open.ns, local);
    return delivered(close + 1);
}

XmlTokenizer::Step XmlTokenizer::delivered(const char *tokenEnd)
{
    if (!m_handler.finished())
        return Step::Done;
    m_finishedAt = m_offset + (tokenEnd - m_data.get());
    return Step::Finished;
}
