#include "watch/FolderListing.h"

#include "config/WatchSettings.h"

#include <QFile>
#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>
#endif

namespace {

using KeyedNames = std::vector<std::pair<QString, QString>>; // upper-cased name, name

#ifndef _WIN32
bool IsPlainFile(const QByteArray &folder, const dirent &entry)
{
    if (entry.d_type == DT_REG)
        return true;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN)
        return false;
    struct stat info = {};
    return stat((folder + entry.d_name).constData(), &info) == 0 && S_ISREG(info.st_mode);
}
#endif

// name matches pattern (both upper-cased, upperAt(i) giving the name's i-th unit). What follows the last "*"
// has a fixed length, so it is checked against the end of the name first: that settles the usual "*.XLSX" at
// once. The rest is a greedy match that backs up to the last "*" on a mismatch.
template <typename UpperAt> bool MatchesUpperWildcard(qsizetype size, UpperAt upperAt, QStringView pattern)
{
    const qsizetype lastStar = pattern.lastIndexOf(u'*');
    if (lastStar >= 0) {
        const QStringView tail = pattern.sliced(lastStar + 1);
        if (size < tail.size())
            return false;
        size -= tail.size();
        for (qsizetype i = 0; i < tail.size(); ++i) {
            if (tail[i] != u'?' && tail[i] != upperAt(size + i))
                return false;
        }
        if (lastStar == 0) // a lone "*" takes whatever is left
            return true;
        pattern = pattern.first(lastStar + 1);
    }

    qsizetype n = 0, p = 0, starP = -1, starN = 0;
    while (n < size) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == upperAt(n))) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

#ifndef _WIN32
char AsciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}
#endif

// One comparison of the keys decides nearly every pair; the names only break ties.
void SortInto(KeyedNames &keyed, QStringList &names)
{
    std::sort(keyed.begin(), keyed.end(), [](const auto &a, const auto &b) {
        const int order = QString::compare(a.first, b.first, Qt::CaseSensitive);
        return order != 0 ? order < 0 : a.second < b.second;
    });
    names.reserve(static_cast<qsizetype>(keyed.size()));
    for (auto &entry : keyed)
        names.append(std::move(entry.second));
}

} // namespace

Failure FolderListingProblem(const QString &folderPath)
{
    return ListFolderFiles(WithTrailingSeparator(folderPath), QStringLiteral("*")).failure;
}

bool MatchesWildcard(const QString &name, const QString &pattern)
{
    return MatchesUpperWildcard(
        name.size(), [&name](qsizetype i) { return name[i].toUpper(); }, pattern.toUpper());
}

#ifdef _WIN32

namespace {

Failure ListingFailure(DWORD error)
{
    return {error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_DIRECTORY ||
                    error == ERROR_INVALID_NAME
                ? QStringLiteral("folder not found")
                : QStringLiteral("folder cannot be read: ") + qt_error_string(static_cast<int>(error))};
}

} // namespace

FolderListing ListFolderFiles(const QString &folderPath, const QString &pattern)
{
    FolderListing listing;
    if (folderPath.isEmpty()) {
        listing.failure = ListingFailure(ERROR_PATH_NOT_FOUND);
        return listing;
    }
    QString query = folderPath;
    if (!query.endsWith(u'\\') && !query.endsWith(u'/'))
        query += u'\\';
    // Every name, matched here: the system's own matching also tries the short 8.3 names.
    query += u'*';
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileExW(reinterpret_cast<const wchar_t *>(query.utf16()), FindExInfoBasic, &found,
                                   FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) {
        // A drive's root with nothing in it has not even "." and "..".
        if (const DWORD error = GetLastError(); error != ERROR_FILE_NOT_FOUND)
            listing.failure = ListingFailure(error);
        return listing;
    }

    const QString upperPattern = pattern.toUpper();
    KeyedNames keyed;
    do {
        if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
            continue;
        QString name = QString::fromWCharArray(found.cFileName);
        if (name.startsWith(u'.') || name.startsWith(QLatin1String("~$")))
            continue;
        QString key = name.toUpper();
        if (!MatchesUpperWildcard(
                key.size(), [&key](qsizetype i) { return key[i]; }, upperPattern))
            continue;
        keyed.emplace_back(std::move(key), std::move(name));
    } while (FindNextFileW(find, &found));
    const DWORD error = GetLastError();
    FindClose(find);
    listing.complete = error == ERROR_NO_MORE_FILES;
    if (!listing.complete)
        listing.failure = ListingFailure(error);
    SortInto(keyed, listing.names);
    return listing;
}

#else

namespace {

Failure ListingFailure(int error)
{
    return {error == ENOENT || error == ENOTDIR ? QStringLiteral("folder not found")
                                                : QStringLiteral("folder cannot be read: ") + qt_error_string(error)};
}

// Adds the entry to keyed when it is a plain file, neither hidden nor an office lock file, whose name matches.
void KeepIfMatching(const QByteArray &folder, const dirent &entry, const QString &pattern, const QString &upperPattern,
                    KeyedNames &keyed)
{
    const char *bytes = entry.d_name;
    if (bytes[0] == '.' || (bytes[0] == '~' && bytes[1] == '$'))
        return;
    // Most names are ASCII: they are matched and upper-cased without Unicode tables, with the same result.
    if (const std::string_view text(bytes); IsAscii(text)) {
        const auto size = static_cast<qsizetype>(text.size());
        if (!MatchesUpperWildcard(
                size, [bytes](qsizetype i) { return QChar(AsciiUpper(bytes[i])); }, upperPattern) ||
            !IsPlainFile(folder, entry))
            return;
        QString name(size, Qt::Uninitialized), key(size, Qt::Uninitialized);
        QChar *const nameUnits = name.data();
        QChar *const keyUnits = key.data();
        for (qsizetype i = 0; i < size; ++i) {
            nameUnits[i] = QLatin1Char(bytes[i]);
            keyUnits[i] = QLatin1Char(AsciiUpper(bytes[i]));
        }
        keyed.emplace_back(std::move(key), std::move(name));
        return;
    }
    QString name = QFile::decodeName(bytes);
    if (!MatchesWildcard(name, pattern) || !IsPlainFile(folder, entry))
        return;
    QString key = name.toUpper();
    keyed.emplace_back(std::move(key), std::move(name));
}

// Reads dir to its end into keyed; the errno that broke the reading off, 0 when it reached the end.
int ReadMatchingEntries(DIR *dir, const QByteArray &folder, const QString &pattern, KeyedNames &keyed)
{
    const QString upperPattern = pattern.toUpper();
    for (;;) {
        errno = 0;
        const dirent *entry = readdir(dir);
        if (!entry)
            return errno;
        KeepIfMatching(folder, *entry, pattern, upperPattern, keyed);
    }
}

} // namespace

FolderListing ListFolderFiles(const QString &folderPath, const QString &pattern)
{
    FolderListing listing;
    if (folderPath.isEmpty()) {
        listing.failure = ListingFailure(ENOENT);
        return listing;
    }
    QByteArray folder = QFile::encodeName(folderPath);
    if (!folder.endsWith('/'))
        folder += '/';
    DIR *dir = opendir(folder.constData());
    if (!dir) {
        listing.failure = ListingFailure(errno);
        return listing;
    }
    KeyedNames keyed;
    const int error = ReadMatchingEntries(dir, folder, pattern, keyed);
    closedir(dir);
    listing.complete = error == 0;
    if (!listing.complete)
        listing.failure = ListingFailure(error);
    SortInto(keyed, listing.names);
    return listing;
}

#endif
