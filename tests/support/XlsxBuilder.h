#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

// Builds small .xlsx files for tests from inline XML.

inline const QByteArray MainNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
inline const QByteArray RelNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

// Part contents: a .rels part and one relationship (type is the last segment of its URI), a sheet with the
// given rows, a shared-strings table with the given si items, a workbook part with the given sheet elements.
QByteArray Rels(const QByteArray &relationships);
QByteArray Rel(const char *id, const char *type, const QByteArray &target);
QByteArray SheetXml(const QString &rows);
QByteArray SstXml(const QByteArray &items);
QByteArray WorkbookXml(const QByteArray &sheets);

// Archive entries in writing order: name as stored (may hold "\" or any case) and raw content.
using XlsxParts = std::vector<std::pair<QString, QByteArray>>;

// Writes a deflated zip archive holding the entries, replacing any file at path; false when libzip fails.
bool WriteZip(const QString &path, const XlsxParts &entries);

// The parts of a minimal transitional workbook whose first sheet (xl/worksheets/sheet1.xml) has the given
// sheetData content; xl/sharedStrings.xml is included only when sharedStrings is not empty.
XlsxParts TestWorkbookParts(const QString &sheetDataXml, const QStringList &sharedStrings = {});

// TestWorkbookParts written with WriteZip.
bool WriteTestWorkbook(const QString &path, const QString &sheetDataXml, const QStringList &sharedStrings = {});

// A schedule whose only row, 5, is one valid event: VR 1, 12:00 to 12:15, "News" from "CAM 1".
bool WriteOneEventSchedule(const QString &path);

// An OLE compound file (the container of .xls and of encrypted .xlsx workbooks) whose directory holds a root
// entry and an empty stream for each name, spread over as many 512-byte sectors as they need.
QByteArray CompoundFileBytes(const QStringList &streamNames);

// Replaces the entry called name (exact match) or appends it.
void SetPart(XlsxParts &parts, const QString &name, const QByteArray &content);
// Removes the entry called name (exact match).
void RemovePart(XlsxParts &parts, const QString &name);

// One cell's XML: a number (value written as given) and an inline string.
QString NumberCell(const QString &ref, const QString &value);
QString InlineStringCell(const QString &ref, const QString &text);
// A row element with the given cells' XML.
QString RowXml(int row, const QString &cellsXml);
