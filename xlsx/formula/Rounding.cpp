#include "xlsx/formula/Rounding.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace formula {

double RoundDecimal(double value, int digits, RoundMode mode)
{
    if (value == 0 || !std::isfinite(value))
        return value;
    digits = std::clamp(digits, -400, 400);
    // d.dddddddddddddde+XX: 15 digits.
    char text[40];
    const auto end = std::to_chars(text, text + sizeof text, std::fabs(value), std::chars_format::scientific, 14).ptr;
    const std::string s(text, end);
    const std::string mantissa = s.substr(0, 1) + s.substr(2, 14);
    const int exponent = std::atoi(s.c_str() + s.find('e') + 1);
    const int keep = exponent + 1 + digits; // significant digits kept
    if (keep >= 15) {
        double approx = 0;
        std::from_chars(text, end, approx);
        return value < 0 ? -approx : approx;
    }
    long long kept = 0;
    for (int i = 0; i < keep; ++i)
        kept = kept * 10 + (mantissa[size_t(i)] - '0');
    const char firstDropped = keep >= 0 ? mantissa[size_t(keep)] : '0';
    const bool anyDropped = mantissa.find_first_not_of('0', size_t(std::max(keep, 0))) != std::string::npos;
    if ((mode == RoundMode::HalfAway && firstDropped >= '5') || (mode == RoundMode::Up && anyDropped))
        ++kept;
    const std::string result = std::to_string(kept) + "e" + std::to_string(-digits);
    double rounded = 0;
    const auto [ptr, ec] = std::from_chars(result.data(), result.data() + result.size(), rounded);
    if (ec != std::errc())
        rounded = ec == std::errc::result_out_of_range && kept != 0 && digits < 0 ? HUGE_VAL : 0.0;
    (void)ptr;
    return value < 0 ? -rounded : rounded;
}

} // namespace formula
