#pragma once

#include <QStringList>

struct WorkbookArguments {
    QStringList workbooks;
    QStringList unmatched; // patterns that matched no workbook
};

// The workbooks named on the command line. On Windows, where no shell expands wildcards, a name with "*" or "?"
// in its last part stands for the matching files of its folder, sorted by name; elsewhere the shell has done it.
[[nodiscard]] WorkbookArguments ExpandWorkbookArguments(const QStringList &arguments);
