#pragma once

#include <QString>

// A cell's value as the workbook stores it.
struct CellValue {
    enum class Type { Empty, Number, Text, Boolean, Error };
    Type type = Type::Empty;
    double number = 0; // Number (day serial for dates and times)
    QString text;      // Text, verbatim
    bool boolean = false;
};
