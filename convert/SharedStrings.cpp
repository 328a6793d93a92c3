#include "convert/SharedStrings.h"

#include "convert/XlsxPackage.h"

#include <algorithm>

namespace {

// Walks the sst's si items, keeping the wanted ones, and finishes after the last wanted.
class SharedStringsHandler : public XmlPartHandler
{
public:
    SharedStringsHandler(const std::vector<std::int64_t> &wanted, std::vector<std::optional<QString>> &items)
        : m_wanted(wanted), m_items(items)
    {
    }

    void startElement(XmlNs ns, std::string_view name, const XmlAttributes &) override
    {
        ++m_depth;
        if (m_itemDepth) {
            m_text.startElement(ns, name);
        } else if (m_depth == 2 && ns == XmlNs::Main && name == "si") {
            m_itemDepth = m_depth;
            m_keep = m_wanted[m_next] == m_count;
        }
    }

    void endElement(XmlNs, std::string_view) override
    {
        if (m_itemDepth && m_depth == m_itemDepth) {
            if (m_keep) {
                m_items[m_next] = DecodeXlsxEscapes(std::string_view(m_text.text()));
                if (++m_next == m_wanted.size())
                    finish();
            }
            m_text.reset();
            m_itemDepth = 0;
            m_keep = false;
            ++m_count;
        } else if (m_itemDepth) {
            m_text.endElement();
        }
        --m_depth;
    }

    void characters(std::string_view text) override
    {
        if (m_keep)
            m_text.characters(text);
    }

protected:
    bool forget() override
    {
        std::fill(m_items.begin(), m_items.end(), std::nullopt);
        m_next = 0;
        m_count = 0;
        m_text.reset();
        m_depth = 0;
        m_itemDepth = 0;
        m_keep = false;
        return true;
    }

private:
    const std::vector<std::int64_t> &m_wanted;
    std::vector<std::optional<QString>> &m_items;
    size_t m_next = 0;        // the next wanted item
    std::int64_t m_count = 0; // items passed
    RichTextCollector m_text;
    int m_depth = 0;
    int m_itemDepth = 0; // depth of the open si, 0 outside
    bool m_keep = false;
};

} // namespace

QString SharedStrings::read(XlsxPackage &package, const QString &partName, const std::vector<std::int64_t> &wanted)
{
    m_wanted = wanted;
    std::sort(m_wanted.begin(), m_wanted.end());
    m_wanted.erase(std::unique(m_wanted.begin(), m_wanted.end()), m_wanted.end());
    m_items.assign(m_wanted.size(), std::nullopt);
    if (partName.isEmpty() || m_wanted.empty())
        return {};
    SharedStringsHandler handler(m_wanted, m_items);
    return package.parse(partName, handler);
}

std::optional<QString> SharedStrings::text(std::int64_t index) const
{
    // Wanted indices are mostly a run without gaps, where an index's position is its distance from the first.
    if (!m_wanted.empty() && index >= m_wanted.front()) {
        const auto guess = std::uint64_t(index - m_wanted.front());
        if (guess < m_wanted.size() && m_wanted[guess] == index)
            return m_items[guess];
    }
    const auto found = std::lower_bound(m_wanted.begin(), m_wanted.end(), index);
    if (found == m_wanted.end() || *found != index)
        return std::nullopt;
    return m_items[size_t(found - m_wanted.begin())];
}
