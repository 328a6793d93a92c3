#pragma once

#include <QString>
#include <QStringList>

// The names of the directory entries (storages and streams) of an OLE compound file, the container of legacy
// .xls workbooks and of encrypted .xlsx workbooks, as far as its directory can be followed; empty when the file
// is no compound file or its header is unusable. Read here by hand: Debian's compound-file reader (libgsf) would
// bring GLib into the reader for a look at a few directory names.
QStringList CompoundFileEntryNames(const QString &path);
