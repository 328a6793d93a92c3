#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// The one way the program reads a number from text: blanks, tabs and line feeds are skipped wherever they
// stand, then the longest leading number is taken (sign, digits with one ".", exponent E/e); "&H"/"&O" read
// hexadecimal/octal digits as an unsigned value. Text without a number gives 0. nullopt only when the number
// does not fit a double (for example "1e400").
std::optional<double> ParseNumberPrefix(const QString &text);
std::optional<double> ParseNumberPrefix(QStringView text);

// Rounds to the nearest whole number, halves to the even neighbour, then checks the 16-bit range.
// nullopt for a result outside -32768..32767 or a value that is not finite.
std::optional<int16_t> ToInteger16(double value);

// ParseNumberPrefix followed by ToInteger16.
std::optional<int16_t> ParseInteger16(const QString &text);
std::optional<int16_t> ParseInteger16(QStringView text);

// Leading and trailing blanks removed: spaces only unless blanks names others (the INI files also take tabs);
// tabs and other white space are otherwise text.
QStringView TrimmedView(QStringView text, QStringView blanks = u" ");
QString Trimmed(const QString &text);
QString Trimmed(QString &&text); // moves an untrimmed text through instead of sharing it

// Numbers as the event file and the timecode seconds write them: "." always, at most 15 significant
// digits, no trailing zeros, no point for whole numbers, no "0" before the point below 1, "-" for negatives.
// 3600.33, .033, -.5, 32768.
QString FormatNumber(double value);

// printf("%.15G") in the C locale, whatever the process locale: 12.5, 7, 1E+20, 1E-05.
QString FormatNumberG15(double value);

// Decimal digits with "-" for negatives, whatever the locale, zeros in front up to width digits.
QString FormatInteger(long long value, int width = 0);
// The same written at out, which has room for 24 characters; returns the end. For writers that build bytes.
char *WriteInteger(char *out, long long value, int width = 0);
