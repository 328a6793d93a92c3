#pragma once

#include "events/Failure.h"

#include <QString>
#include <QStringList>

// What one listing of a folder brought.
struct [[nodiscard]] FolderListing {
    QStringList names;    // ordered by their upper-cased form, then by their code units
    Failure failure;      // why the folder could not be listed in full ("folder not found" also for an empty path or
                          // a file in its place, "folder cannot be read: REASON")
    bool complete = true; // false when the enumeration broke off part way: names then holds what was found
};

// The plain files of folderPath (regular files, or links to them) whose names match pattern, a wildcard with "*"
// and "?" such as "*.XLSX", without regard to case. Hidden files (".name") and office lock files ("~$name") are
// left out. The order does not depend on the file system's, so pairing does not either. A missing or unreadable
// folder gives no names and a failure, but counts as complete.
FolderListing ListFolderFiles(const QString &folderPath, const QString &pattern);

// True when name matches the wildcard pattern without regard to case.
bool MatchesWildcard(const QString &name, const QString &pattern);

// Why a scan could not list the watch folder at folderPath, the text its panel's caption then shows.
Failure FolderListingProblem(const QString &folderPath);
