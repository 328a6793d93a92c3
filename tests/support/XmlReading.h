#pragma once

// Reads XML bytes with expat and with the quick tokenizer into any part handler, in chunks of a given size, the
// way the package feeds them; shared by the tokenizer tests and the differential fuzz target.

#include "convert/XlsxXml.h"
#include "convert/XmlTokenizer.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

struct XmlReading {
    enum class Verdict { Read, GaveUp, BadXml, DtdRefused, OutOfMemory };
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
        if constexpr (std::is_same_v<Parser, XmlPartParser>) {
            if (status == Status::BadXml)
                reading.verdict = XmlReading::Verdict::BadXml;
            else if (status == Status::DtdRefused)
                reading.verdict = XmlReading::Verdict::DtdRefused;
            else if (status == Status::OutOfMemory)
                reading.verdict = XmlReading::Verdict::OutOfMemory;
        }
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
    std::string events;

    void startElement(XmlNs ns, std::string_view name, const XmlAttributes &attributes) override
    {
        flush();
        events += '<';
        put(ns, name);
        for (const XmlAttribute &attribute : attributes) {
            events += ' ';
            put(attribute.ns, attribute.name);
            events += "=\"";
            events += attribute.value;
            events += '"';
        }
        events += '>';
        counted();
    }
    void endElement(XmlNs ns, std::string_view name) override
    {
        flush();
        events += "</";
        put(ns, name);
        events += '>';
        counted();
    }
    void characters(std::string_view text) override { m_text += text; }
    bool forget() override
    {
        events.clear();
        m_text.clear();
        m_count = 0;
        return true;
    }
    // The events up to the end, character data included.
    std::string all()
    {
        flush();
        return events;
    }

private:
    void put(XmlNs ns, std::string_view name)
    {
        static constexpr const char *Names[] = {"", "main:", "r:", "pkg:", "other:"};
        events += Names[int(ns)];
        events += name;
    }
    void flush()
    {
        if (!m_text.empty())
            events += "[" + m_text + "]";
        m_text.clear();
    }
    void counted()
    {
        if (++m_count == m_finishAfter)
            finish();
    }

    int m_finishAfter;
    int m_count = 0;
    std::string m_text;
};
