#pragma once

#include <QString>
#include <cstdio>
#include <string_view>

// Writes to stdout or stderr so that every name reads right: to a Windows console as wide text, whatever its code
// page; to a pipe, a file or any other terminal as UTF-8.
void WriteConsoleText(std::FILE *stream, const QString &text);
void WriteConsoleUtf8(std::FILE *stream, std::string_view utf8);
