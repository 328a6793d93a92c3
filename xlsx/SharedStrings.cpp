#include "xlsx/SharedStrings.h"

#include "xlsx/XlsxPackage.h"

#include <algorithm>

SharedStringsHandler::SharedStringsHandler(const std::vector<std::int64_t> &wanted,
                                           std::vector<std::optional<QString>> &items)
    : m_wanted(wanted), m_items(items)
{
}

void SharedStringsHandler::startElement(XmlNs ns, std::string_view name, const XmlAttributes &)
{
    ++m_depth;
    if (m_itemDepth) {
        m_text.startElement(ns, name);
    } else if (m_depth == 2 && ns == XmlNs::Main && name == "si") {
        m_itemDepth = m_depth;
        m_keep = m_wanted[m_next] == m_count;
    }
}

void SharedStringsHandler::endElement(XmlNs, std::string_view)
{
    if (m_itemDepth && m_depth == m_itemDepth) {
        endItem(m_text.text());
        m_text.reset();
    } else if (m_itemDepth) {
        m_text.endElement();
    }
    --m_depth;
}

// The usual item, "<t>" plain text "</t></si>", in one step instead of four events.
size_t SharedStringsHandler::takeContent(std::string_view following)
{
    // Right after an item's start tag; unprefixed, so its t is in the item's namespace.
    std::string_view text;
    const size_t taken = m_itemDepth && m_depth == m_itemDepth ? PlainElement(following, "<t>", "</t></si>", text) : 0;
    if (taken) {
        endItem(text);
        --m_depth;
    }
    return taken;
}

void SharedStringsHandler::characters(std::string_view text)
{
    if (m_keep)
        m_text.characters(text);
}

bool SharedStringsHandler::forget()
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

void SharedStringsHandler::endItem(std::string_view text)
{
    if (m_keep) {
        m_items[m_next] = DecodeXlsxEscapes(text);
        if (++m_next == m_wanted.size())
            finish();
    }
    m_itemDepth = 0;
    m_keep = false;
    ++m_count;
}

Failure SharedStrings::read(XlsxPackage &package, const QString &partName, const std::vector<std::int64_t> &wanted)
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
