#pragma once

#include "convert/SheetReader.h"
#include "convert/WorkbookCells.h"
#include "convert/XlsxPackage.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <map>

using SheetCells = std::map<CellPosition, CellValue>;

struct SheetCellsResult {
    bool ok() const { return error.isEmpty(); }
    QString error;    // as WorkbookCells::error
    SheetCells cells; // the window's cells that hold a value; empty ones are left out
};

using CellReceiver = std::function<void(const CellPosition &, CellValue &&)>;

// Reads the window's cells of the workbook's first sheet, handing each that holds a value to receive in row and
// column order; empty when read, otherwise the reason (as WorkbookCells::error), and the cells received are to
// be dropped. Formulas to calculate take now for TODAY and NOW.
QString ReadFirstSheet(const QString &path, const CellWindow &window, const QDateTime &now, const CellReceiver &receive,
                       std::int64_t inflatedLimit = InflatedXmlLimit);

// Reads the window's cells of the workbook's first sheet in tab order straight from the .xlsx file; a read that
// would need more than inflatedLimit bytes of XML is "workbook too large".
SheetCellsResult ReadFirstSheetCells(const QString &path, const CellWindow &window, const QDateTime &now,
                                     std::int64_t inflatedLimit = InflatedXmlLimit);
