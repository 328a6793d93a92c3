// INI reader and writer on any file content: no crash, values cut to 254 characters, and a value written
// under a plain section and key reads back.
#include "config/Ini.h"
#include "fuzz/FuzzSupport.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

QString TakeName(FuzzedDataProvider &input)
{
    const std::string bytes = input.ConsumeRandomLengthString(24);
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

bool IsPlain(const QString &text, bool allowInnerBlanks)
{
    if (text.isEmpty() || text.startsWith(QLatin1Char(' ')) || text.endsWith(QLatin1Char(' '))) {
        return false;
    }
    for (const QChar c : text) {
        const bool letterOrDigit = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                                   (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                                   (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('_');
        if (!letterOrDigit && !(allowInnerBlanks && c == QLatin1Char(' '))) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const QString section = TakeName(input);
    const QString key = TakeName(input);
    const std::string valueBytes = input.ConsumeRandomLengthString(400);
    const QString value = QString::fromUtf8(valueBytes.data(), qsizetype(valueBytes.size()));
    const std::string content = input.ConsumeRemainingBytesAsString();
    const QString file = WriteFuzzFile(QStringLiteral("Fuzz.ini"), content.data(), qsizetype(content.size()));

    const QString fallback = QStringLiteral("default");
    const QString before = ReadIniString(file, section, key, fallback);
    FuzzCheck(before.size() <= 254, "a value read is at most 254 characters");

    if (WriteIniString(file, section, key, value))
        return 0; // nothing written, nothing to read back
    const QString after = ReadIniString(file, section, key, fallback);
    FuzzCheck(after.size() <= 254, "a value read is at most 254 characters");
    if (IsPlain(section, false) && IsPlain(key, false) && IsPlain(value, true) && value.size() <= 254) {
        FuzzCheck(after == value, "a plain value written reads back");
    }
    return 0;
}
