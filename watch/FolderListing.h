#pragma once

#include <QString>
#include <QStringList>

// Fills names with the plain files of folderPath (regular files, or links to them) whose names match
// pattern, a wildcard with "*" and "?" such as "*.XLSX", without regard to case. Hidden files (".name")
// and office lock files ("~$name") are left out. Names are ordered by their upper-cased form, then by
// their code units, so pairing does not depend on the file system's order. A missing or unreadable folder
// gives no names. Returns false when the enumeration broke off part way; names then holds what was found.
// problem, when given, is set to why the folder could not be listed in full ("folder not found" also for an
// empty path or a file in its place, "folder cannot be read: REASON"), or emptied.
bool ListFolderFiles(const QString &folderPath, const QString &pattern, QStringList &names, QString *problem = nullptr);

// True when name matches the wildcard pattern without regard to case.
bool MatchesWildcard(const QString &name, const QString &pattern);

// Why a scan could not list the watch folder at folderPath ("folder not found", "folder cannot be read: REASON"),
// the text its panel's caption then shows; empty when it can.
QString FolderListingProblem(const QString &folderPath);
