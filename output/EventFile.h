#pragma once

#include "events/EventList.h"
#include "events/Failure.h"

#include <QByteArray>
#include <QString>

// The event file of a workbook (a file name, no folder): the name up to and including its first ".", then
// "TVX" ("Day 1.final.xlsx" gives "Day 1.TVX"); a name without "." gets ".TVX" appended. The watch folders
// list only names with a ".", so only tavrel-convert meets the second case.
QString EventFileName(const QString &workbookName);

// Low byte then high byte of every 16-bit unit, in decimal, joined by "-": "Hi" gives "72-0-105-0".
QString TextToByteCodes(const QString &text);

// The whole event file: "DWX300" and 13 lines per used slot, CR LF line ends.
QByteArray RenderEventFile(const EventList &events);

// Writes the event file whole or not at all (ReplaceWholeFile): an existing file is replaced only by a complete
// new one. The reason is "cannot write PATH: REASON"; nothing is left behind.
Failure WriteEventFile(const QString &path, const EventList &events);
