// tavrel-convert: converts schedule workbooks to Tavrel event files, or checks them, from the command line.

#include "app/ConsoleText.h"
#include "app/WorkbookArguments.h"
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
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <optional>
#include <string>

namespace {

constexpr char UsageLine[] = "usage: tavrel-convert [--config-dir DIR] [--date YYYY-MM-DD] [-o OUT.TVX | --output-dir "
                             "DIR] WORKBOOK...\n"
                             "       tavrel-convert --check WORKBOOK...\n";

enum ExitStatus { ExitOk = 0, ExitFailed = 1, ExitUsage = 2 };

// The end of --help, and so of the manual page made from it.
constexpr char ExitStatusText[] = "\nExit status:\n"
                                  "  0  Every workbook was converted, or read for --check.\n"
                                  "  1  A workbook could not be read, or its event file could not be written.\n"
                                  "  2  Wrong options or arguments: nothing was read or written.\n";

void WriteError(const QString &text)
{
    WriteConsoleText(stderr, QStringLiteral("tavrel-convert: ") + text + u'\n');
}

void ReportWorkbook(const QString &name, const QString &reason)
{
    WriteError(name + QStringLiteral(": ") + reason);
}

int UsageError(const QString &problem)
{
    WriteConsoleText(stderr, QStringLiteral("tavrel-convert: ") + problem + u'\n' + QLatin1String(UsageLine));
    return ExitUsage;
}

void AppendHexUnit(std::string &out, char16_t unit)
{
    static constexpr char Hex[] = "0123456789abcdef";
    const char escape[] = {'\\', 'u', Hex[unit >> 12], Hex[(unit >> 8) & 0xF], Hex[(unit >> 4) & 0xF], Hex[unit & 0xF]};
    out.append(escape, sizeof escape);
}

// A JSON string: only '"', '\' and units below U+0020 escaped, a lone surrogate as \uXXXX, the rest UTF-8.
void AppendJsonString(std::string &out, QStringView text)
{
    out += '"';
    const char16_t *const units = text.utf16();
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        // Runs of plain ASCII, the usual text, go over whole.
        qsizetype plain = i;
        while (plain < size && units[plain] >= 0x20 && units[plain] < 0x80 && units[plain] != u'"' &&
               units[plain] != u'\\')
            ++plain;
        if (plain > i) {
            const size_t at = out.size();
            out.resize(at + size_t(plain - i));
            for (qsizetype k = i; k < plain; ++k)
                out[at + size_t(k - i)] = char(units[k]);
            i = plain - 1;
            continue;
        }
        const char16_t unit = units[i];
        if (unit < 0x80) {
            if (unit == u'"' || unit == u'\\')
                out += '\\';
            if (unit < 0x20)
                AppendHexUnit(out, unit);
            else
                out += char(unit);
        } else if (unit < 0x800) {
            const char bytes[] = {char(0xC0 | (unit >> 6)), char(0x80 | (unit & 0x3F))};
            out.append(bytes, 2);
        } else if (QChar::isHighSurrogate(unit) && i + 1 < size && QChar::isLowSurrogate(units[i + 1])) {
            const char32_t code = QChar::surrogateToUcs4(unit, units[++i]);
            const char bytes[] = {char(0xF0 | (code >> 18)), char(0x80 | ((code >> 12) & 0x3F)),
                                  char(0x80 | ((code >> 6) & 0x3F)), char(0x80 | (code & 0x3F))};
            out.append(bytes, 4);
        } else if (QChar::isSurrogate(unit)) {
            AppendHexUnit(out, unit);
        } else {
            const char bytes[] = {char(0xE0 | (unit >> 12)), char(0x80 | ((unit >> 6) & 0x3F)),
                                  char(0x80 | (unit & 0x3F))};
            out.append(bytes, 3);
        }
    }
    out += '"';
}

// A timecode holds nothing to escape.
void AppendJsonTimecode(std::string &out, double serial)
{
    char timecode[96];
    out += '"';
    out.append(timecode, WriteTimeOfDayTimecode(timecode, serial));
    out += '"';
}

void AppendJsonInt(std::string &out, int value)
{
    char buffer[12];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, size_t(result.ptr - buffer));
}

// One JSON line per row, appended to the workbook's output.
void AppendCheckLine(std::string &out, const QString *workbook, int rowNumber, const ScheduleRow &row)
{
    const std::optional<QString> reason = RejectReason(row);
    out += '{';
    if (workbook) {
        out += "\"workbook\":";
        AppendJsonString(out, *workbook);
        out += ',';
    }
    out += "\"row\":";
    AppendJsonInt(out, rowNumber);
    out += ",\"vr\":";
    AppendJsonInt(out, row.VrNumber);
    out += ",\"start\":";
    AppendJsonTimecode(out, row.StartTime);
    out += ",\"end\":";
    AppendJsonTimecode(out, row.EndTime);
    out += ",\"name\":";
    AppendJsonString(out, row.EventName);
    out += ",\"note\":";
    AppendJsonString(out, row.NoteText);
    out += ",\"source\":";
    AppendJsonString(out, row.SourceName);
    out += reason ? ",\"accepted\":false" : ",\"accepted\":true";
    out += ",\"reason\":";
    AppendJsonString(out, reason.value_or(QString()));
    out += "}\n";
}

int CheckWorkbooks(const QStringList &workbooks, const QDateTime &now)
{
    int status = ExitOk;
    const bool named = workbooks.size() > 1;
    std::string lines; // one buffer for every workbook's lines
    for (const QString &workbook : workbooks) {
        const WorkbookCells cells = ReadWorkbookCells(workbook, now);
        if (cells.failure) {
            ReportWorkbook(workbook, cells.failure.reason);
            status = ExitFailed;
            continue;
        }
        lines.clear();
        for (int i = 0; i < ScheduleRowCount; ++i) {
            if (HasAnyValue(cells.rows[i]))
                AppendCheckLine(lines, named ? &workbook : nullptr, FirstScheduleRow + i, ToScheduleRow(cells.rows[i]));
        }
        WriteConsoleUtf8(stdout, lines);
    }
    return status;
}

// The options besides --help and --version.
struct Options {
    QCommandLineOption configDir{
        QStringLiteral("config-dir"),
        QStringLiteral("Folder holding DWX.INI and RT-IN1.LST (default: the program's folder)."),
        QStringLiteral("DIR")};
    QCommandLineOption date{QStringLiteral("date"),
                            QStringLiteral("Date of the events and of TODAY in formulas, NOW being its midnight "
                                           "(default: today, NOW the moment of the run)."),
                            QStringLiteral("YYYY-MM-DD")};
    QCommandLineOption output{QStringList{QStringLiteral("o"), QStringLiteral("output")},
                              QStringLiteral("Event file to write (one workbook only)."), QStringLiteral("OUT.TVX")};
    QCommandLineOption outputDir{QStringLiteral("output-dir"),
                                 QStringLiteral("Folder for the event files (default: beside each workbook)."),
                                 QStringLiteral("DIR")};
    QCommandLineOption check{QStringLiteral("check"),
                             QStringLiteral("Write nothing; print each used row of 5..100 as a JSON line.")};
};

// Where one workbook's event file goes: OUT.TVX, the output folder, or beside the workbook.
QString TargetOf(const QString &workbook, const std::optional<QString> &outputFile,
                 const std::optional<QString> &outputDir)
{
    if (outputFile)
        return *outputFile;
    const QString eventFile = EventFileName(QFileInfo(workbook).fileName());
    return QDir::toNativeSeparators((outputDir ? QDir(*outputDir) : QFileInfo(workbook).dir()).filePath(eventFile));
}

int ConvertWorkbooks(const QStringList &workbooks, const QString &configDir, const QDateTime &now,
                     const std::optional<QString> &outputFile, const std::optional<QString> &outputDir)
{
    RouterConfig router;
    for (const Failure &failure : {LoadRouterDestinations(configDir, router), LoadRouterInputs(configDir, router)}) {
        if (failure)
            WriteError(QStringLiteral("warning: ") + failure.reason);
    }

    int status = ExitOk;
    EventList events;
    for (const QString &workbook : workbooks) {
        events.reset();
        std::vector<RowNote> rowNotes;
        Failure failure = ReadScheduleWorkbook(workbook, router, now, events, &rowNotes);
        for (const RowNote &note : rowNotes)
            ReportWorkbook(workbook, note.text);
        if (!failure)
            failure = WriteEventFile(TargetOf(workbook, outputFile, outputDir), events);
        if (failure) {
            ReportWorkbook(workbook, failure.reason);
            status = ExitFailed;
        }
    }
    return status;
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
    const Options options;
    parser.addOptions({options.configDir, options.date, options.output, options.outputDir, options.check});
    parser.addPositionalArgument(QStringLiteral("WORKBOOK"), QStringLiteral("Schedule workbooks to convert."),
                                 QStringLiteral("WORKBOOK..."));

    if (!parser.parse(QCoreApplication::arguments()))
        return UsageError(parser.errorText());
    if (parser.isSet(helpOption) || parser.isSet(QStringLiteral("help-all"))) {
        WriteConsoleText(stdout, parser.helpText() + QLatin1String(ExitStatusText));
        return ExitOk;
    }
    if (parser.isSet(versionOption)) {
        WriteConsoleText(stdout, QStringLiteral("tavrel-convert " TAVREL_VERSION "\n"));
        return ExitOk;
    }

    if (parser.positionalArguments().isEmpty())
        return UsageError(QStringLiteral("no workbook given"));
    const WorkbookArguments arguments = ExpandWorkbookArguments(parser.positionalArguments());
    for (const QString &pattern : arguments.unmatched)
        ReportWorkbook(pattern, QStringLiteral("no workbook matches"));
    const QStringList &workbooks = arguments.workbooks;
    const int expansionStatus = arguments.unmatched.isEmpty() ? ExitOk : ExitFailed;
    const bool toFile = parser.isSet(options.output);
    const bool toDir = parser.isSet(options.outputDir);
    // A date given stands for its midnight, so that NOW in a formula gives the same on every run.
    QDateTime now = SystemClock().now();
    if (parser.isSet(options.date)) {
        const QString text = parser.value(options.date);
        const QDate date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
        if (text.size() != 10 || !date.isValid())
            return UsageError(QStringLiteral("--date wants YYYY-MM-DD, not \"%1\"").arg(text));
        now = QDateTime(date, QTime(0, 0));
    }
    if (parser.isSet(options.check)) {
        if (toFile || toDir)
            return UsageError(QStringLiteral("--check writes nothing: -o and --output-dir do not apply"));
        return std::max(CheckWorkbooks(workbooks, now), expansionStatus);
    }
    if (toFile && toDir)
        return UsageError(QStringLiteral("-o and --output-dir exclude each other"));
    if (toFile && workbooks.size() > 1)
        return UsageError(QStringLiteral("-o takes one workbook only"));
    const QString configDir = parser.isSet(options.configDir)
                                  ? parser.value(options.configDir)
                                  : QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
    if (!QFileInfo(configDir).isDir())
        return UsageError(QStringLiteral("--config-dir: no such folder: ") + configDir);

    return std::max(ConvertWorkbooks(workbooks, configDir, now,
                                     toFile ? std::optional(parser.value(options.output)) : std::nullopt,
                                     toDir ? std::optional(parser.value(options.outputDir)) : std::nullopt),
                    expansionStatus);
}
