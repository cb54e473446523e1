// Exhaustive check of the field scan over the whole single-precision range:
//  1. every finite float, written as its shortest round-trip text and as
//     "%.9g", scans back to exactly itself;
//  2. every midpoint between adjacent positive floats, written exactly,
//     scans to the even neighbour (and the midpoint above the largest float
//     is too large, since its even neighbour is infinity); and the same text
//     with a 1 far beyond double precision appended scans to the upper
//     neighbour, which catches rounding twice (to double, then to float).
// Opt-in (minutes of work on all cores): `make exhaustive`.
#include <atomic>
#include <bit>
#include <charconv>
#include <chrono>
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string_view>
#include <thread>
#include <vector>

#include "core/number_text.h"

namespace {

std::atomic<std::uint64_t> failures{0};
std::uint64_t stride = 1;  // 1 checks everything; a larger stride samples, for a quick estimate
std::atomic<std::uint64_t> checked{0};

void fail(const char* what, std::string_view text, std::optional<double> got, double want) {
    if (failures.fetch_add(1) < 20) {
        std::fprintf(stderr, "%s: \"%.*s\" scanned as %s%.17g, want %.17g\n", what, static_cast<int>(text.size()),
                     text.data(), got ? "" : "nothing ", got ? *got : 0.0, want);
    }
}

bool same(std::optional<double> got, double want) {
    return got && std::bit_cast<std::uint64_t>(*got) == std::bit_cast<std::uint64_t>(want);
}

// Round trips of every finite float whose bit pattern lies in [begin, end).
void round_trips(std::uint64_t begin, std::uint64_t end) {
    char buffer[64];
    for (std::uint64_t bits = begin; bits < end; bits += stride) {
        const float value = std::bit_cast<float>(static_cast<std::uint32_t>(bits));
        if (!std::isfinite(value))
            continue;
        const double want = static_cast<double>(value);
        auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
        std::string_view text(buffer, static_cast<std::size_t>(r.ptr - buffer));
        if (!same(kestrane::scan_field(text), want))
            fail("shortest", text, kestrane::scan_field(text), want);
        r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 9);  // "%.9g"
        text = std::string_view(buffer, static_cast<std::size_t>(r.ptr - buffer));
        if (!same(kestrane::scan_field(text), want))
            fail("%.9g", text, kestrane::scan_field(text), want);
    }
    checked.fetch_add(end - begin);
}

// The exact decimal text of a double (a float midpoint has at most 25
// significant bits, so at most about 110 significant digits), trailing zeros trimmed.
std::string_view exact_text(double value, char (&buffer)[320]) {
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 160);
    std::string_view text(buffer, static_cast<std::size_t>(r.ptr - buffer));
    const std::size_t e = text.find('e');
    std::size_t last = e;
    while (last > 0 && text[last - 1] == '0')
        --last;
    if (text[last - 1] == '.')
        --last;
    std::memmove(buffer + last, buffer + e, text.size() - e);
    return std::string_view(buffer, last + text.size() - e);
}

// Midpoints between the positive float with bit pattern `bits` and the next one up.
// The text of a value a hair above the one written in text: "1" appended to
// the mantissa's digits 40 places further on, below any double's resolution.
std::string_view nudged_up(std::string_view text, char (&buffer)[320]) {
    const std::size_t e = text.find('e');
    const bool has_point = text.substr(0, e).find('.') != std::string_view::npos;
    std::size_t n = 0;
    for (std::size_t k = 0; k < e; ++k)
        buffer[n++] = text[k];
    if (!has_point)
        buffer[n++] = '.';
    for (int k = 0; k < 40; ++k)
        buffer[n++] = '0';
    buffer[n++] = '1';
    for (std::size_t k = e; k < text.size(); ++k)
        buffer[n++] = text[k];
    return std::string_view(buffer, n);
}

void midpoints(std::uint64_t begin, std::uint64_t end) {
    char buffer[320];
    char nudged[320];
    for (std::uint64_t bits = begin; bits < end; bits += stride) {
        const auto low = std::bit_cast<float>(static_cast<std::uint32_t>(bits));
        const auto high = std::bit_cast<float>(static_cast<std::uint32_t>(bits + 1));
        const double mid = (static_cast<double>(low) + static_cast<double>(high)) / 2.0;  // exact in double
        const std::string_view text = exact_text(mid, buffer);
        const std::optional<double> got = kestrane::scan_field(text);
        if (std::isinf(high)) {  // above the largest float: the even neighbour is infinity
            if (got)
                fail("midpoint above the largest float", text, got, mid);
            continue;
        }
        const double even = static_cast<double>((bits & 1) == 0 ? low : high);
        if (!same(got, even))
            fail("midpoint", text, got, even);
        const std::string_view above = nudged_up(text, nudged);
        const std::optional<double> got_above = kestrane::scan_field(above);
        if (!same(got_above, static_cast<double>(high)))
            fail("just above the midpoint", above, got_above, high);
    }
    checked.fetch_add(end - begin);
}

template <typename Work>
void run_parallel(const char* name, std::uint64_t total, Work work) {
    const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
    const std::uint64_t chunk = std::uint64_t{1} << 22;
    std::atomic<std::uint64_t> next{0};
    checked = 0;
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> pool;
    for (unsigned t = 0; t < threads; ++t) {
        pool.emplace_back([&] {
            for (std::uint64_t b; (b = next.fetch_add(chunk)) < total;)
                work(b, std::min(b + chunk, total));
        });
    }
    std::uint64_t reported = 0;
    while (checked.load() < total) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        const std::uint64_t done = checked.load();
        if (done * 20 / total != reported * 20 / total) {
            std::fprintf(stderr, "%s: %3" PRIu64 "%%\n", name, done * 100 / total);
            reported = done;
        }
    }
    for (auto& thread : pool)
        thread.join();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s: %" PRIu64 " checked in %.0f s on %u threads\n", name, total, seconds, threads);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--stride") == 0)
        stride = std::max(1ull, std::strtoull(argv[2], nullptr, 10));
    run_parallel("round trips of every float bit pattern", std::uint64_t{1} << 32, round_trips);
    // Positive floats 0 .. largest; the midpoint below each next one up.
    run_parallel("midpoints between adjacent positive floats", 0x7F800000u, midpoints);
    const std::uint64_t failed = failures.load();
    std::printf("%" PRIu64 " passed, %" PRIu64 " failed\n", failed == 0 ? std::uint64_t{2} : 0, failed);
    return failed == 0 ? 0 : 1;
}
