#include "config/Ini.h"

#include "config/TextDecoding.h"
#include "events/Number.h"
#include "files/SafeFile.h"

#include <QFile>
#include <algorithm>
#include <optional>
#include <vector>

namespace {

constexpr qsizetype MaxValueLength = 254;
const QByteArray Utf8Bom("\xEF\xBB\xBF");
const QString CrLf = QStringLiteral("\r\n");

struct IniLine {
    QString text;   // without its line end
    QString ending; // "\r\n", "\n", or empty for a last line without one
};

struct IniFile {
    std::vector<IniLine> lines;
    bool hasBom = false;
};

// Where a key stands in the first section of the requested name; -1 where there is none.
struct IniLocation {
    qsizetype sectionLine = -1;
    qsizetype keyLine = -1;
    qsizetype lastKeyLine = -1;
};

// Names and values in the INI files are trimmed of tabs too.
QStringView TrimBlanks(QStringView text)
{
    return TrimmedView(text, u" \t");
}

bool SameName(QStringView a, QStringView b)
{
    return TrimBlanks(a).compare(TrimBlanks(b), Qt::CaseInsensitive) == 0;
}

// Why an existing file cannot be read; a missing file is an empty one.
Failure LoadIni(const QString &path, IniFile &ini)
{
    QFile file(path);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        return {file.errorString()};
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {file.errorString()};
    ini.hasBom = bytes.startsWith(Utf8Bom);
    const QString text = DecodeConfigText(bytes);

    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype lf = text.indexOf(u'\n', start);
        if (lf < 0) {
            ini.lines.push_back({text.mid(start), QString()});
            break;
        }
        const bool crlf = lf > start && text.at(lf - 1) == u'\r';
        const qsizetype end = crlf ? lf - 1 : lf;
        ini.lines.push_back({text.mid(start, end - start), crlf ? CrLf : QStringLiteral("\n")});
        start = lf + 1;
    }
    return {};
}

// The section name of a "[name]" line ("[name" without "]" names the rest of the line); nullopt otherwise.
std::optional<QStringView> SectionName(QStringView line)
{
    const QStringView trimmed = TrimBlanks(line);
    if (!trimmed.startsWith(u'['))
        return std::nullopt;
    QStringView name = trimmed.sliced(1);
    const qsizetype close = name.indexOf(u']');
    if (close >= 0)
        name = name.first(close);
    return TrimBlanks(name);
}

IniLocation Locate(const IniFile &ini, const QString &section, const QString &key)
{
    IniLocation location;
    for (qsizetype i = 0; i < static_cast<qsizetype>(ini.lines.size()); ++i) {
        const QString &line = ini.lines[static_cast<size_t>(i)].text;
        if (const std::optional<QStringView> name = SectionName(line)) {
            if (location.sectionLine >= 0)
                break; // only the first section of that name counts
            if (SameName(*name, section))
                location.sectionLine = i;
            continue;
        }
        if (location.sectionLine < 0)
            continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0)
            continue;
        location.lastKeyLine = i;
        if (location.keyLine < 0 && SameName(QStringView(line).first(equals), key))
            location.keyLine = i;
    }
    return location;
}

QString ValueOf(QStringView line)
{
    QStringView value = TrimBlanks(line.sliced(line.indexOf(u'=') + 1));
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    return value.first(std::min(value.size(), MaxValueLength)).toString();
}

void EnsureLineEnd(IniLine &line)
{
    if (line.ending.isEmpty())
        line.ending = CrLf;
}

void SetValue(IniFile &ini, const IniEntry &entry)
{
    QString cleanValue = entry.value;
    cleanValue.replace(u'\r', u' ').replace(u'\n', u' ');
    const IniLocation location = Locate(ini, entry.section, entry.key);
    if (location.keyLine >= 0) {
        IniLine &line = ini.lines[static_cast<size_t>(location.keyLine)];
        const QStringView spelled = TrimBlanks(QStringView(line.text).first(line.text.indexOf(u'=')));
        line = {spelled.toString() + u'=' + cleanValue, CrLf};
    } else if (location.sectionLine >= 0) {
        const qsizetype after = location.lastKeyLine >= 0 ? location.lastKeyLine : location.sectionLine;
        EnsureLineEnd(ini.lines[static_cast<size_t>(after)]);
        ini.lines.insert(ini.lines.begin() + after + 1, IniLine{entry.key + u'=' + cleanValue, CrLf});
    } else {
        if (!ini.lines.empty())
            EnsureLineEnd(ini.lines.back());
        ini.lines.push_back({QLatin1Char('[') + entry.section + QLatin1Char(']'), CrLf});
        ini.lines.push_back({entry.key + u'=' + cleanValue, CrLf});
    }
}

} // namespace

QString ReadIniString(const QString &file, const QString &section, const QString &key, const QString &defaultValue)
{
    IniFile ini;
    if (!LoadIni(file, ini)) {
        const IniLocation location = Locate(ini, section, key);
        if (location.keyLine >= 0)
            return ValueOf(ini.lines[static_cast<size_t>(location.keyLine)].text);
    }
    return defaultValue.left(MaxValueLength);
}

Failure WriteIniStrings(const QString &file, const QList<IniEntry> &entries)
{
    IniFile ini;
    if (const Failure unreadable = LoadIni(file, ini)) // never replace what could not be read
        return {QStringLiteral("cannot be read: ") + unreadable.reason};
    for (const IniEntry &entry : entries)
        SetValue(ini, entry);

    QString text;
    for (const IniLine &line : ini.lines)
        text += line.text + line.ending;
    return ReplaceWholeFile(file, (ini.hasBom ? Utf8Bom : QByteArray()) + text.toUtf8());
}

Failure WriteIniString(const QString &file, const QString &section, const QString &key, const QString &value)
{
    return WriteIniStrings(file, {{section, key, value}});
}
