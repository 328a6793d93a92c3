#pragma once

#include "xlsx/CellValue.h"
#include "xlsx/SheetReader.h"
#include "xlsx/XlsxPackage.h"

#include <QDateTime>
#include <QString>
#include <map>
#include <vector>

// What calculating a workbook's formulas needs from its workbook part.
struct WorkbookFormulaParts {
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

// Whether any cell of the block holds a formula.
bool HasFormulas(const RawCells &block);
// Whether the block's formulas are to be calculated: one has no stored value, or the workbook asks for it.
bool NeedsCalculation(const RawCells &block, bool fullCalcOnLoad);

struct CalculatedCells {
    std::map<CellPosition, CellValue> cells; // the block's formula cells, calculated; none after a failure
    // "formula in L7 uses XLOOKUP, which is not calculated here: open and save the workbook in a spreadsheet
    // program", or the package's reason.
    Failure failure;
};

// Calculates the block's formula cells on the first sheet, reading the cells, sheets and names they reach; now
// is the conversion's moment, for TODAY and NOW.
CalculatedCells CalculateBlock(XlsxPackage &package, const WorkbookFormulaParts &parts,
                               const QString &sharedStringsPart, const RawCells &block, const QDateTime &now);
