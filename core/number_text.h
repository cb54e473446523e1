// Number text of the correction: reading a field the way the C "%f" scan does,
// and writing a value under a printf-style "%W.Pf" format. Both give the same
// text on every platform and runtime.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kestrane {

// Reads the number at the start of a field's text: C white space, an optional
// sign, digits with an optional point, and an optional exponent ("e" with no
// digits after it is not part of the number). The rest of the text is ignored.
// The number is rounded once, correctly, to single precision and widened to
// double. Returns nothing when the text holds no number at its start ("", "abc",
// "inf", "-") or when the number is too large for single precision.
std::optional<double> scan_field(std::string_view text);

// As scan_field, also setting length to number_prefix_length(text). Inline
// (number_text_inline.h), as a log reads six fields a row.
inline std::optional<double> scan_field(std::string_view text, std::size_t& length);

// The number at the start of a text as scan_field reads it, but rounded once,
// correctly, to double precision: for numbers the program reads itself (a
// standard uncertainty), not the fields the dialog read in single precision.
std::optional<double> scan_double(std::string_view text);
// As scan_double, also setting length to number_prefix_length(text).
std::optional<double> scan_double(std::string_view text, std::size_t& length);

// Length of the number at the start of text, as scan_field reads it, counting
// the leading white space and sign; 0 when the text holds no number.
std::size_t number_prefix_length(std::string_view text);

// text without the blanks around it: the C white space that the scan skips
// before a number (space, tab, line breaks, vertical tab, form feed).
std::string_view trim_blanks(std::string_view text);

// A printf-style fixed-point conversion: "%" flags width "." precision "f".
// Flags are "-" (left-justify), "+" and " " (sign of positive values), "0"
// (pad with zeros) and "#" (keep the point at precision 0).
struct FixedFormat {
    int width = 0;
    int precision = 6;
    bool left_justify = false;
    bool plus_sign = false;
    bool space_sign = false;
    bool zero_pad = false;
    bool keep_point = false;

    // Width and precision are capped; beyond the cap a format is refused.
    static constexpr int max_width = 9999;
    static constexpr int max_precision = 9999;

    // Parses a format at run time; nothing for a text that is not one such conversion.
    static constexpr std::optional<FixedFormat> parse(std::string_view text);

    constexpr FixedFormat() = default;
    // A format literal, checked at compile time: FixedFormat("%3.2f").
    consteval FixedFormat(const char* literal);  // NOLINT(google-explicit-constructor): literals read best inline
};

// The text of value under format, as the C conversion writes it in the "C"
// locale, whole however long: the exact decimal expansion of the double, a tie
// rounded away from zero, the sign of a negative value kept even when it
// rounds to zero ("-0.0"), and "inf", "-inf" or "nan" for values that are not finite.
std::string format_value(double value, FixedFormat format);

// value with `digits` significant digits, in plain fixed-point notation ("0.04927",
// "0.9854", "1234"), the last rounded half away from zero as format_value
// rounds; a carry may give one digit more ("10.00" for 9.9995). "0" for zero
// or a value below 10^-40; "inf", "-inf" or "nan" for one that is not finite.
std::string significant_text(double value, int digits);

// As format_value, appending to out (no allocation when out has room).
void append_formatted(std::string& out, double value, FixedFormat format);

// As format_value, writing into [first, last): one past the text written, or
// nullptr, with nothing written, when it does not fit. The bytes after the
// text, before last, may be overwritten. Inline (number_text_inline.h), as a
// log writes four results a row.
inline char* write_formatted(char* first, char* last, double value, FixedFormat format);

namespace detail {
// The general ways, which the short ways of scan_field and append_formatted
// must always agree with: kept callable, as the references that the fuzzers
// and the tests hold the short ways to.
std::optional<double> scan_field_exact(std::string_view text, std::size_t& length);
void append_formatted_exact(std::string& out, double value, FixedFormat format);
char* write_formatted_exact(char* first, char* last, double value, FixedFormat format);
}  // namespace detail

// ---- implementation of the constexpr members ----

constexpr std::optional<FixedFormat> FixedFormat::parse(std::string_view text) {
    FixedFormat f;
    std::size_t i = 0;
    if (i == text.size() || text[i] != '%')
        return std::nullopt;
    ++i;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '-')
            f.left_justify = true;
        else if (c == '+')
            f.plus_sign = true;
        else if (c == ' ')
            f.space_sign = true;
        else if (c == '0')
            f.zero_pad = true;
        else if (c == '#')
            f.keep_point = true;
        else
            break;
    }
    auto read_number = [&](int limit) -> std::optional<int> {
        int n = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            n = n * 10 + (text[i] - '0');
            if (n > limit)
                return std::nullopt;
            ++i;
        }
        return n;
    };
    const auto width = read_number(max_width);
    if (!width)
        return std::nullopt;
    f.width = *width;
    if (i < text.size() && text[i] == '.') {
        ++i;
        const auto precision = read_number(max_precision);  // "%.f" is precision 0, as in C
        if (!precision)
            return std::nullopt;
        f.precision = *precision;
    }
    if (i + 1 != text.size() || text[i] != 'f')
        return std::nullopt;
    return f;
}

namespace detail {
// Not constexpr: calling it in a constant expression makes a bad literal a compile error.
void invalid_format_literal();
}  // namespace detail

consteval FixedFormat::FixedFormat(const char* literal) {
    const auto parsed = parse(literal);
    if (!parsed)
        detail::invalid_format_literal();
    *this = *parsed;
}

}  // namespace kestrane

#include "number_text_inline.h"
