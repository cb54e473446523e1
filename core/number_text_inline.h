// The short ways of number_text.h, inline: a log reads six fields and writes
// four results on every row, and a call for each, with the checks of a format
// its caller knows, cost more than the short ways themselves. Included at the
// end of number_text.h; the general ways stay in number_text.cpp.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>

namespace kestrane {
namespace detail {

inline constexpr std::uint64_t powers_of_ten[] = {1, 10, 100, 1000};

// A short plain decimal such as "20.95" or "-1234", read in one pass without
// the general conversion: a sign at most, digits with an optional point, no
// white space before it and no "e" after it, at most ten digits after the
// point, and all its digits (the point left out) an integer below 2^24. The
// digits and the power of ten are then both exact floats, and one IEEE float
// division of exact operands rounds correctly, once, as the general
// conversion does (Clinger's fast path, in single precision). Sets the value
// and the length and returns true; false, having set neither, for any other
// text, which the general conversion reads.
inline bool short_decimal(std::string_view text, double& value, std::size_t& length) {
    static constexpr float powers[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* p = begin;
    if (p == end)
        return false;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    // Unsigned: past 19 digits the sum wraps, harmlessly, as such a text is refused below.
    std::uint64_t digits = 0;
    const char* const first_digit = p;
    for (unsigned d; p != end && (d = static_cast<unsigned char>(*p) - unsigned{'0'}) <= 9; ++p)
        digits = digits * 10 + d;
    const std::ptrdiff_t integers = p - first_digit;
    std::ptrdiff_t decimals = 0;
    if (p != end && *p == '.') {
        const char* const first_decimal = ++p;
        for (unsigned d; p != end && (d = static_cast<unsigned char>(*p) - unsigned{'0'}) <= 9; ++p)
            digits = digits * 10 + d;
        decimals = p - first_decimal;
    }
    const std::ptrdiff_t count = integers + decimals;
    if (count <= 0 || count > 19 || decimals > 10 || digits >= (std::uint64_t{1} << 24) ||
        (p != end && (*p == 'e' || *p == 'E')))
        return false;
    length = static_cast<std::size_t>(p - begin);
    const float magnitude = static_cast<float>(static_cast<std::int32_t>(digits)) / powers[decimals];
    const double widened = static_cast<double>(magnitude);
    value = negative ? -widened : widened;
    return true;
}

// The two digits of each number below 100, for writing a number two digits at a time.
inline constexpr char digit_pairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes n backwards to end at `end`: its last `precision` digits (at most
// three) after a point when precision is not 0, and the rest before it, at
// least one digit, two at a time. Gives where the text starts. Unsigned is 32
// bits wide wherever n fits, which makes each step cheaper.
template <typename Unsigned>
[[gnu::always_inline]] inline char* write_backwards(char* end, Unsigned n, unsigned precision) {
    if (precision > 0) {
        if (precision != 2) {  // 1 or 3: one digit alone
            *--end = static_cast<char>('0' + n % 10);
            n /= 10;
        }
        if (precision != 1) {
            end -= 2;
            std::memcpy(end, digit_pairs + 2 * (n % 100), 2);
            n /= 100;
        }
        *--end = '.';
    }
    for (;;) {
        if (n < 10) {
            *--end = static_cast<char>('0' + n);
            return end;
        }
        end -= 2;
        std::memcpy(end, digit_pairs + 2 * (n % 100), 2);
        if ((n /= 100) == 0)
            return end;
    }
}

// Whether a format is one write_plain writes: no flags, at most three
// decimals (so that |value| * 10^precision of a value below 2^53 fits in 64
// bits) and a width of at most 24.
inline bool plain_format(FixedFormat format) {
    const bool flags = format.left_justify | format.plus_sign | format.space_sign | format.zero_pad | format.keep_point;
    return !flags && static_cast<unsigned>(format.precision) <= 3 && format.width <= 24;
}

// round(|value| * 10^precision), a tie away from zero, exactly, for a finite
// value below 2^53 in magnitude and a precision of at most three: the value
// is an integer of at most 53 bits over a power of two, and the remainder of
// the shift is at least half when the bit below the last one kept is set, so
// adding that bit rounds. Past 63 bits of shift it is 0.
inline std::uint64_t scaled_plain(std::uint64_t bits, unsigned precision) {
    const auto biased = static_cast<unsigned>(bits >> 52) & 0x7FFu;
    std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
    unsigned shift = 1074;  // subnormal: mantissa * 2^-1074
    if (biased != 0) {
        mantissa |= std::uint64_t{1} << 52;
        shift = 1075 - biased;
    }
    const std::uint64_t scaled = mantissa * powers_of_ten[precision];
    if (shift >= 64)
        return 0;
    return shift > 0 ? ((scaled >> (shift - 1)) + 1) >> 1 : scaled;
}

// The common case of write_formatted: a value below 2^53 in magnitude under
// a plain format such as "%3.2f", its text written backwards into a buffer
// and copied, sixteen bytes at once where there is room for them. Gives one
// past the text, or nullptr, with nothing written, for any other value or
// format or when the text does not fit. The bytes after the text, before
// last, may be overwritten.
[[gnu::always_inline]] inline char* write_plain(char* first, char* last, double value, FixedFormat format) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    if (!plain_format(format) || (static_cast<unsigned>(bits >> 52) & 0x7FFu) > 1075)
        return nullptr;  // 2^53 or more, or not finite: the general path
    const auto precision = static_cast<unsigned>(format.precision);
    const std::uint64_t scaled = scaled_plain(bits, precision);
    char text[40] = {};
    char* const text_end = text + 24;
    char* start = scaled <= 0xFFFF'FFFFu ? write_backwards(text_end, static_cast<std::uint32_t>(scaled), precision)
                                         : write_backwards(text_end, scaled, precision);
    if ((bits >> 63) != 0)
        *--start = '-';
    const auto length = text_end - start;
    const auto fill = format.width > length ? format.width - length : 0;
    if (last - first < length + fill)
        return nullptr;
    for (auto k = fill; k > 0; --k)
        *first++ = ' ';
    if (length <= 16 && last - first >= 16)
        std::memcpy(first, start, 16);  // one copy of a size known here
    else
        std::memcpy(first, start, static_cast<std::size_t>(length));
    return first + length;
}

}  // namespace detail

[[gnu::always_inline]] inline std::optional<double> scan_field(std::string_view text, std::size_t& length) {
    // The value comes back through a plain double rather than an optional: the
    // optional's copy into scan_field's own result stalled on every field.
    if (double quick = 0.0; detail::short_decimal(text, quick, length))
        return quick;
    return detail::scan_field_exact(text, length);
}

[[gnu::always_inline]] inline char* write_formatted(char* first, char* last, double value, FixedFormat format) {
    if (char* end = detail::write_plain(first, last, value, format))
        return end;
    return detail::write_formatted_exact(first, last, value, format);
}

}  // namespace kestrane
