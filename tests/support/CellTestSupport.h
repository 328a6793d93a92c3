#pragma once

#include "convert/WorkbookCells.h"
#include "tests/support/Files.h"

#include <cmath>
#include <gtest/gtest.h>
#include <ostream>

// Cell values for reader and conversion tests, with readable failure messages.

inline const auto Number = [](double n) { return CellValue{CellValue::Type::Number, n, {}, false}; };
inline const auto Text = [](const QString &t) { return CellValue{CellValue::Type::Text, 0, t, false}; };
inline const auto Boolean = [](bool b) { return CellValue{CellValue::Type::Boolean, 0, {}, b}; };
inline const auto Error = [] { return CellValue{CellValue::Type::Error, 0, {}, false}; };

inline void PrintTo(const CellValue &cell, std::ostream *out)
{
    *out << "{type " << int(cell.type) << ", " << cell.number << ", \"" << cell.text.toStdString() << "\", "
         << cell.boolean << '}';
}

// Numbers agree to 1e-9 relative; an error's text is informative and not compared.
inline testing::AssertionResult SameCell(const CellValue &actual, const CellValue &expected)
{
    using Type = CellValue::Type;
    if (actual.type == expected.type &&
        (actual.type != Type::Number ||
         std::abs(actual.number - expected.number) <= 1e-9 * std::max(1.0, std::abs(expected.number))) &&
        (actual.type != Type::Text || actual.text == expected.text) &&
        (actual.type != Type::Boolean || actual.boolean == expected.boolean))
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "got " << testing::PrintToString(actual) << ", expected "
                                       << testing::PrintToString(expected);
}
