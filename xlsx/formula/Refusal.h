#pragma once

#include <QString>
#include <variant>

namespace formula {

// Why a formula is not calculated here. The caller names the cell: "formula in L7 " + Text() + ": open and
// save the workbook in a spreadsheet program".
struct Refusal {
    enum class Kind {
        Function,          // subject: the function's name
        Syntax,            // subject: the position, from 1
        Construct,         // subject: what is used ("an array constant")
        ExternalReference, // a reference to another workbook
        ArrayFormula,
        FormatCode, // subject: a TEXT format outside the subset
        TooLong,    // subject: the limit
        TooDeep,
        ChainTooLong,
        RangeTooLarge,
        TooManyCells,
    };
    Kind kind;
    QString subject;

    // "uses XLOOKUP, which is not calculated here".
    QString text() const;
};

// Every bound on the work one calculation may do; a formula beyond one is refused with its reason.
struct Limits {
    int formulaLength = 8192;      // characters, the spreadsheet program's own limit
    int nesting = 64;              // levels of parentheses, calls and operators in one formula
    int chain = 10000;             // formula cells waiting on one another at once
    int nested = 64;               // formula cells and names calculated inside another's calculation
    int rangeCells = 1000000;      // cells in one range, after whole columns and rows are cut to the used area
    long long cellsRead = 4000000; // cells read by one evaluator in all
};

// A value or why there is none.
template <class T> class [[nodiscard]] Result
{
public:
    Result(T value) : m_content(std::move(value)) {}
    Result(Refusal refusal) : m_content(std::move(refusal)) {}

    explicit operator bool() const { return m_content.index() == 0; }
    const T &value() const { return std::get<0>(m_content); }
    const Refusal &refusal() const { return std::get<1>(m_content); }

private:
    std::variant<T, Refusal> m_content;
};

} // namespace formula
