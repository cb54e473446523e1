#include "shortest_decimal.h"

#include <fast_float/fast_float.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

#include "number_text.h"

namespace kestrane {
namespace {

// The first significant digits of a positive value, exactly: enough to round
// it to 17 and to know what lies past the place it is rounded at.
struct Leading {
    std::array<char, 20> digits{};
    std::size_t count = 0;  // without trailing zeros
    int exponent = 0;       // the power of ten of the first digit
    bool more = false;      // a digit past the twentieth is not 0

    char at(std::size_t i) const { return i < count ? digits[i] : '0'; }
    // Whether a digit from place i on is not 0.
    bool past(std::size_t i) const { return more || i < count; }
};

// The leading digits of an exact decimal text ("20.950000762939453125").
Leading leading_of(std::string_view text) {
    const auto whole = static_cast<int>(std::min(text.find('.'), text.size()));
    Leading d;
    int place = 0;  // of the digit, counted from the first of the text
    for (const char c : text) {
        if (c == '.')
            continue;
        if (d.count == 0 && !d.more && c == '0') {
            ++place;
            continue;
        }
        if (d.count == 0 && !d.more)
            d.exponent = whole - 1 - place;
        if (d.count < d.digits.size())
            d.digits[d.count++] = c;
        else
            d.more = d.more || c != '0';
        ++place;
    }
    while (d.count > 0 && d.digits[d.count - 1] == '0')
        --d.count;
    return d;
}

// The exact text of a value from 2^-8 up to 2^64 written into out (room for
// 20 digits, the point and 60 more), from its 53 binary digits in
// whole-number arithmetic: each digit after the point is the carry of ten
// times the rest. Its length, or 0 for a value outside that range.
std::size_t exact_text(double value, char* out) {
    int exponent = 0;
    const auto mantissa = static_cast<std::uint64_t>(std::ldexp(std::frexp(value, &exponent), 53));
    const int places = 53 - exponent;  // binary places after the point
    if (exponent > 64 || places > 60)
        return 0;
    if (places <= 0)
        return static_cast<std::size_t>(std::to_chars(out, out + 20, mantissa << -places).ptr - out);
    char* end = std::to_chars(out, out + 20, mantissa >> places).ptr;
    *end++ = '.';
    const std::uint64_t below = (std::uint64_t{1} << places) - 1;
    for (std::uint64_t rest = mantissa & below; rest != 0; rest &= below) {
        rest *= 10;  // below 2^64, as rest is below 2^60
        *end++ = static_cast<char>('0' + (rest >> places));
    }
    return static_cast<std::size_t>(end - out);
}

// The leading digits of a finite positive value: a double's binary digits,
// and so its decimal ones, end at most 1074 places after the point.
Leading leading_of(double value) {
    char text[82];
    if (const std::size_t length = exact_text(value, text))
        return leading_of(std::string_view(text, length));
    int exponent = 0;
    std::frexp(value, &exponent);
    FixedFormat exact;
    exact.precision = std::clamp(53 - exponent, 0, 1074);
    return leading_of(format_value(value, exact));
}

// The value cut to `count` digits, and one more in the last place when up.
Decimal cut(const Leading& d, std::size_t count, bool up) {
    Decimal x;
    x.exponent = d.exponent;
    x.count = count;
    for (std::size_t i = 0; i < count; ++i)
        x.digits[i] = d.at(i);
    std::size_t i = count;
    while (up && i > 0 && x.digits[i - 1] == '9')
        x.digits[--i] = '0';
    if (up && i == 0) {
        x.digits[0] = '1';
        ++x.exponent;
    } else if (up) {
        ++x.digits[i - 1];
    }
    while (x.count > 1 && x.digits[x.count - 1] == '0')
        --x.count;
    return x;
}

// Whether x, read as a double, is value: x written with an exponent.
bool reads_back(const Decimal& x, double value) {
    char text[32];
    char* end = std::copy(x.digits.begin(), x.digits.begin() + 1, text);
    *end++ = '.';
    end = std::copy(x.digits.begin() + 1, x.digits.begin() + static_cast<std::ptrdiff_t>(x.count), end);
    *end++ = 'e';
    end = std::to_chars(end, text + sizeof text, x.exponent).ptr;
    double back = 0;
    fast_float::from_chars(text, end, back);
    return back == value;
}

// The decimal of `count` digits nearest value (d: its leading digits), and
// of two as near the even one; with whether it lies above value.
std::pair<Decimal, bool> nearest(const Leading& d, std::size_t count) {
    const char next = d.at(count);
    const bool after = d.past(count + 1);  // the last digit kept is not 0
    const bool odd = (d.at(count - 1) - '0') % 2 == 1;
    const bool up = next > '5' || (next == '5' && (after || odd));
    return {cut(d, count, up), up};
}

// Of the two decimals of `count` digits around value, the one that reads
// back as value, of two the nearer; nothing when neither does. If any decimal
// of `count` digits reads back, one of these two does.
std::optional<Decimal> reading_back(double value, const Leading& d, std::size_t count) {
    if (!d.past(count))
        return cut(d, count, false);  // the value itself
    const auto [nearer, up] = nearest(d, count);
    if (reads_back(nearer, value))
        return nearer;
    // The doubles around value are as far on either side, except above a
    // power of two, where the one below is half as far: only there can the
    // farther decimal read back when the nearer does not.
    int exponent = 0;
    if (std::frexp(value, &exponent) != 0.5)
        return std::nullopt;
    const Decimal farther = cut(d, count, !up);
    return reads_back(farther, value) ? std::optional(farther) : std::nullopt;
}

}  // namespace

Decimal shortest_decimal(double value) {
    const Leading d = leading_of(value);
    // Most values that are not whole need 17 digits, or 16: tried first. The
    // nearest decimal of 17 digits always reads back.
    if (!reading_back(value, d, 16))
        return d.past(17) ? nearest(d, 17).first : cut(d, 17, false);
    // A decimal that reads back in n digits reads back in n + 1.
    std::size_t low = 1;
    std::size_t high = d.more ? 16 : std::min<std::size_t>(16, d.count);
    while (low < high) {
        const std::size_t middle = (low + high) / 2;
        if (reading_back(value, d, middle))
            high = middle;
        else
            low = middle + 1;
    }
    return *reading_back(value, d, low);
}

}  // namespace kestrane
