// tavrel-convert: converts schedule workbooks to Tavrel event files, or checks them, from the command line.

#include "config/RouterConfig.h"
#include "convert/EventTiming.h"
#include "convert/ScheduleRow.h"
#include "convert/ScheduleWorkbook.h"
#include "convert/WorkbookCells.h"
#include "events/Clock.h"
#include "events/EventList.h"
#include "output/EventFile.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <charconv>
#include <cstdio>

namespace {

constexpr char UsageLine[] = "usage: tavrel-convert [--config-dir DIR] [--date YYYY-MM-DD] [-o OUT.TVX | --output-dir "
                             "DIR] WORKBOOK...\n"
                             "       tavrel-convert --check WORKBOOK...\n";

enum ExitStatus { ExitOk = 0, ExitFailed = 1, ExitUsage = 2 };

void writeOut(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

void writeError(const QString &text)
{
    const QByteArray line = (QStringLiteral("tavrel-convert: ") + text + u'\n').toUtf8();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
}

void reportWorkbook(const QString &name, const QString &reason)
{
    writeError(name + QStringLiteral(": ") + reason);
}

int usageError(const QString &problem)
{
    const QByteArray message = QStringLiteral("tavrel-convert: %1\n").arg(problem).toUtf8();
    std::fwrite(message.constData(), 1, size_t(message.size()), stderr);
    std::fputs(UsageLine, stderr);
    return ExitUsage;
}

void appendHexUnit(QByteArray &out, char16_t unit)
{
    static constexpr char Hex[] = "0123456789abcdef";
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4)
        out += Hex[(unit >> shift) & 0xF];
}

// A JSON string: only '"', '\' and units below U+0020 escaped, a lone surrogate as \uXXXX, the rest UTF-8.
void appendJsonString(QByteArray &out, const QString &text)
{
    out += '"';
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (unit == u'"' || unit == u'\\') {
            out += '\\';
            out += char(unit);
        } else if (unit < 0x20) {
            appendHexUnit(out, unit);
        } else if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += QStringView(text).mid(i, 2).toUtf8();
            ++i;
        } else if (QChar::isSurrogate(unit)) {
            appendHexUnit(out, unit);
        } else {
            out += QStringView(text).mid(i, 1).toUtf8();
        }
    }
    out += '"';
}

void appendJsonInt(QByteArray &out, int value)
{
    char buffer[12];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr - buffer);
}

QByteArray checkLine(const QString *workbook, int rowNumber, const ScheduleRow &row)
{
    const QString reason = RejectReason(row);
    QByteArray line = "{";
    if (workbook) {
        line += "\"workbook\":";
        appendJsonString(line, *workbook);
        line += ',';
    }
    line += "\"row\":";
    appendJsonInt(line, rowNumber);
    line += ",\"vr\":";
    appendJsonInt(line, row.VrNumber);
    line += ",\"start\":";
    appendJsonString(line, TimeOfDayTimecode(row.StartTime));
    line += ",\"end\":";
    appendJsonString(line, TimeOfDayTimecode(row.EndTime));
    line += ",\"name\":";
    appendJsonString(line, row.EventName);
    line += ",\"note\":";
    appendJsonString(line, row.NoteText);
    line += ",\"source\":";
    appendJsonString(line, row.SourceName);
    line += ",\"accepted\":";
    line += reason.isEmpty() ? "true" : "false";
    line += ",\"reason\":";
    appendJsonString(line, reason);
    line += "}\n";
    return line;
}

int checkWorkbooks(const QStringList &workbooks)
{
    int status = ExitOk;
    const bool named = workbooks.size() > 1;
    for (const QString &workbook : workbooks) {
        const WorkbookCells cells = ReadWorkbookCells(workbook);
        if (!cells.ok()) {
            reportWorkbook(workbook, cells.error);
            status = ExitFailed;
            continue;
        }
        QByteArray lines;
        for (int i = 0; i < ScheduleRowCount; ++i) {
            if (HasAnyValue(cells.rows[i]))
                lines += checkLine(named ? &workbook : nullptr, FirstScheduleRow + i, ToScheduleRow(cells.rows[i]));
        }
        writeOut(lines);
        std::fflush(stdout);
    }
    return status;
}

// The event file's name: the workbook's name up to and including its first ".", then "TVX"; a name without
// "." gets ".TVX" appended.
QString eventFileName(const QString &workbook)
{
    const QString name = QFileInfo(workbook).fileName();
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    return (dot < 0 ? name + QLatin1Char('.') : name.left(dot + 1)) + QLatin1String("TVX");
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavrel-convert"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAVREL_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Converts schedule workbooks (.xlsx) to Tavrel event files."));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption configDirOption(
        QStringLiteral("config-dir"),
        QStringLiteral("Folder holding DWX.INI and RT-IN1.LST (default: the program's folder)."),
        QStringLiteral("DIR"));
    const QCommandLineOption dateOption(QStringLiteral("date"), QStringLiteral("Date of the events (default: today)."),
                                        QStringLiteral("YYYY-MM-DD"));
    const QCommandLineOption outputOption(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                          QStringLiteral("Event file to write (one workbook only)."),
                                          QStringLiteral("OUT.TVX"));
    const QCommandLineOption outputDirOption(QStringLiteral("output-dir"),
                                             QStringLiteral("Folder for the event files (default: beside each "
                                                            "workbook)."),
                                             QStringLiteral("DIR"));
    const QCommandLineOption checkOption(
        QStringLiteral("check"), QStringLiteral("Write nothing; print each used row of 5..100 as a JSON line."));
    parser.addOptions({configDirOption, dateOption, outputOption, outputDirOption, checkOption});
    parser.addPositionalArgument(QStringLiteral("WORKBOOK"), QStringLiteral("Schedule workbooks to convert."),
                                 QStringLiteral("WORKBOOK..."));

    if (!parser.parse(QCoreApplication::arguments()))
        return usageError(parser.errorText());
    if (parser.isSet(helpOption) || parser.isSet(QStringLiteral("help-all"))) {
        writeOut(parser.helpText().toUtf8());
        return ExitOk;
    }
    if (parser.isSet(versionOption)) {
        writeOut(QByteArrayLiteral("tavrel-convert " TAVREL_VERSION "\n"));
        return ExitOk;
    }

    const QStringList workbooks = parser.positionalArguments();
    if (workbooks.isEmpty())
        return usageError(QStringLiteral("no workbook given"));
    const bool toFile = parser.isSet(outputOption);
    const bool toDir = parser.isSet(outputDirOption);
    if (parser.isSet(checkOption)) {
        if (toFile || toDir)
            return usageError(QStringLiteral("--check writes nothing: -o and --output-dir do not apply"));
        return checkWorkbooks(workbooks);
    }
    if (toFile && toDir)
        return usageError(QStringLiteral("-o and --output-dir exclude each other"));
    if (toFile && workbooks.size() > 1)
        return usageError(QStringLiteral("-o takes one workbook only"));

    QDate today = SystemClock().now().date();
    if (parser.isSet(dateOption)) {
        const QString text = parser.value(dateOption);
        today = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
        if (text.size() != 10 || !today.isValid())
            return usageError(QStringLiteral("--date wants YYYY-MM-DD, not \"%1\"").arg(text));
    }

    const QString configDir =
        parser.isSet(configDirOption) ? parser.value(configDirOption) : QCoreApplication::applicationDirPath();
    if (!QFileInfo(configDir).isDir())
        return usageError(QStringLiteral("--config-dir: no such folder: ") + configDir);
    RouterConfig router;
    for (const QString &notice : {LoadRouterDestinations(configDir, router), LoadRouterInputs(configDir, router)}) {
        if (!notice.isEmpty())
            writeError(QStringLiteral("warning: ") + notice);
    }

    int status = ExitOk;
    EventList events;
    for (const QString &workbook : workbooks) {
        QString target;
        if (toFile)
            target = parser.value(outputOption);
        else if (toDir)
            target = QDir(parser.value(outputDirOption)).filePath(eventFileName(workbook));
        else
            target = QFileInfo(workbook).dir().filePath(eventFileName(workbook));

        events.Reset();
        QStringList rowNotes;
        QString failure = ReadScheduleWorkbook(workbook, router, today, events, &rowNotes);
        for (const QString &note : std::as_const(rowNotes))
            reportWorkbook(workbook, note);
        if (failure.isEmpty())
            failure = WriteEventFile(target, events);
        if (!failure.isEmpty()) {
            reportWorkbook(workbook, failure);
            status = ExitFailed;
        }
    }
    return status;
}
