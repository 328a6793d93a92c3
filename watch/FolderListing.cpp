#include "watch/FolderListing.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace {

bool IsPlainFile(const QByteArray &folder, const dirent &entry)
{
    if (entry.d_type == DT_REG)
        return true;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN)
        return false;
    struct stat info = {};
    return stat((folder + entry.d_name).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

// name matches pattern (both upper-cased, upperAt(i) giving the name's i-th unit): a greedy match that backs
// up to the last "*" on a mismatch, linear for the usual one-star patterns.
template <typename UpperAt> bool MatchesUpperWildcard(qsizetype size, UpperAt upperAt, const QString &pattern)
{
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

char AsciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsAscii(const char *text, size_t &length)
{
    bool ascii = true;
    for (length = 0; text[length]; ++length)
        ascii = ascii && static_cast<unsigned char>(text[length]) < 0x80;
    return ascii;
}

} // namespace

bool MatchesWildcard(const QString &name, const QString &pattern)
{
    return MatchesUpperWildcard(
        name.size(), [&name](qsizetype i) { return name[i].toUpper(); }, pattern.toUpper());
}

bool ListFolderFiles(const QString &folderPath, const QString &pattern, QStringList &names)
{
    names.clear();
    if (folderPath.isEmpty())
        return true;
    QByteArray folder = QFile::encodeName(folderPath);
    if (!folder.endsWith('/'))
        folder += '/';
    DIR *dir = opendir(folder.constData());
    if (!dir)
        return true;

    const QString upperPattern = pattern.toUpper();
    std::vector<std::pair<QString, QString>> keyed; // upper-cased name, name
    bool complete = true;
    for (;;) {
        errno = 0;
        const dirent *entry = readdir(dir);
        if (!entry) {
            complete = errno == 0;
            break;
        }
        if (entry->d_name[0] == '.' || (entry->d_name[0] == '~' && entry->d_name[1] == '$'))
            continue;
        // Most names are ASCII: they are matched and upper-cased without Unicode tables, with the same result.
        const char *bytes = entry->d_name;
        size_t length = 0;
        if (IsAscii(bytes, length)) {
            const auto size = static_cast<qsizetype>(length);
            if (!MatchesUpperWildcard(
                    size, [bytes](qsizetype i) { return QChar(AsciiUpper(bytes[i])); }, upperPattern) ||
                !IsPlainFile(folder, *entry))
                continue;
            QString name(size, Qt::Uninitialized), key(size, Qt::Uninitialized);
            for (qsizetype i = 0; i < size; ++i) {
                name[i] = QLatin1Char(bytes[i]);
                key[i] = QLatin1Char(AsciiUpper(bytes[i]));
            }
            keyed.emplace_back(std::move(key), std::move(name));
            continue;
        }
        QString name = QFile::decodeName(bytes);
        if (!MatchesWildcard(name, pattern) || !IsPlainFile(folder, *entry))
            continue;
        QString key = name.toUpper();
        keyed.emplace_back(std::move(key), std::move(name));
    }
    closedir(dir);

    std::sort(keyed.begin(), keyed.end());
    names.reserve(static_cast<qsizetype>(keyed.size()));
    for (auto &entry : keyed)
        names.append(std::move(entry.second));
    return complete;
}
