#pragma once

namespace formula {

enum class RoundMode { HalfAway, Up, Down }; // Up: away from zero; Down: towards zero

// value rounded to digits after the point (before it when negative), worked on its 15 significant decimal
// digits as the spreadsheet program does: ROUND(2.675, 2) is 2.68.
double RoundDecimal(double value, int digits, RoundMode mode);

} // namespace formula
