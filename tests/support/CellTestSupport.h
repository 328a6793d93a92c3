#pragma once

#include "tests/support/Files.h"
#include "xlsx/CellValue.h"

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

// An error's text is informative and not compared.
inline bool operator==(const CellValue &a, const CellValue &b)
{
    return a.type == b.type && a.number == b.number && a.boolean == b.boolean &&
           (a.type == CellValue::Type::Error || a.text == b.text);
}
