// A double as the decimal of fewest significant digits that reads back as
// it, for texts that must give a value back exactly (JSON). libc++'s
// std::to_chars would do it, but brings the tables of its fixed notation
// along, nearly doubling the page's module: the digits come from the value's
// exact expansion instead, the same on every build.
#pragma once

#include <array>
#include <cstddef>

namespace kestrane {

// d.ddd × 10^exponent, at most 17 digits, without trailing zeros.
struct Decimal {
    std::array<char, 17> digits{};
    std::size_t count = 0;
    int exponent = 0;
};

// The decimal of fewest digits that reads back as value (finite and above
// 0), the nearest of them, and of two as near the one whose last digit is even.
Decimal shortest_decimal(double value);

}  // namespace kestrane
