#include "app/ConsoleText.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

#ifdef _WIN32

// False when the stream is no console (redirected to a pipe or a file).
bool WriteToConsole(std::FILE *stream, const QString &text)
{
    const HANDLE handle = GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr || !GetConsoleMode(handle, &mode))
        return false;
    std::fflush(stream); // what went out through the stream before comes first
    DWORD written = 0;
    return WriteConsoleW(handle, text.utf16(), static_cast<DWORD>(text.size()), &written, nullptr) != 0;
}

#else

bool WriteToConsole(std::FILE *, const QString &)
{
    return false;
}

#endif

void WriteBytes(std::FILE *stream, std::string_view bytes)
{
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::fflush(stream);
}

} // namespace

void WriteConsoleText(std::FILE *stream, const QString &text)
{
    if (!WriteToConsole(stream, text)) {
        const QByteArray utf8 = text.toUtf8();
        WriteBytes(stream, std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
    }
}

void WriteConsoleUtf8(std::FILE *stream, std::string_view utf8)
{
    if (!WriteToConsole(stream, QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()))))
        WriteBytes(stream, utf8);
}
