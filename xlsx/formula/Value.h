#pragma once

#include <QString>
#include <QStringView>
#include <optional>

namespace formula {

// The error values a spreadsheet cell can hold.
enum class ErrorValue { Null, Div0, Value, Ref, Name, Num, NA };

// "#DIV/0!" and the like, as the spreadsheet program writes them.
QString ErrorText(ErrorValue error);
std::optional<ErrorValue> ErrorFromText(QStringView text);

// A calculated or stored cell value. Blank is an empty cell, distinct from the empty text.
struct Value {
    enum class Type { Blank, Number, Text, Boolean, Error };
    Type type = Type::Blank;
    double number = 0; // Number; day serial for dates and times
    QString text;      // Text
    bool boolean = false;
    ErrorValue error = ErrorValue::NA;

    static Value Blank() { return {}; }
    static Value Number(double n);
    static Value Text(QString t);
    static Value Boolean(bool b);
    static Value Error(ErrorValue e);

    bool isError() const { return type == Type::Error; }
    bool operator==(const Value &other) const;
};

} // namespace formula
