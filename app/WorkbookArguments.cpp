#include "app/WorkbookArguments.h"

#include "watch/FolderListing.h"

#include <algorithm>

#ifdef _WIN32

WorkbookArguments ExpandWorkbookArguments(const QStringList &arguments)
{
    WorkbookArguments result;
    for (const QString &argument : arguments) {
        // "C:*.xlsx" names the current folder of drive C:.
        const qsizetype nameStart =
            std::max({argument.lastIndexOf(u'\\'), argument.lastIndexOf(u'/'), argument.lastIndexOf(u':')}) + 1;
        const QString pattern = argument.mid(nameStart);
        if (!pattern.contains(u'*') && !pattern.contains(u'?')) {
            result.workbooks.append(argument);
            continue;
        }
        const QString folder = argument.left(nameStart);
        const QStringList names =
            ListFolderFiles(folder.isEmpty() || folder.endsWith(u':') ? folder + u'.' : folder, pattern).names;
        if (names.isEmpty())
            result.unmatched.append(argument);
        for (const QString &name : std::as_const(names))
            result.workbooks.append(folder + name);
    }
    return result;
}

#else

WorkbookArguments ExpandWorkbookArguments(const QStringList &arguments)
{
    return WorkbookArguments{arguments, {}};
}

#endif
