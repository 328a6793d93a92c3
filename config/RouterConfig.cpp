#include "config/RouterConfig.h"

#include "config/Ini.h"
#include "config/TextDecoding.h"
#include "events/Number.h"

#include <QFile>
#include <QFileInfo>
#include <optional>

namespace {

constexpr int FieldsPerRecord = 13;

// Fields of RT-IN1.LST one at a time: commas and line ends (CR LF or LF) separate them, so an empty line is one
// empty field; leading blanks are skipped; a quoted field runs to the next quote and the rest up to the
// separator is dropped; an unquoted field keeps its trailing blanks.
class ListReader
{
public:
    explicit ListReader(QString text) : m_text(std::move(text)) {}

    std::optional<QString> next()
    {
        if (m_pos >= m_text.size())
            return std::nullopt;
        while (m_pos < m_text.size() && m_text.at(m_pos) == u' ')
            ++m_pos;
        QString field;
        if (m_pos < m_text.size() && m_text.at(m_pos) == u'"') {
            const qsizetype close = m_text.indexOf(u'"', m_pos + 1);
            const qsizetype end = close < 0 ? m_text.size() : close;
            field = m_text.mid(m_pos + 1, end - m_pos - 1);
            m_pos = end;
            skipToSeparator();
        } else {
            const qsizetype start = m_pos;
            skipToSeparator();
            field = m_text.mid(start, m_pos - start);
        }
        consumeSeparator();
        return field;
    }

private:
    bool atSeparator() const
    {
        const QChar c = m_text.at(m_pos);
        if (c == u',' || c == u'\n')
            return true;
        return c == u'\r' && m_pos + 1 < m_text.size() && m_text.at(m_pos + 1) == u'\n';
    }

    void skipToSeparator()
    {
        while (m_pos < m_text.size() && !atSeparator())
            ++m_pos;
    }

    void consumeSeparator()
    {
        if (m_pos >= m_text.size())
            return;
        m_pos += m_text.at(m_pos) == u'\r' ? 2 : 1;
    }

    QString m_text;
    qsizetype m_pos = 0;
};

bool ToBoolean(const QString &field)
{
    const QStringView word = TrimmedView(field, u" \t");
    if (word.compare(QLatin1String("#TRUE#"), Qt::CaseInsensitive) == 0)
        return true;
    if (word.compare(QLatin1String("#FALSE#"), Qt::CaseInsensitive) == 0)
        return false;
    return ParseNumberPrefix(word).value_or(0) != 0;
}

void StoreField(RouterInputEntry &entry, int field, const QString &value)
{
    switch (field) {
    case 0:
        entry.Flag = ToBoolean(value);
        break;
    case 1:
        entry.TextA = value;
        break;
    case 2:
        entry.TextB = value;
        break;
    case 3:
        // A number that does not fit is passed over and the field keeps its value.
        if (const std::optional<int16_t> number = ParseInteger16(value))
            entry.Number = *number;
        break;
    case 4:
        entry.Name = value;
        break;
    default:
        entry.Level[static_cast<size_t>(field - 4)] = ToBoolean(value);
        break;
    }
}

// Fails with "NAME not found in DIR" or "NAME cannot be read: REASON" when the file does not open for reading.
Failure OpenFailure(QFile &file, const QString &programDir, const QString &name)
{
    const QFileInfo info(file.fileName());
    if (!info.exists())
        return {name + QStringLiteral(" not found in ") + programDir};
    if (info.isDir())
        return {name + QStringLiteral(" cannot be read: is a folder")};
    if (!file.open(QIODevice::ReadOnly))
        return {name + QStringLiteral(" cannot be read: ") + file.errorString()};
    return {};
}

} // namespace

Failure LoadRouterDestinations(const QString &programDir, RouterConfig &config)
{
    const QString file = programDir + QStringLiteral("/DWX.INI");
    QFile probe(file);
    const Failure failure = OpenFailure(probe, programDir, QStringLiteral("DWX.INI"));
    probe.close();
    for (int n = 0; n < RouterDestinationCount; ++n) {
        const QString number = FormatInteger(n);
        const QString section = QStringLiteral("VR ") + number;
        RouterDestinationEntry &entry = config.RouterDestination[static_cast<size_t>(n)];
        entry.Router =
            ParseInteger16(ReadIniString(file, section, QStringLiteral("VR_Destination_Router"), QStringLiteral("1")))
                .value_or(0);
        entry.Output =
            ParseInteger16(ReadIniString(file, section, QStringLiteral("VR_Destination_Output"), u' ' + number))
                .value_or(0);
        entry.Name = Trimmed(
            ReadIniString(file, section, QStringLiteral("VR_Destination_Name"), QStringLiteral("OUT ") + number));
    }
    return failure ? Failure{failure.reason + QStringLiteral(": default destinations used")} : failure;
}

Failure LoadRouterInputs(const QString &programDir, RouterConfig &config)
{
    config.RouterInputTable.assign(RouterInputCount + 1, RouterInputEntry());
    QFile file(programDir + QStringLiteral("/RT-IN1.LST"));
    const Failure failure = OpenFailure(file, programDir, QStringLiteral("RT-IN1.LST"));
    config.inputsRead = !failure;
    if (config.inputsRead) {
        ListReader reader(DecodeConfigText(file.readAll()));
        int entry = 0;
        int field = FieldsPerRecord;
        while (const std::optional<QString> value = reader.next()) {
            if (field == FieldsPerRecord) {
                if (entry == RouterInputCount)
                    break;
                ++entry;
                field = 0;
            }
            StoreField(config.RouterInputTable[static_cast<size_t>(entry)], field, *value);
            ++field;
        }
    }
    IndexRouterInputs(config);
    return failure ? Failure{failure.reason + QStringLiteral(": sources not matched, input 0 used")} : failure;
}

void IndexRouterInputs(RouterConfig &config)
{
    config.inputIndex.clear();
    const auto count = static_cast<int>(config.RouterInputTable.size());
    for (int e = 0; e < count && e <= RouterInputCount; ++e) {
        const QString key = config.RouterInputTable[static_cast<size_t>(e)].Name.toUpper();
        config.inputIndex.emplace(key, static_cast<int16_t>(e)); // keeps the lowest entry of a name
    }
}

int16_t FindRouterInput(const RouterConfig &config, const QString &name)
{
    const QString sought = name.toUpper();
    if (config.inputIndex.empty()) {
        // Never indexed: fall back to the plain scan.
        const auto count = static_cast<int>(config.RouterInputTable.size());
        for (int e = 0; e < count && e <= RouterInputCount; ++e) {
            if (config.RouterInputTable[static_cast<size_t>(e)].Name.toUpper() == sought)
                return static_cast<int16_t>(e);
        }
        return 0;
    }
    const auto found = config.inputIndex.find(sought);
    return found == config.inputIndex.end() ? 0 : found->second;
}
