#pragma once

// Reads XML bytes with expat and with the quick tokenizer into any part handler, in chunks of a given size, the
// way the package feeds them; shared by the tokenizer tests and the differential fuzz target.

#include "xlsx/SheetReader.h"
#include "xlsx/XlsxXml.h"
#include "xlsx/XmlTokenizer.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

struct XmlReading {
    enum class Verdict { Read, GaveUp }; // GaveUp: the tokenizer gave up, or expat found the XML wrong
    Verdict verdict = Verdict::Read;
    std::int64_t finishedAt = -1; // when the handler finished
    size_t calls = 0;             // parse calls up to the verdict
};

template <typename Parser, typename Bytes>
XmlReading ReadXml(std::string_view xml, size_t chunk, XmlPartHandler &handler)
{
    Parser parser(handler);
    XmlReading reading;
    for (size_t at = 0;; at += chunk) {
        const size_t length = at < xml.size() ? std::min(chunk, xml.size() - at) : 0;
        if (length)
            std::memcpy(parser.buffer(Bytes(length)), xml.data() + at, length);
        ++reading.calls;
        const auto status = parser.parse(Bytes(length), length == 0);
        using Status = decltype(status);
        if (status == Status::More)
            continue;
        if (status != Status::Finished)
            reading.verdict = XmlReading::Verdict::GaveUp;
        else if (handler.finished())
            reading.finishedAt = parser.finishedAt();
        return reading;
    }
}

inline XmlReading ReadWithExpat(std::string_view xml, size_t chunk, XmlPartHandler &handler)
{
    return ReadXml<XmlPartParser, int>(xml, chunk, handler);
}

inline XmlReading ReadQuickly(std::string_view xml, size_t chunk, XmlPartHandler &handler)
{
    return ReadXml<XmlTokenizer, size_t>(xml, chunk, handler);
}

// Writes every event as text so that two readings compare as strings; finishes after the given number of
// element events (0: never). Character data is merged, as parsers split it differently.
class XmlEventRecorder : public XmlPartHandler
{
public:
    explicit XmlEventRecorder(int finishAfter = 0) : m_finishAfter(finishAfter) {}

    void startElement(XmlNs ns, std::string_view name, const XmlAttributes &attributes) override
    {
        put("<", ns, name);
        for (const XmlAttribute &attribute : attributes) {
            put(" ", attribute.ns, attribute.name);
            m_events.append("=\"").append(attribute.value).append("\"");
        }
        m_events += '>';
        counted();
    }
    void endElement(XmlNs ns, std::string_view name) override
    {
        put("</", ns, name);
        m_events += '>';
        counted();
    }
    void characters(std::string_view text) override { m_text += text; }
    bool forget() override
    {
        m_events.clear();
        m_text.clear();
        m_count = 0;
        return true;
    }
    // The events up to the end, character data included.
    std::string all()
    {
        put("", XmlNs::None, {});
        return m_events;
    }

private:
    void put(const char *before, XmlNs ns, std::string_view name)
    {
        static constexpr const char *Names[] = {"", "main:", "r:", "pkg:", "other:"};
        if (!m_text.empty())
            m_events.append("[").append(m_text).append("]");
        m_text.clear();
        m_events.append(before).append(Names[int(ns)]).append(name);
    }
    void counted()
    {
        if (++m_count == m_finishAfter)
            finish();
    }

    int m_finishAfter;
    int m_count = 0;
    std::string m_events, m_text;
};

// Kept cells equal field by field.
inline bool SameCells(const RawCells &a, const RawCells &b)
{
    return std::equal(a.cells.begin(), a.cells.end(), b.cells.begin(), b.cells.end(), [](const auto &x, const auto &y) {
        return x.first == y.first && x.second.type == y.second.type && x.second.value == y.second.value &&
               x.second.hasValue == y.second.hasValue && x.second.inlineText == y.second.inlineText &&
               x.second.hasInline == y.second.hasInline;
    });
}
