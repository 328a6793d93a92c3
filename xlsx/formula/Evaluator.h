#pragma once

#include "xlsx/formula/Refusal.h"
#include "xlsx/formula/Value.h"

#include <QString>
#include <QStringView>
#include <memory>
#include <optional>

namespace formula {

// A cell of the workbook; sheet counts from 0 in workbook order, row and column from 1.
struct CellAddress {
    int sheet = 0;
    int row = 1;
    int column = 1;
};

// What a cell holds, as the workbook stores it.
struct CellContent {
    Value value;       // when there is no formula
    QString formula;   // without "="; for a shared formula, its master's text
    int rowOffset = 0; // from a shared formula's master to this cell
    int columnOffset = 0;
    bool array = false; // an array formula
};

// The rows and columns in use: every cell beyond them is blank.
struct SheetExtent {
    int rows = 0;
    int columns = 0;
};

// The workbook as the evaluator asks for it.
class Workbook
{
public:
    virtual ~Workbook() = default;
    // The sheet of that name (compared as the spreadsheet program does, ignoring case); nullopt when none.
    virtual std::optional<int> sheetIndex(QStringView name) = 0;
    virtual SheetExtent extent(int sheet) = 0;
    virtual CellContent cell(const CellAddress &address) = 0;
    // The formula text a defined name stands for (compared ignoring case): the name scoped to sheet first, then
    // the workbook's.
    virtual std::optional<QString> definedName(QStringView name, int sheet) = 0;
};

class Calc;

// Calculates cells and formulas of one workbook, remembering every cell it calculated. now is the current
// date and time as a day serial (days since 1899-12-30), for TODAY and NOW.
class Evaluator
{
public:
    Evaluator(Workbook &workbook, double now, const Limits &limits = {});
    ~Evaluator();

    // The cell's value: its stored value, or its formula's result. A formula never gives Blank.
    [[nodiscard]] Result<Value> cellValue(const CellAddress &address);
    // A formula as if it stood in the cell at.
    [[nodiscard]] Result<Value> calculate(QStringView formula, const CellAddress &at);

private:
    std::unique_ptr<Calc> m_calc;
};

} // namespace formula
