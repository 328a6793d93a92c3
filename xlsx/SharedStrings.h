#pragma once

#include "events/Failure.h"
#include "xlsx/XlsxXml.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

class XlsxPackage;

// Walks the sst's si items, keeping the wanted ones (ascending, no repeats, at least one) in items by their
// position in wanted, and finishes after the last wanted.
class SharedStringsHandler : public XmlPartHandler
{
public:
    SharedStringsHandler(const std::vector<std::int64_t> &wanted, std::vector<std::optional<QString>> &items);

    void startElement(XmlNs ns, std::string_view name, const XmlAttributes &attributes) override;
    void endElement(XmlNs ns, std::string_view name) override;
    void characters(std::string_view text) override;
    size_t takeContent(std::string_view following) override;
    std::int64_t bytesStillNeeded(std::int64_t fed) const override
    {
        return BytesAtRate(fed, m_count, m_wanted.back());
    }

protected:
    bool forget() override;

private:
    void endItem(std::string_view text);

    const std::vector<std::int64_t> &m_wanted;
    std::vector<std::optional<QString>> &m_items;
    size_t m_next = 0;        // the next wanted item
    std::int64_t m_count = 0; // items passed
    RichTextCollector m_text;
    int m_depth = 0;
    int m_itemDepth = 0; // depth of the open si, 0 outside
    bool m_keep = false;
};

// The shared-strings table, read only as far as the highest index asked for; only the wanted items are kept.
class SharedStrings
{
public:
    // Reads partName up to the highest wanted index; an empty partName is a workbook without the part (an
    // empty table). Fails with the package's reason.
    Failure read(XlsxPackage &package, const QString &partName, const std::vector<std::int64_t> &wanted);

    // The item's text, escapes decoded, or nothing when the index is outside the table (or was not wanted).
    std::optional<QString> text(std::int64_t index) const;

private:
    std::vector<std::int64_t> m_wanted;          // ascending, no repeats
    std::vector<std::optional<QString>> m_items; // by position in m_wanted; empty when beyond the table
};
