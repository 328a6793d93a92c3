#pragma once

#include "xlsx/CellValue.h"
#include "xlsx/SheetReader.h"
#include "xlsx/XlsxPackage.h"

#include <QDateTime>
#include <QString>
#include <map>
#include <vector>

// What calculating a workbook's formulas needs from its workbook part.
struct [[nodiscard]] WorkbookFormulaParts {
    struct Sheet {
        QString name;
        QString relationshipId;
        QString part; // filled from the relationships
    };
    struct Name {
        QString name;
        int sheet = -1; // localSheetId, -1 for the workbook's own
        QString formula;
    };
    std::vector<Sheet> sheets;
    std::vector<Name> names;
    bool fullCalcOnLoad = false;
    Failure failure; // why the workbook part could not be read
};

// Reads the sheets, defined names and calcPr of the workbook part.
WorkbookFormulaParts ReadWorkbookFormulaParts(XlsxPackage &package, const QString &workbookPart);

// Whether any cell read from the window holds a formula.
bool HasFormulas(const RawCells &window);
// Whether the window's formulas are to be calculated: one has no stored value, or the workbook asks for it.
bool NeedsCalculation(const RawCells &window, bool fullCalcOnLoad);

struct [[nodiscard]] CalculatedCells {
    std::map<CellPosition, CellValue> cells; // the window's formula cells, calculated; none after a failure
    // "formula in L7 uses XLOOKUP, which is not calculated here: open and save the workbook in a spreadsheet
    // program", or the package's reason.
    Failure failure;
};

// Calculates the formula cells read from the window of the first sheet, reading the cells, sheets and names they reach;
// now is the conversion's moment, for TODAY and NOW.
CalculatedCells CalculateWindow(XlsxPackage &package, const WorkbookFormulaParts &parts,
                                const QString &sharedStringsPart, const RawCells &window, const QDateTime &now);
