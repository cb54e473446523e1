// Fuzzes the fixed-point format against a reference built from exact integer
// arithmetic on decimal digit strings: the double's value m * 2^e is written
// out in full, then rounded half away from zero at the precision and laid out
// by hand; and the short ways of the format against its general way.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/number_text.h"

namespace {

// Multiplies a decimal integer, written as digits, by a small factor.
void multiply(std::string& digits, std::uint64_t factor) {
    std::uint64_t carry = 0;
    for (std::size_t k = digits.size(); k-- > 0;) {
        const std::uint64_t v = static_cast<std::uint64_t>(digits[k] - '0') * factor + carry;
        digits[k] = static_cast<char>('0' + v % 10);
        carry = v / 10;
    }
    for (; carry != 0; carry /= 10)
        digits.insert(0, 1, static_cast<char>('0' + carry % 10));
}

std::string reference(double value, int width, int precision, bool left, bool plus, bool space, bool zero) {
    const bool negative = std::signbit(value) && !std::isnan(value);
    std::string sign = negative ? "-" : plus ? "+" : space ? " " : "";
    std::string body;
    bool numeric = std::isfinite(value);
    if (!numeric) {
        body = std::isnan(value) ? "nan" : "inf";
    } else {
        int e = 0;
        const double m = std::frexp(std::fabs(value), &e);  // |value| = m * 2^e
        auto mantissa = static_cast<std::uint64_t>(std::ldexp(m, 53));
        e -= 53;
        // |value| = mantissa * 2^e exactly. For e < 0 that is mantissa * 5^-e / 10^-e:
        // an integer whose last -e digits are the fraction.
        std::string all = std::to_string(mantissa);
        std::size_t fraction_length = 0;
        for (int k = e; k > 0; k -= std::min(k, 30))
            multiply(all, std::uint64_t{1} << std::min(k, 30));
        if (e < 0) {
            fraction_length = static_cast<std::size_t>(-e);
            for (int k = -e; k > 0; k -= std::min(k, 13)) {
                std::uint64_t power = 1;
                for (int j = 0; j < std::min(k, 13); ++j)
                    power *= 5;
                multiply(all, power);
            }
            if (all.size() <= fraction_length)
                all.insert(0, fraction_length + 1 - all.size(), '0');
        }
        // Round half away from zero at the precision.
        const std::string int_digits = all.substr(0, all.size() - fraction_length);
        std::string frac = all.substr(all.size() - fraction_length);
        frac.resize(std::max(frac.size(), static_cast<std::size_t>(precision) + 1), '0');
        const bool up = frac[static_cast<std::size_t>(precision)] >= '5';
        std::string digits = int_digits + frac.substr(0, static_cast<std::size_t>(precision));
        if (up) {
            std::size_t k = digits.size();
            while (k > 0 && digits[k - 1] == '9')
                digits[--k] = '0';
            if (k == 0)
                digits.insert(0, 1, '1');
            else
                ++digits[k - 1];
        }
        std::string integer = digits.substr(0, digits.size() - static_cast<std::size_t>(precision));
        while (integer.size() > 1 && integer[0] == '0')
            integer.erase(0, 1);
        body = integer;
        if (precision > 0)
            body += "." + digits.substr(digits.size() - static_cast<std::size_t>(precision));
    }
    const std::size_t length = sign.size() + body.size();
    const std::size_t fill = static_cast<std::size_t>(width) > length ? static_cast<std::size_t>(width) - length : 0;
    if (left)
        return sign + body + std::string(fill, ' ');
    if (zero && numeric)
        return sign + std::string(fill, '0') + body;
    return std::string(fill, ' ') + sign + body;
}

}  // namespace

// Input: 8 bytes of a double, then one byte each of width, precision and
// flags, and optionally of the room to write into.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 11)
        return 0;
    double value = 0;
    std::memcpy(&value, data, sizeof value);
    const int width = data[8] % 40;
    const int precision = data[9] % 24;
    const std::uint8_t flags = data[10];
    char format_text[32];
    std::snprintf(format_text, sizeof format_text, "%%%s%s%s%s%d.%df", (flags & 1) ? "-" : "", (flags & 2) ? "+" : "",
                  (flags & 4) ? " " : "", (flags & 8) ? "0" : "", width, precision);
    const auto format = kestrane::FixedFormat::parse(format_text);
    if (!format) {
        std::fprintf(stderr, "format %s refused\n", format_text);
        std::abort();
    }
    const std::string got = kestrane::format_value(value, *format);
    const std::string want = reference(value, width, precision, flags & 1, flags & 2, flags & 4, flags & 8);
    if (got != want) {
        std::fprintf(stderr, "%a under %s: got \"%s\", want \"%s\"\n", value, format_text, got.c_str(), want.c_str());
        std::abort();
    }
    // The short ways against the general way: appended, and written into a
    // buffer with the room the 12th byte gives (the text whole, or nothing).
    std::string exact;
    kestrane::detail::append_formatted_exact(exact, value, *format);
    char buffer[96];
    const std::size_t room = size > 11 ? data[11] % sizeof buffer : sizeof buffer;
    const char* end = kestrane::write_formatted(buffer, buffer + room, value, *format);
    const bool fits = exact.size() <= room;
    if (exact != got || (end != nullptr) != fits || (end && std::string(static_cast<const char*>(buffer), end) != exact)) {
        std::fprintf(stderr, "%a under %s in %zu bytes: short ways differ from \"%s\"\n", value, format_text, room,
                     exact.c_str());
        std::abort();
    }
    return 0;
}
