#pragma once

#include "events/Failure.h"
#include "xlsx/CellValue.h"
#include "xlsx/SheetReader.h"
#include "xlsx/XlsxPackage.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <map>

using SheetCells = std::map<CellPosition, CellValue>;

// The cells of a workbook's first sheet, or why it could not be read: "file not found", "is a folder", "not an
// xlsx workbook", "encrypted workbook", "legacy .xls workbook: save it as .xlsx", "OpenDocument spreadsheet, not
// .xlsx", "workbook too large", "damaged workbook: ..." or a formula that is not calculated here.
struct [[nodiscard]] FirstSheetCells {
    SheetCells cells; // the window's cells that hold a value; empty ones are left out, and all after a failure
    Failure failure;
};

using CellReceiver = std::function<void(const CellPosition &, CellValue &&)>;

// Reads the window's cells of the workbook's first sheet, handing each that holds a value to receive in row and
// column order; after a failure (as FirstSheetCells::failure) the cells received are to be dropped. Formulas to
// calculate take now for TODAY and NOW.
Failure ReadFirstSheet(const QString &path, const CellWindow &window, const QDateTime &now, const CellReceiver &receive,
                       std::int64_t inflatedLimit = InflatedXmlLimit);

// Reads the window's cells of the workbook's first sheet in tab order straight from the .xlsx file; a read that
// would need more than inflatedLimit bytes of XML is "workbook too large".
FirstSheetCells ReadFirstSheetCells(const QString &path, const CellWindow &window, const QDateTime &now,
                                    std::int64_t inflatedLimit = InflatedXmlLimit);
