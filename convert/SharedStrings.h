#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

class XlsxPackage;

// The shared-strings table, read only as far as the highest index asked for; only the wanted items are kept.
class SharedStrings
{
public:
    // Reads partName up to the highest wanted index; an empty partName is a workbook without the part (an
    // empty table). Empty when read, otherwise the package's reason.
    QString read(XlsxPackage &package, const QString &partName, const std::vector<std::int64_t> &wanted);

    // The item's text, escapes decoded, or nothing when the index is outside the table (or was not wanted).
    std::optional<QString> text(std::int64_t index) const;

private:
    std::vector<std::int64_t> m_wanted;          // ascending, no repeats
    std::vector<std::optional<QString>> m_items; // by position in m_wanted; empty when beyond the table
};
