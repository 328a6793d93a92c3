#pragma once

#include "convert/SheetReader.h"
#include "convert/WorkbookCells.h"
#include "convert/XlsxPackage.h"

#include <QString>
#include <map>

using SheetCells = std::map<CellPosition, CellValue>;

struct SheetCellsResult {
    bool ok() const { return error.isEmpty(); }
    QString error;    // as WorkbookCells::error
    SheetCells cells; // the window's cells that hold a value; empty ones are left out
};

// Reads the window's cells of the workbook's first sheet in tab order straight from the .xlsx file; a read that
// would need more than inflatedLimit bytes of XML is "workbook too large".
SheetCellsResult ReadFirstSheetCells(const QString &path, const CellWindow &window,
                                     std::int64_t inflatedLimit = InflatedXmlLimit);
