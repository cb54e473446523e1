#include "portable_random.h"

#include <bit>
#include <cmath>

namespace kestrane {

// ---------------------------------------------------------------- generator

std::uint64_t splitmix64(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9e3779b97f4a7c15);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9;
    z = (z ^ (z >> 27)) * 0x94d049bb133111eb;
    return z ^ (z >> 31);
}

PortableRandom::PortableRandom(std::uint64_t seed) {
    for (std::uint64_t& word : state_)
        word = splitmix64(seed);
}

std::uint64_t PortableRandom::next() {
    const std::uint64_t result = std::rotl(state_[1] * 5, 7) * 9;
    const std::uint64_t t = state_[1] << 17;
    state_[2] ^= state_[0];
    state_[3] ^= state_[1];
    state_[1] ^= state_[2];
    state_[0] ^= state_[3];
    state_[2] ^= t;
    state_[3] = std::rotl(state_[3], 45);
    return result;
}

double PortableRandom::uniform() {
    // Both operands exact, and the product a power-of-two scaling: exact too.
    return static_cast<double>(next() >> 11) * 0x1.0p-53;
}

double PortableRandom::standard_normal() {
    if (has_spare_) {
        has_spare_ = false;
        return spare_;
    }
    double u = 0.0, v = 0.0, s = 0.0;
    do {
        u = 2.0 * uniform() - 1.0;  // exact: the uniform has 53 bits at most
        v = 2.0 * uniform() - 1.0;
        s = u * u + v * v;
    } while (s >= 1.0 || s == 0.0);
    const double factor = std::sqrt(-2.0 * portable_log(s) / s);
    spare_ = v * factor;
    has_spare_ = true;
    return u * factor;
}

double PortableRandom::symmetric_uniform() {
    return 2.0 * uniform() - 1.0;  // exact, as in standard_normal
}

double PortableRandom::triangular() {
    // Both uniforms are multiples of 2^-53 below 1: their difference is one too, exactly.
    const double first = uniform();
    return first - uniform();
}

double PortableRandom::arcsine() {
    double x = 0.0, y = 0.0, s = 0.0;
    do {
        x = symmetric_uniform();
        y = symmetric_uniform();
        s = x * x + y * y;
    } while (s >= 1.0 || s == 0.0);
    return (x * x - y * y) / s;
}

// ---------------------------------------------------------------- logarithm

namespace {

// ln 2 split as fdlibm splits it: the high part has its last 32 bits zero, so
// its product with any exponent of a double is exact.
constexpr double ln2_high = 0x1.62e42feep-1;
constexpr double ln2_low = 0x1.a39ef35793c76p-33;

// 2/3, 2/5, 2/7, ...: log(1 + f) = 2s + s R with s = f / (2 + f) and
// R = sum over n >= 1 of 2 s^(2n) / (2n + 1). With |s| <= 0.1716 the twelfth
// term is below 2^-60 of the first, so eleven suffice.
constexpr std::array<double, 11> series = {2.0 / 3.0,  2.0 / 5.0,  2.0 / 7.0,  2.0 / 9.0,  2.0 / 11.0, 2.0 / 13.0,
                                           2.0 / 15.0, 2.0 / 17.0, 2.0 / 19.0, 2.0 / 21.0, 2.0 / 23.0};

constexpr std::uint64_t mantissa_bits = (std::uint64_t{1} << 52) - 1;
constexpr std::uint64_t exponent_of_one = std::uint64_t{1023} << 52;

}  // namespace

double portable_log(double x) {
    if (!(x > 0.0))
        return x == 0.0 ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::quiet_NaN();
    if (x == std::numeric_limits<double>::infinity())
        return x;
    int exponent = 0;
    if (x < std::numeric_limits<double>::min()) {  // subnormal: scale it into the normal range, exactly
        x *= 0x1.0p54;
        exponent = -54;
    }
    // x = 2^e m with m in [1, 2), then m in [sqrt(2)/2, sqrt(2)): both steps exact.
    const auto bits = std::bit_cast<std::uint64_t>(x);
    exponent += static_cast<int>(bits >> 52) - 1023;
    double m = std::bit_cast<double>((bits & mantissa_bits) | exponent_of_one);
    if (m > 0x1.6a09e667f3bcdp+0) {
        m *= 0.5;
        ++exponent;
    }
    // log(1 + f) = f - (f^2/2 - s (f^2/2 + R)), with f exact (Sterbenz) and the
    // rounding errors of s and R confined to the small correction term.
    const double f = m - 1.0;
    const double s = f / (2.0 + f);
    const double z = s * s;
    double r = series.back();
    for (std::size_t i = series.size() - 1; i-- > 0;)
        r = r * z + series[i];
    r *= z;
    const double half_square = 0.5 * f * f;
    const double e = exponent;
    return e * ln2_high - ((half_square - (s * (half_square + r) + e * ln2_low)) - f);
}

}  // namespace kestrane
