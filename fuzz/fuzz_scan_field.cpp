// Fuzzes the field scan against an independent decision: the longest valid
// number prefix found by a separate, plain matcher, converted by the C
// library's strtof in the "C" locale (correctly rounded on glibc); and its
// short way against its general way.
#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "core/number_text.h"

namespace {

// Length of the longest prefix of the form
//   [white space] [+|-] (digits [. digits] | . digits) [(e|E) [+|-] digits]
// written as a plain regular-language matcher: it keeps the end of the
// longest accepted prefix seen so far.
std::size_t reference_prefix(std::string_view s) {
    std::size_t i = 0;
    const auto digit = [&](std::size_t k) { return k < s.size() && s[k] >= '0' && s[k] <= '9'; };
    while (i < s.size() && std::strchr(" \t\n\v\f\r", s[i]) != nullptr && s[i] != '\0')
        ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    std::size_t accepted = 0;
    bool any_digit = false;
    while (digit(i))
        ++i, any_digit = true;
    if (any_digit)
        accepted = i;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (digit(i))
            ++i, any_digit = true;
        if (any_digit)
            accepted = i;
    }
    if (!any_digit)
        return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t k = i + 1;
        if (k < s.size() && (s[k] == '+' || s[k] == '-'))
            ++k;
        if (digit(k)) {
            while (digit(k))
                ++k;
            accepted = k;
        }
    }
    return accepted;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool c_locale = std::setlocale(LC_ALL, "C") != nullptr;
    (void)c_locale;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::optional<double> got = kestrane::scan_field(text);
    const std::size_t prefix = reference_prefix(text);

    // The short way against the general way it stands in for: the same value,
    // to the bit, and the same length.
    std::size_t length = 0;
    std::size_t exact_length = 0;
    const std::optional<double> quick = kestrane::scan_field(text, length);
    const std::optional<double> exact = kestrane::detail::scan_field_exact(text, exact_length);
    if (quick.has_value() != exact.has_value() || length != exact_length ||
        (quick && std::memcmp(&*quick, &*exact, sizeof(double)) != 0)) {
        std::fprintf(stderr, "short way %.17g (%zu bytes), general way %.17g (%zu bytes)\n", quick.value_or(0.0), length,
                     exact.value_or(0.0), exact_length);
        std::abort();
    }

    if (prefix != kestrane::number_prefix_length(text)) {
        std::fprintf(stderr, "prefix length: reference %zu, scan %zu\n", prefix, kestrane::number_prefix_length(text));
        std::abort();
    }
    if (prefix == 0) {
        if (got)
            std::abort();  // a number where the reference sees none
        return 0;
    }
    const std::string number(text.substr(0, prefix));
    errno = 0;
    char* end = nullptr;
    const float expected = std::strtof(number.c_str(), &end);
    if (end != number.c_str() + number.size())
        std::abort();  // the reference itself disagrees with strtof
    if (std::isinf(expected)) {
        if (got) {
            std::fprintf(stderr, "too large for a float, yet scanned as %.17g\n", *got);
            std::abort();
        }
        return 0;
    }
    if (!got) {
        std::fprintf(stderr, "refused \"%s\", strtof gives %.9g\n", number.substr(0, 80).c_str(), double(expected));
        std::abort();
    }
    const double want = static_cast<double>(expected);
    if (std::memcmp(&want, &*got, sizeof want) != 0) {
        std::fprintf(stderr, "\"%s\": scan %.17g, strtof %.17g\n", number.substr(0, 80).c_str(), *got, want);
        std::abort();
    }
    return 0;
}
