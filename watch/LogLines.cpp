#include "watch/LogLines.h"

#include "events/Number.h"

#include <algorithm>

namespace {

constexpr qsizetype StampLength = 21; // "12-04-2026  14:05:33 "

bool IsRowNotUsed(QStringView message)
{
    return message.startsWith(u"Row ") && message.contains(u" not used: ");
}

QString Counted(int count, const QString &singular, const QString &plural)
{
    return FormatInteger(count) + u' ' + (count == 1 ? singular : plural);
}

} // namespace

LogLineKind ClassifyLogLine(QStringView line)
{
    const QStringView message = line.mid(std::min(StampLength, line.size()));
    if (message.startsWith(u"TVX File not made for : "))
        return LogLineKind::Failure;
    if (message.startsWith(u"Row ") || message.startsWith(u"DWX.INI ") || message.startsWith(u"RT-IN1.LST "))
        return LogLineKind::Warning;
    return LogLineKind::Plain;
}

QString RowNotesSummary(const QStringList &rowNotes)
{
    int notUsed = 0;
    int unknownSource = 0;
    int errorValue = 0; // "Row 7: L is #DIV/0!"
    for (const QString &note : rowNotes) {
        if (IsRowNotUsed(note))
            ++notUsed;
        else if (note.contains(u"is not in RT-IN1.LST"))
            ++unknownSource;
        else
            ++errorValue;
    }
    QStringList parts;
    if (notUsed > 0)
        parts.append(Counted(notUsed, QStringLiteral("row not used"), QStringLiteral("rows not used")));
    if (unknownSource > 0)
        parts.append(Counted(unknownSource, QStringLiteral("unknown source"), QStringLiteral("unknown sources")));
    if (errorValue > 0)
        parts.append(Counted(errorValue, QStringLiteral("error value"), QStringLiteral("error values")));
    return parts.join(QStringLiteral(", "));
}
