#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// The folder this fuzzer process writes its inputs to; removed when the process exits normally.
inline QString FuzzDir()
{
    static const QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/tavrel-fuzz-XXXXXX"));
    return dir.path();
}

// The conversion's moment for every run: a formula's TODAY and NOW give the same each time.
inline const QDateTime FuzzMoment(QDate(2026, 12, 4), QTime(14, 5, 33));

// Replaces the file name in FuzzDir() by exactly these bytes and returns its path.
inline QString WriteFuzzFile(const QString &name, const char *data, qsizetype size)
{
    const QString path = FuzzDir() + QLatin1Char('/') + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(data, size) != size) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::abort();
    }
    return path;
}

// A property that must hold for every input; a violation is a finding like a crash.
inline void FuzzCheck(bool holds, const char *what)
{
    if (!holds) {
        std::fprintf(stderr, "property violated: %s\n", what);
        std::abort();
    }
}

// The reasons the workbook reader may give, and nothing else.
inline bool IsWorkbookReason(const QString &error)
{
    return error == QLatin1String("not an xlsx workbook") || error == QLatin1String("encrypted workbook") ||
           error == QLatin1String("legacy .xls workbook: save it as .xlsx") ||
           error == QLatin1String("OpenDocument spreadsheet, not .xlsx") ||
           error == QLatin1String("workbook too large") || error.startsWith(QLatin1String("damaged workbook: ")) ||
           (error.startsWith(QLatin1String("formula in ")) &&
            error.endsWith(QLatin1String(": open and save the workbook in a spreadsheet program")));
}
