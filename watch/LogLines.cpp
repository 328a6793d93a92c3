#include "watch/LogLines.h"

#include "events/Number.h"

#include <algorithm>

namespace {

constexpr qsizetype StampLength = 21; // "12-04-2026  14:05:33 "

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

QString RowNotesSummary(const std::vector<RowNote> &rowNotes)
{
    const auto count = [&rowNotes](RowNote::Kind kind) {
        return int(
            std::count_if(rowNotes.begin(), rowNotes.end(), [kind](const RowNote &n) { return n.kind == kind; }));
    };
    const int notUsed = count(RowNote::Kind::NotUsed);
    const int unknownSource = count(RowNote::Kind::UnknownSource);
    const int errorValue = count(RowNote::Kind::ErrorValue);
    QStringList parts;
    if (notUsed > 0)
        parts.append(Counted(notUsed, QStringLiteral("row not used"), QStringLiteral("rows not used")));
    if (unknownSource > 0)
        parts.append(Counted(unknownSource, QStringLiteral("unknown source"), QStringLiteral("unknown sources")));
    if (errorValue > 0)
        parts.append(Counted(errorValue, QStringLiteral("error value"), QStringLiteral("error values")));
    return parts.join(QStringLiteral(", "));
}
