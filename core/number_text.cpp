#include "number_text.h"

#include <fast_float/fast_float.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <cstdint>
#include <system_error>
#include <vector>

namespace kestrane {

void detail::invalid_format_literal() {}

// ---------------------------------------------------------------- scanning

namespace {

constexpr bool is_c_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

constexpr bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// Where the parts of the number at the start of a text lie.
struct NumberSpan {
    std::size_t digits = 0;  // first character after the sign
    std::size_t end = 0;     // one past the number (0 when there is none)
    bool negative = false;
};

NumberSpan find_number(std::string_view text) {
    NumberSpan span;
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n && is_c_space(text[i]))
        ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        span.negative = text[i] == '-';
        ++i;
    }
    span.digits = i;
    std::size_t digit_count = 0;
    while (i < n && is_digit(text[i]))
        ++i, ++digit_count;
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && is_digit(text[i]))
            ++i, ++digit_count;
    }
    if (digit_count == 0)
        return NumberSpan{};
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < n && (text[j] == '+' || text[j] == '-'))
            ++j;
        if (j < n && is_digit(text[j])) {
            while (j < n && is_digit(text[j]))
                ++j;
            i = j;
        }
    }
    span.end = i;
    return span;
}

}  // namespace

std::string_view trim_blanks(std::string_view text) {
    while (!text.empty() && is_c_space(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && is_c_space(text.back()))
        text.remove_suffix(1);
    return text;
}

std::size_t number_prefix_length(std::string_view text) {
    return find_number(text).end;
}

namespace {

// The number find_number found, read in the precision of Number and widened.
// fast_float rounds correctly, the same on every toolchain (the WebAssembly
// C++ library has no floating-point std::from_chars). It only ever sees the
// unsigned decimal number found, never the raw text (which could say "inf" or
// "nan"). A number too large for Number comes back infinite and is refused;
// one too small rounds to zero.
template <typename Number>
std::optional<double> number_found(std::string_view text, NumberSpan span) {
    if (span.end == 0)
        return std::nullopt;
    Number value{};
    const auto [ptr, ec] = fast_float::from_chars(text.data() + span.digits, text.data() + span.end, value);
    if (ec != std::errc{} || ptr != text.data() + span.end || !std::isfinite(value))
        return std::nullopt;
    const double widened = static_cast<double>(value);
    return span.negative ? -widened : widened;
}

}  // namespace

std::optional<double> scan_field(std::string_view text) {
    std::size_t length = 0;
    return scan_field(text, length);
}

std::optional<double> detail::scan_field_exact(std::string_view text, std::size_t& length) {
    const NumberSpan span = find_number(text);
    length = span.end;
    return number_found<float>(text, span);
}

std::optional<double> scan_double(std::string_view text) {
    return number_found<double>(text, find_number(text));
}

std::optional<double> scan_double(std::string_view text, std::size_t& length) {
    const NumberSpan span = find_number(text);
    length = span.end;
    return number_found<double>(text, span);
}

// ---------------------------------------------------------------- formatting

namespace {

// Unsigned integer of any size, little-endian base 2^32: just enough arithmetic
// for the exact decimal expansion of a double.
class BigUnsigned {
public:
    explicit BigUnsigned(std::uint64_t v) {
        while (v != 0) {
            limbs_.push_back(static_cast<std::uint32_t>(v));
            v >>= 32;
        }
    }

    void multiply(std::uint32_t factor) {
        std::uint64_t carry = 0;
        for (auto& limb : limbs_) {
            const std::uint64_t product = static_cast<std::uint64_t>(limb) * factor + carry;
            limb = static_cast<std::uint32_t>(product);
            carry = product >> 32;
        }
        if (carry != 0)
            limbs_.push_back(static_cast<std::uint32_t>(carry));
    }

    void shift_left(unsigned bits) {
        if (limbs_.empty())
            return;
        const unsigned whole = bits / 32, part = bits % 32;
        if (part != 0) {
            std::uint32_t carry = 0;
            for (auto& limb : limbs_) {
                const std::uint32_t next = limb >> (32 - part);
                limb = (limb << part) | carry;
                carry = next;
            }
            if (carry != 0)
                limbs_.push_back(carry);
        }
        limbs_.insert(limbs_.begin(), whole, 0u);
    }

    // Divides by 2^bits, rounding a remainder of at least half away from zero.
    void shift_right_rounding(unsigned bits) {
        const bool round_up = bit(bits - 1);
        const unsigned whole = bits / 32, part = bits % 32;
        if (whole >= limbs_.size()) {
            limbs_.clear();
        } else {
            limbs_.erase(limbs_.begin(), limbs_.begin() + static_cast<std::ptrdiff_t>(whole));
            if (part != 0) {
                for (std::size_t k = 0; k < limbs_.size(); ++k) {
                    const std::uint32_t high = k + 1 < limbs_.size() ? limbs_[k + 1] : 0u;
                    limbs_[k] = (limbs_[k] >> part) | (high << (32 - part));
                }
            }
            trim();
        }
        if (round_up)
            add_one();
    }

    // Decimal digits, most significant first; "0" for zero.
    std::string decimal() const {
        std::vector<std::uint32_t> n = limbs_;
        std::string chunks;  // base 10^9 chunks, least significant first, 9 digits each
        while (!n.empty()) {
            std::uint64_t remainder = 0;
            for (std::size_t k = n.size(); k-- > 0;) {
                const std::uint64_t current = (remainder << 32) | n[k];
                n[k] = static_cast<std::uint32_t>(current / 1'000'000'000u);
                remainder = current % 1'000'000'000u;
            }
            while (!n.empty() && n.back() == 0)
                n.pop_back();
            for (int d = 0; d < 9; ++d) {
                chunks.push_back(static_cast<char>('0' + remainder % 10));
                remainder /= 10;
            }
        }
        while (chunks.size() > 1 && chunks.back() == '0')
            chunks.pop_back();
        if (chunks.empty())
            chunks.push_back('0');
        return {chunks.rbegin(), chunks.rend()};
    }

private:
    bool bit(unsigned index) const {
        const unsigned limb = index / 32;
        return limb < limbs_.size() && ((limbs_[limb] >> (index % 32)) & 1u) != 0;
    }
    void add_one() {
        for (auto& limb : limbs_) {
            if (++limb != 0)
                return;
        }
        limbs_.push_back(1);
    }
    void trim() {
        while (!limbs_.empty() && limbs_.back() == 0)
            limbs_.pop_back();
    }

    std::vector<std::uint32_t> limbs_;
};

// The decimal digits of round(|value| * 10^precision), ties away from zero,
// computed exactly. Small results live in a fixed buffer; the rare long ones
// (huge values, long precisions) in a string.
class ScaledDigits {
public:
    ScaledDigits(double magnitude, int precision) {
        const auto bits = std::bit_cast<std::uint64_t>(magnitude);
        const auto biased = static_cast<int>((bits >> 52) & 0x7FF);
        std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
        int exponent = -1074;  // subnormal: mantissa * 2^-1074
        if (biased != 0) {
            mantissa |= std::uint64_t{1} << 52;
            exponent = biased - 1075;
        }
        if (mantissa == 0) {
            set_fast(0);
        } else if (precision <= 3 && exponent <= 0) {
            // mantissa * 10^precision < 2^63, so the scaled value fits in 64 bits.
            const std::uint64_t scaled = mantissa * detail::powers_of_ten[precision];
            const auto shift = static_cast<unsigned>(-exponent);
            if (shift == 0) {
                set_fast(scaled);
            } else if (shift >= 64) {
                set_fast(0);  // scaled < 2^63 <= half of 2^shift
            } else {
                const std::uint64_t remainder = scaled & ((std::uint64_t{1} << shift) - 1);
                const std::uint64_t half = std::uint64_t{1} << (shift - 1);
                set_fast((scaled >> shift) + (remainder >= half ? 1 : 0));
            }
        } else {
            BigUnsigned n(mantissa);
            for (int p = 0; p < precision; ++p)
                n.multiply(10);
            if (exponent > 0)
                n.shift_left(static_cast<unsigned>(exponent));
            if (exponent < 0)
                n.shift_right_rounding(static_cast<unsigned>(-exponent));
            slow_ = n.decimal();
            digits_ = slow_;
        }
    }
    ScaledDigits(const ScaledDigits&) = delete;
    ScaledDigits& operator=(const ScaledDigits&) = delete;

    std::string_view digits() const { return digits_; }

private:
    void set_fast(std::uint64_t n) {
        char* p = fast_ + sizeof fast_;
        do {
            *--p = static_cast<char>('0' + n % 10);
            n /= 10;
        } while (n != 0);
        digits_ = std::string_view(p, static_cast<std::size_t>(fast_ + sizeof fast_ - p));
    }

    char fast_[20];
    std::string slow_;
    std::string_view digits_;
};

// The short way of append_formatted: write_plain's text appended.
bool append_plain(std::string& out, double value, FixedFormat format) {
    char buffer[32];
    const char* const end = detail::write_plain(buffer, buffer + sizeof buffer, value, format);
    if (end == nullptr)
        return false;
    out.append(buffer, static_cast<std::size_t>(end - buffer));
    return true;
}

// Copies text into [first, last): one past it, or nullptr when it does not fit.
char* copy_within(std::string_view text, char* first, char* last) {
    if (text.size() > static_cast<std::size_t>(last - first))
        return nullptr;
    std::memcpy(first, text.data(), text.size());
    return first + text.size();
}

// The sign a value is written with under format: '-', '+' or ' ', or '\0' for none.
char sign_of(double value, FixedFormat format) {
    if (std::signbit(value) && !std::isnan(value))
        return '-';
    return format.plus_sign ? '+' : format.space_sign ? ' ' : '\0';
}

// The sign and a body of body_length bytes (written by write_body) padded to
// the format's width: blanks in front, or behind when left-justified, or zeros
// between the sign and the body.
template <typename WriteBody>
void append_padded(std::string& out, char sign, std::size_t body_length, FixedFormat format, WriteBody write_body) {
    const std::size_t length = (sign != '\0' ? 1 : 0) + body_length;
    const auto width = static_cast<std::size_t>(format.width);
    const std::size_t fill = width > length ? width - length : 0;
    out.reserve(out.size() + length + fill);
    if (!format.left_justify && !format.zero_pad)
        out.append(fill, ' ');
    if (sign != '\0')
        out.push_back(sign);
    if (!format.left_justify && format.zero_pad)
        out.append(fill, '0');
    write_body(out);
    if (format.left_justify)
        out.append(fill, ' ');
}

// Appends the digits of round(|value| * 10^precision) as a number: the point
// before the last `precision` digits (when there is one), and zeros in front
// where the value is below 1.
void append_point_digits(std::string& out, std::string_view digits, std::size_t precision, bool point) {
    if (digits.size() > precision) {
        const std::size_t integer_length = digits.size() - precision;
        out += digits.substr(0, integer_length);
        if (point)
            out.push_back('.');
        out += digits.substr(integer_length);
        return;
    }
    out.push_back('0');
    if (point)
        out.push_back('.');
    out.append(precision - digits.size(), '0');
    out += digits;
}

// A finite value under any format, exactly: its integer digits (a leading zero
// below 1), then the point and precision digits.
void append_fixed(std::string& out, double value, char sign, FixedFormat format) {
    const ScaledDigits scaled(std::fabs(value), format.precision);
    const std::string_view digits = scaled.digits();
    const auto precision = static_cast<std::size_t>(format.precision);
    const std::size_t integer_length = digits.size() > precision ? digits.size() - precision : 1;
    const bool point = precision > 0 || format.keep_point;
    append_padded(out, sign, integer_length + (point ? 1 : 0) + precision, format,
                  [&](std::string& text) { append_point_digits(text, digits, precision, point); });
}

}  // namespace

char* detail::write_formatted_exact(char* first, char* last, double value, FixedFormat format) {
    std::string text;
    append_formatted_exact(text, value, format);
    return copy_within(text, first, last);
}

void append_formatted(std::string& out, double value, FixedFormat format) {
    if (!append_plain(out, value, format))
        detail::append_formatted_exact(out, value, format);
}

void detail::append_formatted_exact(std::string& out, double value, FixedFormat format) {
    const char sign = sign_of(value, format);
    if (std::isfinite(value)) {
        append_fixed(out, value, sign, format);
        return;
    }
    const std::string_view word = std::isnan(value) ? "nan" : "inf";
    format.zero_pad = false;  // C never pads a word with zeros
    append_padded(out, sign, word.size(), format, [word](std::string& text) { text += word; });
}

std::string format_value(double value, FixedFormat format) {
    std::string out;
    append_formatted(out, value, format);
    return out;
}

std::string significant_text(double value, int digits) {
    if (!std::isfinite(value))
        return format_value(value, "%f");
    const double magnitude = std::fabs(value);
    // The place of the first significant digit, from exact texts: the digits of
    // the integer part, or the zeros after the point.
    int first = 0;
    if (magnitude >= 1.0) {
        first = static_cast<int>(format_value(std::floor(magnitude), "%.0f").size()) - 1;
    } else {
        FixedFormat forty;
        forty.precision = 40;
        const std::string text = format_value(magnitude, forty);
        const std::size_t nonzero = text.find_first_not_of("0.");
        if (nonzero == std::string::npos)
            return "0";
        first = 1 - static_cast<int>(nonzero);
    }
    FixedFormat format;
    format.precision = digits - 1 - first > 0 ? digits - 1 - first : 0;
    return format_value(value, format);
}

}  // namespace kestrane
