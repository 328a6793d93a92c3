#pragma once

#include "xlsx/XlsxCellValue.h"
#include "xlsx/XlsxXml.h"

#include <cstdint>
#include <memory>
#include <memory_resource>
#include <utility>
#include <vector>

// The cells a sheet read keeps: rows firstRow..lastRow of the listed columns (every column when none listed).
struct CellWindow {
    int firstRow = 1;
    int lastRow = 100;
    std::vector<int> columns;
    size_t maxCells = SIZE_MAX; // the read stops, overflowed, when it would keep more
};

using CellPosition = std::pair<int, int>; // row, column; both from 1

// Kept cells and the store their texts lie in: one allocation for many texts instead of one for each. A cell met
// again leaves its old text there, so the store holds at most the part's inflated bytes.
struct RawCells {
    std::vector<std::pair<CellPosition, RawCell>> cells;
    std::unique_ptr<std::pmr::monotonic_buffer_resource> texts =
        std::make_unique<std::pmr::monotonic_buffer_resource>();
};

// Reads a worksheet's sheetData, keeping the cells of a window; finishes at the first row numbered above the
// window, so rows below it are never inflated.
class SheetReader : public XmlPartHandler
{
public:
    explicit SheetReader(const CellWindow &window);

    // The kept cells in row and column order, each position once with the last value met.
    RawCells takeCells();
    // Whether the read stopped at the window's maxCells.
    bool overflowed() const { return m_overflowed; }

    void startElement(XmlNs ns, std::string_view name, const XmlAttributes &attributes) override;
    void endElement(XmlNs ns, std::string_view name) override;
    void characters(std::string_view text) override;
    size_t takeContent(std::string_view following) override;
    std::int64_t bytesStillNeeded(std::int64_t fed) const override;

protected:
    bool forget() override;

private:
    enum class Capture { None, Value, Inline, Formula };

    bool wantsColumn(int column) const;
    void compact();
    // A copy of text in the store.
    std::string_view keep(std::string_view text);

    CellWindow m_window;
    std::vector<bool> m_columns; // by column number, empty when all are wanted
    RawCells m_cells;            // in document order until compacted
    size_t m_compactAt = 4096;   // size at which repeated positions are folded, bounding memory

    bool m_overflowed = false;
    int m_depth = 0;
    int m_sheetDataDepth = 0; // 0 outside sheetData
    int m_row = 0;            // current or last row element's number
    bool m_inRow = false;
    int m_column = 0;          // current or last cell's column in this row element
    RawCell *m_cell = nullptr; // the kept cell being read
    int m_cellDepth = 0;
    Capture m_capture = Capture::None;
    std::string m_value; // the v text being read
    RichTextCollector m_inline;
};

// The shared-string indices the "s" cells use.
std::vector<std::int64_t> SharedStringIndices(const RawCells &cells);

// Column number of a cell reference's letters ("a1" and "A1" give 1), or 0 when it has none or too many.
int ReferenceColumn(std::string_view reference);
