#pragma once

#include "xlsx/CellValue.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class SharedStrings;

// A cell as the sheet stores it, before its type is applied. Its texts lie in the store of the RawCells that
// hold it.
struct RawCell {
    // Provided, so that a cell built in place is not first zeroed byte by byte as a whole.
    RawCell() noexcept {}

    std::string type;             // the t attribute, empty when absent
    std::string_view value;       // the v text
    bool hasValue = false;        // a v element was met
    std::string_view inlineText;  // the text of is
    bool hasInline = false;       // an is element was met
    bool hasFormula = false;      // an f element was met
    std::string_view formula;     // the f text
    std::string_view sharedIndex; // the f's si
    // The f's t: Plain when absent or "normal".
    enum class FormulaKind : char { Plain, Shared, Array } formulaKind = FormulaKind::Plain;
};

// An xsd:double: surrounding whitespace and a leading "+" allowed, INF and NaN not.
std::optional<double> ParseXsdDouble(std::string_view text);

// An "s" cell's index into the shared strings: a whole number from 0, surrounding whitespace and one leading
// "+" allowed.
std::optional<std::int64_t> SharedStringIndex(std::string_view text);

// A "d" cell's ISO 8601 value as a day serial from 1899-12-30: yyyy-mm-dd, yyyy-mm-ddThh:mm:ss[.f], hh:mm:ss[.f]
// (a zone suffix ignored) or a duration PnDTnHnMnS as its length in days.
std::optional<double> ParseIsoDateValue(std::string_view text);

// The cell's value with its type applied; anything not of its type's form is an error value.
CellValue ResolveCell(const RawCell &raw, const SharedStrings &sharedStrings);
