#include "xlsx/SheetReader.h"

#include <algorithm>
#include <charconv>
#include <iterator>

namespace {

constexpr int MaxRow = 1048576;
constexpr int MaxColumn = 16384;

// A row's r: a whole number from 1 (a larger one than any sheet has counts as beyond the last row), otherwise 0.
int RowNumber(std::string_view view)
{
    int row = 0;
    const auto [ptr, ec] = std::from_chars(view.data(), view.data() + view.size(), row);
    if (ptr != view.data() + view.size() || view.empty() || view.front() == '-')
        return 0;
    if (ec == std::errc::result_out_of_range || (ec == std::errc() && row > MaxRow))
        return MaxRow + 1;
    return ec == std::errc() && row >= 1 ? row : 0;
}

} // namespace

int ReferenceColumn(std::string_view reference)
{
    int column = 0;
    size_t i = 0;
    for (; i < reference.size() && i < 4; ++i) {
        char c = reference[i];
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
        if (c < 'A' || c > 'Z')
            break;
        column = column * 26 + (c - 'A' + 1);
    }
    if (i == 0 || column > MaxColumn)
        return 0;
    return column;
}

SheetReader::SheetReader(const CellWindow &window) : m_window(window)
{
    for (int column : window.columns) {
        if (column < 1 || column > MaxColumn)
            continue;
        if (m_columns.size() <= size_t(column))
            m_columns.resize(size_t(column) + 1);
        m_columns[size_t(column)] = true;
    }
    // Room for a window filled once, so that the usual sheet never regrows the list.
    if (!window.columns.empty() && window.lastRow >= window.firstRow)
        m_cells.cells.reserve(
            std::min(m_compactAt, size_t(window.lastRow - window.firstRow + 1) * window.columns.size()));
}

bool SheetReader::forget()
{
    SheetReader fresh(m_window);
    *this = std::move(fresh);
    return true;
}

// Inline, as it is asked for every cell.
inline bool SheetReader::wantsColumn(int column) const
{
    if (m_window.columns.empty())
        return true;
    return size_t(column) < m_columns.size() && m_columns[size_t(column)];
}

void SheetReader::compact()
{
    auto &cells = m_cells.cells;
    const auto byPosition = [](const auto &a, const auto &b) { return a.first < b.first; };
    // Rows and cells usually come in order already; sorting them anyway would copy every cell.
    if (!std::is_sorted(cells.begin(), cells.end(), byPosition))
        std::stable_sort(cells.begin(), cells.end(), byPosition);
    // Of equal positions the last one met wins.
    auto kept = cells.begin();
    for (auto it = cells.begin(); it != cells.end(); ++it) {
        if (kept != cells.begin() && std::prev(kept)->first == it->first)
            *std::prev(kept) = std::move(*it);
        else if (kept++ != it)
            *std::prev(kept) = std::move(*it);
    }
    cells.erase(kept, cells.end());
}

std::string_view SheetReader::keep(std::string_view text)
{
    if (text.empty())
        return {};
    char *const copy = static_cast<char *>(m_cells.texts->allocate(text.size(), 1));
    CopyShort(text, copy);
    return {copy, text.size()};
}

RawCells SheetReader::takeCells()
{
    compact();
    return std::exchange(m_cells, RawCells());
}

std::vector<std::int64_t> SharedStringIndices(const RawCells &cells)
{
    std::vector<std::int64_t> indices;
    indices.reserve(cells.cells.size());
    for (const auto &[position, cell] : cells.cells) {
        if (cell.type != "s")
            continue;
        // Anything but an index becomes an error value later.
        if (const std::optional<std::int64_t> index = SharedStringIndex(cell.value))
            indices.push_back(*index);
    }
    return indices;
}

void SheetReader::startElement(XmlNs ns, std::string_view name, const XmlAttributes &attributes)
{
    ++m_depth;
    if (m_cell && m_depth > m_cellDepth) {
        if (m_capture == Capture::Inline) {
            m_inline.startElement(ns, name);
        } else if (m_depth == m_cellDepth + 1 && ns == XmlNs::Main) {
            if (name == "v") {
                m_capture = Capture::Value;
                m_value.clear();
                m_cell->hasValue = true;
            } else if (name == "is") {
                m_capture = Capture::Inline;
                m_cell->hasInline = true;
            } else if (name == "f") {
                m_capture = Capture::Formula;
                m_value.resize(0); // the f text is gathered where the v text is
                m_cell->hasFormula = true;
                const std::string_view kind = attributes.view(XmlNs::None, "t");
                m_cell->formulaKind = kind == "shared"                         ? RawCell::FormulaKind::Shared
                                      : kind == "array" || kind == "dataTable" ? RawCell::FormulaKind::Array
                                                                               : RawCell::FormulaKind::Plain;
                m_cell->sharedIndex = keep(attributes.view(XmlNs::None, "si"));
            }
        }
        return;
    }
    if (ns != XmlNs::Main)
        return;
    if (!m_sheetDataDepth) {
        if (m_depth == 2 && name == "sheetData")
            m_sheetDataDepth = m_depth;
        return;
    }
    if (m_depth == m_sheetDataDepth + 1 && name == "row") {
        // An absent r and an empty one both count as none.
        const int number = RowNumber(attributes.view(XmlNs::None, "r"));
        m_row = number ? number : m_row + 1;
        if (m_row > m_window.lastRow) {
            finish();
            return;
        }
        m_inRow = true;
        m_column = 0;
    } else if (m_inRow && m_depth == m_sheetDataDepth + 2 && name == "c") {
        // The cell belongs to its row element whatever the row part of its reference says.
        const int column = ReferenceColumn(attributes.view(XmlNs::None, "r"));
        m_column = column ? column : m_column + 1;
        if (m_row < m_window.firstRow || m_column > MaxColumn || !wantsColumn(m_column))
            return;
        const CellPosition position{m_row, m_column};
        auto &cells = m_cells.cells;
        if (cells.size() >= m_compactAt) {
            compact();
            m_compactAt = std::max(m_compactAt, 2 * cells.size());
        }
        // A cell met twice keeps its last value. A new one is built in place: moving a RawCell in costs more.
        if (cells.empty() || cells.back().first != position) {
            if (cells.size() >= m_window.maxCells) {
                m_overflowed = true;
                finish();
                return;
            }
            cells.emplace_back().first = position;
        } else
            cells.back().second = RawCell();
        RawCell &cell = cells.back().second;
        cell.type = attributes.view(XmlNs::None, "t");
        m_cell = &cell;
        m_cellDepth = m_depth;
    }
}

void SheetReader::endElement(XmlNs, std::string_view)
{
    if (m_cell) {
        if (m_depth == m_cellDepth) {
            m_cell = nullptr;
            m_capture = Capture::None;
        } else if (m_depth == m_cellDepth + 1) {
            if (m_capture == Capture::Inline) {
                m_cell->inlineText = keep(m_inline.text());
                m_inline.reset();
            } else if (m_capture == Capture::Value) {
                m_cell->value = keep(m_value);
            } else if (m_capture == Capture::Formula) {
                m_cell->formula = keep(m_value);
            }
            m_capture = Capture::None;
        } else if (m_capture == Capture::Inline) {
            m_inline.endElement();
        }
    } else if (m_sheetDataDepth) {
        if (m_depth == m_sheetDataDepth + 1)
            m_inRow = false;
        else if (m_depth == m_sheetDataDepth)
            finish(); // nothing after sheetData holds cells
    }
    --m_depth;
}

// The usual kept cell, "<v>" plain text "</v></c>", in one step instead of four events: for a typical schedule
// that is a fifth of its read.
size_t SheetReader::takeContent(std::string_view following)
{
    // Right after the kept cell's start tag; unprefixed, so its v is in the cell's namespace.
    std::string_view text;
    const size_t taken = m_cell && m_depth == m_cellDepth ? PlainElement(following, "<v>", "</v></c>", text) : 0;
    if (taken) {
        m_cell->hasValue = true;
        m_cell->value = keep(text);
        m_cell = nullptr;
        --m_depth;
    }
    return taken;
}

void SheetReader::characters(std::string_view text)
{
    if (m_capture == Capture::Value || m_capture == Capture::Formula) {
        // A value is mostly a few bytes, for which the C library's copy costs more than copying them one by one.
        if (text.size() > 32)
            m_value.append(text);
        else
            for (const char c : text)
                m_value.push_back(c);
    } else if (m_capture == Capture::Inline) {
        m_inline.characters(text);
    }
}

std::int64_t SheetReader::bytesStillNeeded(std::int64_t fed) const
{
    // The rows up to the one that ends the read, rated by row number: rows left out cost nothing.
    return m_sheetDataDepth ? BytesAtRate(fed, m_row, std::int64_t(m_window.lastRow) + 1) : 0;
}
