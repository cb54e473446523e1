#include "decimal_text.h"

#include <cmath>

#include "core/shortest_decimal.h"

namespace kestrane {
namespace {

// The digits of |value| with the point moved `shift` places to the right.
std::string shifted_digits(double value, int shift) {
    if (value == 0.0)
        return "0";
    const Decimal d = shortest_decimal(std::fabs(value));
    const std::string digits(d.digits.data(), d.count);
    // The point stands after `integer` digits (before the first when negative).
    const long integer = static_cast<long>(d.exponent) + 1 + shift;
    if (integer <= 0)
        return "0." + std::string(static_cast<std::size_t>(-integer), '0') + digits;
    const auto whole = static_cast<std::size_t>(integer);
    if (whole >= digits.size())
        return digits + std::string(whole - digits.size(), '0');
    return digits.substr(0, whole) + "." + digits.substr(whole);
}

}  // namespace

std::string plain_decimal_text(double value) {
    return (std::signbit(value) && value != 0.0 ? "-" : "") + shifted_digits(value, 0);
}

std::string percent_text(double probability) {
    // Moving the point of the decimal digits, not multiplying by 100, keeps
    // 0.9973 from reading 99.72999999999999.
    return shifted_digits(probability, 2);
}

}  // namespace kestrane
