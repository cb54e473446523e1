#include "certificate_text.h"

#include <algorithm>
#include <bit>
#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <system_error>
#include <utility>

#include "number_text.h"

namespace kestrane {
namespace {

// A decimal number as its digits and the number of them before the point:
// "0.0612" is {"00612", 1}.
struct Digits {
    std::string digits;
    std::size_t integer_count;
};

// The exact decimal expansion of a finite non-negative double: no double has
// more than 1074 digits after the point, so this precision rounds nothing.
Digits exact_digits(double magnitude) {
    FixedFormat exact;
    exact.precision = 1074;
    std::string text = format_value(magnitude, exact);
    const std::size_t point = text.find('.');
    text.erase(point, 1);
    return {text, point};
}

// Digits past the twelfth significant one are the rounding of the arithmetic
// that computed an uncertainty, not part of it: the double nearest 0.1 is
// 0.1000000000000000055..., and states 0.10, not 0.11.
constexpr std::size_t meaningful_digits = 12;

// The first meaningful_digits significant digits of the exact expansion of a
// finite positive double, read off its text correctly rounded to 21 digits:
// that rounding moves the value by at most half a unit in the 21st digit, so
// it changes the first twelve only by a carry through digits 13 to 21, which
// then read all zeros. When they read all zeros or all nines, nothing: the
// exact expansion decides. Much faster than the whole expansion, and exact.
std::optional<Digits> leading_digits(double magnitude) {
#ifdef __wasm__
    // The page states one reading at a time, and the tables behind a rounded
    // std::to_chars would more than double its size.
    (void)magnitude;
    return std::nullopt;
#else
    constexpr int shown = 21;
    char text[64];
    const auto [end, error] = std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific, shown - 1);
    if (error != std::errc{} || end - text < shown + 3)
        return std::nullopt;
    std::string digits(1, text[0]);
    digits.append(text + 2, shown - 1);  // "d.ddd...e+XX": the digits around the point
    const std::string_view tail = std::string_view(digits).substr(meaningful_digits);
    if (tail.find_first_not_of('0') == std::string_view::npos || tail.find_first_not_of('9') == std::string_view::npos)
        return std::nullopt;
    int exponent = 0;
    const char* at = text + shown + 2;  // past the 'e'
    if (*at == '+')
        ++at;
    if (std::from_chars(at, end, exponent).ec != std::errc{})
        return std::nullopt;
    digits.resize(meaningful_digits);
    if (exponent >= 0)
        return Digits{digits, static_cast<std::size_t>(exponent) + 1};
    return Digits{std::string(static_cast<std::size_t>(-exponent), '0') + digits, 1};
#endif
}

// Increments a string of decimal digits by one in its last place; true when
// the carry runs out of its first digit (every digit was a 9).
bool increment(std::string& digits) {
    for (std::size_t i = digits.size(); i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return false;
        }
        digits[i] = '0';
    }
    return true;
}

// The two significant digits of d, rounded up when any meaningful digit after them is not zero.
Digits two_digits_up(Digits d) {
    const std::size_t first = d.digits.find_first_not_of('0');
    const std::size_t end = first + 2;
    const std::size_t meaningful_end = std::min(d.digits.size(), first + meaningful_digits);
    const std::size_t next = d.digits.find_first_not_of('0', end);
    const bool inexact = next != std::string::npos && next < meaningful_end;
    d.digits.resize(end);
    if (inexact && increment(d.digits)) {
        d.digits.insert(0, 1, '1');
        ++d.integer_count;
    }
    // A carry into the place before the first digit (0.0995 to 0.100) leaves a
    // third significant digit, a zero: two are kept.
    d.digits.resize(d.digits.find_first_not_of('0') + 2);
    return d;
}

// The text of d: no leading zeros before the units, zeros up to the point.
std::string text_of(Digits d) {
    if (d.digits.size() < d.integer_count)
        d.digits.append(d.integer_count - d.digits.size(), '0');
    std::string text = d.digits.substr(0, d.integer_count);
    text.erase(0, std::min(text.find_first_not_of('0'), text.size() - 1));
    if (d.digits.size() > d.integer_count)
        text.append(".").append(d.digits, d.integer_count);
    return text;
}

// The powers of ten a double holds exactly.
constexpr std::array<double, 23> exact_powers_of_ten = [] {
    std::array<double, 23> powers{};
    double power = 1.0;
    for (double& p : powers) {
        p = power;
        power *= 10.0;
    }
    return powers;
}();

// The text of a finite positive double by double arithmetic alone, for
// values from 1e-11 to 1e34, whose twelve meaningful digits scale to the
// integers from 1e11 to 1e12 by one exact power of ten. The scaled value y
// is the exact one rounded once; whole numbers that size are doubles, so when
// y is not one, the exact value lies strictly between the same two whole
// numbers as y (a rounding never crosses a double), and y's whole part is its
// twelve digits. When y is whole, nothing: the decimal digits decide.
std::optional<CertificateText> scaled_text(double magnitude) {
    // The power of two from the bits (the value is normal here, or returned below), near enough
    // the power of ten: the loop corrects it.
    const int binary_exponent = static_cast<int>(std::bit_cast<std::uint64_t>(magnitude) >> 52) - 1023;
    int exponent = (binary_exponent * 78913) >> 18;  // log10(2) is about 78913 / 2^18
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int scale = static_cast<int>(meaningful_digits) - 1 - exponent;
        if (scale < -22 || scale > 22)
            return std::nullopt;
        const double y = scale >= 0 ? magnitude * exact_powers_of_ten[static_cast<std::size_t>(scale)]
                                    : magnitude / exact_powers_of_ten[static_cast<std::size_t>(-scale)];
        if (y < 1e11) {
            --exponent;
            continue;
        }
        if (y >= 1e12) {
            ++exponent;
            continue;
        }
        const auto twelve = static_cast<std::uint64_t>(y);  // y is positive: its whole part
        if (y == static_cast<double>(twelve))
            return std::nullopt;
        constexpr std::uint64_t past_two = 10'000'000'000;
        std::uint64_t two = twelve / past_two + (twelve % past_two != 0 ? 1 : 0);
        if (two == 100) {  // 0.0995 to 0.10: a carry into a new first digit
            two = 10;
            ++exponent;
        }
        // Zeros around the two digits: "0.00dd", "d.d" or "dd00".
        const char first = static_cast<char>('0' + two / 10);
        const char second = static_cast<char>('0' + two % 10);
        if (exponent == 0)
            return CertificateText{{first, '.', second}, 1};
        if (exponent > 0) {
            CertificateText stated{std::string(static_cast<std::size_t>(exponent) + 1, '0'), 0};
            stated.text[0] = first;
            stated.text[1] = second;
            return stated;
        }
        CertificateText stated{std::string(static_cast<std::size_t>(3 - exponent), '0'), 1 - exponent};
        stated.text[1] = '.';
        stated.text[stated.text.size() - 2] = first;
        stated.text.back() = second;
        return stated;
    }
    return std::nullopt;
}

}  // namespace

namespace {

CertificateText stated(double expanded_uncertainty, bool fast) {
    if (!std::isfinite(expanded_uncertainty))
        return {format_value(expanded_uncertainty, "%f"), 0};
    const double magnitude = std::abs(expanded_uncertainty);
    if (magnitude == 0.0)
        return {"0", 0};
    const bool negative = expanded_uncertainty < 0.0;
    if (fast) {
        if (std::optional<CertificateText> scaled = scaled_text(magnitude)) {
            if (negative)
                scaled->text.insert(0, 1, '-');
            return std::move(*scaled);
        }
    }
    const std::optional<Digits> leading = fast ? leading_digits(magnitude) : std::nullopt;
    const Digits rounded = two_digits_up(leading ? *leading : exact_digits(magnitude));
    const std::size_t decimals =
        rounded.digits.size() > rounded.integer_count ? rounded.digits.size() - rounded.integer_count : 0;
    return {(negative ? "-" : "") + text_of(rounded), static_cast<int>(decimals)};
}

}  // namespace

CertificateText certificate_text(double expanded_uncertainty) {
    return stated(expanded_uncertainty, true);
}

CertificateText certificate_text_from_whole_expansion(double expanded_uncertainty) {
    return stated(expanded_uncertainty, false);
}

}  // namespace kestrane

namespace kestrane {
namespace {

// The decimal place of a text's last significant digit, as a count of digits
// after the point: 4 for "0.0020", 0 for "29", -1 for "290" or "100". That
// digit is the second significant one, or the text's last digit when it has
// fewer than two ("0", "5").
int last_significant_place(std::string_view text) {
    const std::size_t point = std::min(text.find('.'), text.size());
    std::size_t place = std::string_view::npos;
    int significant = 0;
    for (std::size_t i = 0; i < text.size() && significant < 2; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            continue;
        place = i;
        if (significant > 0 || c != '0')
            ++significant;
    }
    if (place == std::string_view::npos)
        return 0;
    return place > point ? static_cast<int>(place - point) : -static_cast<int>(point - place - 1);
}

// |value| rounded to a multiple of 10^tens_places (tens_places > 0), as
// digits: only the integer part's digits matter, and its first digit dropped
// decides, a tie (a 5 followed by zeros) going away from zero as the rest.
std::string rounded_to_tens(double magnitude, int tens_places) {
    const auto dropped = static_cast<std::size_t>(tens_places);
    std::string digits = format_value(std::trunc(magnitude), "%.0f");
    if (digits.size() < dropped)
        return "0";
    const bool up = digits[digits.size() - dropped] >= '5';
    digits.resize(digits.size() - dropped);
    if (up && increment(digits))
        digits.insert(0, 1, '1');
    if (digits.empty() || digits.find_first_not_of('0') == std::string::npos)
        return "0";
    return digits.append(dropped, '0');
}

}  // namespace

std::string value_to_uncertainty_text(double value, std::string_view expanded_text) {
    if (!std::isfinite(value))
        return format_value(value, "%f");
    const int place = last_significant_place(expanded_text);
    if (place >= 0) {
        FixedFormat format;
        format.precision = place;
        return format_value(value, format);
    }
    return (std::signbit(value) ? "-" : "") + rounded_to_tens(std::abs(value), -place);
}

}  // namespace kestrane
