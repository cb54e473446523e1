#include "json_writer.h"

#include "core/shortest_decimal.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace kestrane {
namespace {

constexpr std::string_view replacement_character = "\xEF\xBF\xBD";

// How many bytes the UTF-8 sequence led by `lead` has (0: no lead byte), and
// the range of its second byte, which rules out overlong forms, surrogates and
// code points past U+10FFFF.
struct Sequence {
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
};

Sequence sequence_of(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF)
        return {2};
    if (lead >= 0xE0 && lead <= 0xEF)
        return {3, static_cast<unsigned char>(lead == 0xE0 ? 0xA0 : 0x80),
                static_cast<unsigned char>(lead == 0xED ? 0x9F : 0xBF)};
    if (lead >= 0xF0 && lead <= 0xF4)
        return {4, static_cast<unsigned char>(lead == 0xF0 ? 0x90 : 0x80),
                static_cast<unsigned char>(lead == 0xF4 ? 0x8F : 0xBF)};
    return {};
}

// The length of the whole UTF-8 sequence at text[at], or 0 when it is broken;
// `good` is then how many of its bytes were a proper start (replaced as one).
std::size_t whole_sequence(std::string_view text, std::size_t at, std::size_t& good) {
    const Sequence s = sequence_of(static_cast<unsigned char>(text[at]));
    good = 1;
    if (s.length == 0)
        return 0;
    for (std::size_t k = 1; k < s.length; ++k, ++good) {
        if (at + k >= text.size())
            return 0;
        const auto byte = static_cast<unsigned char>(text[at + k]);
        if (byte < (k == 1 ? s.low : 0x80) || byte > (k == 1 ? s.high : 0xBF))
            return 0;
    }
    return s.length;
}

void append_escaped(std::string& out, char c) {
    constexpr std::string_view hex = "0123456789abcdef";
    switch (c) {
        case '"': out += "\\\""; return;
        case '\\': out += "\\\\"; return;
        case '\b': out += "\\b"; return;
        case '\t': out += "\\t"; return;
        case '\n': out += "\\n"; return;
        case '\f': out += "\\f"; return;
        case '\r': out += "\\r"; return;
        default: break;
    }
    if (static_cast<unsigned char>(c) < 0x20)
        (out += "\\u00") += hex[static_cast<unsigned char>(c) >> 4], out += hex[static_cast<unsigned char>(c) & 15];
    else
        out += c;
}

// The shortest digits laid out as JSON writers commonly do: plain decimals
// for exponents from -5 to 14 ("0.0001", "1e-05"), a ".0" on a whole number,
// and otherwise an exponent of at least two digits ("1e+16").
void append_number(std::string& out, double value) {
    if (value < 0)
        out += '-';
    const Decimal d = shortest_decimal(std::fabs(value));
    const std::string_view digits(d.digits.data(), d.count);
    const int k = static_cast<int>(d.count);
    const int n = d.exponent + 1;  // the point's place after the first digit
    if (k <= n && n <= 15) {
        out.append(digits).append(static_cast<std::size_t>(n - k), '0').append(".0");
    } else if (0 < n && n <= 15) {
        out.append(digits.substr(0, static_cast<std::size_t>(n))).append(".").append(digits.substr(static_cast<std::size_t>(n)));
    } else if (-4 < n && n <= 0) {
        out.append("0.").append(static_cast<std::size_t>(-n), '0').append(digits);
    } else {
        out.append(digits.substr(0, 1));
        if (k > 1)
            out.append(".").append(digits.substr(1));
        const int x = n - 1;
        out.append(x < 0 ? "e-" : "e+").append(std::abs(x) < 10 ? "0" : "").append(std::to_string(std::abs(x)));
    }
}

}  // namespace

void JsonWriter::new_line() {
    if (indent_ > 0)
        text_.append("\n").append(static_cast<std::size_t>(depth_ * indent_), ' ');
}

void JsonWriter::separate() {
    if (after_key_) {
        after_key_ = false;
        return;
    }
    if (!first_)
        text_ += ',';
    if (depth_ > 0)
        new_line();
    first_ = false;
}

JsonWriter& JsonWriter::open(char bracket) {
    separate();
    text_ += bracket;
    ++depth_;
    first_ = true;
    return *this;
}

JsonWriter& JsonWriter::close(char bracket) {
    --depth_;
    if (!first_)
        new_line();
    text_ += bracket;
    first_ = false;
    return *this;
}

JsonWriter& JsonWriter::key(std::string_view name) {
    string(name);
    text_ += indent_ > 0 ? ": " : ":";
    after_key_ = true;
    return *this;
}

JsonWriter& JsonWriter::string(std::string_view text) {
    separate();
    text_ += '"';
    for (std::size_t at = 0; at < text.size();) {
        if (static_cast<unsigned char>(text[at]) < 0x80) {
            append_escaped(text_, text[at++]);
            continue;
        }
        std::size_t good = 0;
        const std::size_t length = whole_sequence(text, at, good);
        if (length == 0) {
            text_ += replacement_character;
        } else {
            text_.append(text, at, length);
        }
        at += length == 0 ? good : length;
    }
    text_ += '"';
    return *this;
}

JsonWriter& JsonWriter::number(double value) {
    if (!std::isfinite(value))
        return null();
    separate();
    if (value == 0.0)
        text_ += std::signbit(value) ? "-0.0" : "0.0";
    else
        append_number(text_, value);
    return *this;
}

JsonWriter& JsonWriter::integer(long long value) {
    separate();
    text_ += std::to_string(value);
    return *this;
}

JsonWriter& JsonWriter::boolean(bool value) {
    separate();
    text_ += value ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::null() {
    separate();
    text_ += "null";
    return *this;
}

}  // namespace kestrane
