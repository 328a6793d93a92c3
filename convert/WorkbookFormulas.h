#pragma once

#include "convert/SheetReader.h"
#include "convert/WorkbookCells.h"
#include "convert/XlsxPackage.h"

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
};

// Reads the sheets, defined names and calcPr of the workbook part; empty when read, otherwise the reason.
QString ReadWorkbookFormulaParts(XlsxPackage &package, const QString &workbookPart, WorkbookFormulaParts &parts);

// Whether any cell of the block holds a formula.
bool HasFormulas(const RawCells &block);
// Whether the block's formulas are to be calculated: one has no stored value, or the workbook asks for it.
bool NeedsCalculation(const RawCells &block, bool fullCalcOnLoad);

struct CalculatedCells {
    bool ok() const { return error.isEmpty(); }
    // "formula in L7 uses XLOOKUP, which is not calculated here: open and save the workbook in a spreadsheet
    // program", or the package's reason.
    QString error;
    std::map<CellPosition, CellValue> cells; // the block's formula cells, calculated
};

// Calculates the block's formula cells on the first sheet, reading the cells, sheets and names they reach; now
// is the conversion's moment, for TODAY and NOW.
CalculatedCells CalculateBlock(XlsxPackage &package, const WorkbookFormulaParts &parts,
                               const QString &sharedStringsPart, const RawCells &block, const QDateTime &now);
