#pragma once

#include "xlsx/formula/Value.h"

#include <QString>
#include <optional>

namespace formula {

// TEXT's number formats: times and dates (h, hh, m, mm, s, ss, [h], [m], [s], AM/PM, A/P, d to dddd, m to mmmm,
// yy, yyyy), numbers (0, #, ".", ",", "%"), "@", General, quoted and \ literals, sections split by ";".
// nullopt for a format outside these; #VALUE! for a negative time.
std::optional<Value> FormatValue(double value, QStringView format);
// A text through a format: "@" stands for it; without "@" the text is given back.
std::optional<Value> FormatText(const QString &text, QStringView format);

} // namespace formula
