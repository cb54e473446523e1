#include "monte_carlo.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <vector>

#include "correction_run.h"

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

// ---------------------------------------------------------------- draws

namespace {

CorrectionInputs draw_inputs(const CorrectionInputs& values, const UncertaintyInputs& u, PortableRandom& random) {
    CorrectionInputs drawn = values;
    for (const Field field : all_fields) {
        const double deviate = random.standard_normal();
        const double spread = u[field];
        // An exact input keeps its value bit for bit (even a -0, which + 0 would lose).
        if (spread != 0.0)
            drawn.*info(field).value = values.*info(field).value + spread * deviate;
    }
    return drawn;
}

// The index in the sorted values of the r-th smallest, r counted from 1 and
// brought into 1..count.
std::size_t order_index(std::uint64_t r, std::size_t count) {
    return static_cast<std::size_t>(std::clamp<std::uint64_t>(r, 1, count) - 1);
}

// Mean, standard deviation and the probabilistically symmetric 95 % interval
// of JCGM 101:2008: with M values, q = pM if that is an integer and else the
// integer part of pM + 1/2, r = (M - q) / 2 if that is an integer and else the
// integer part of (M - q + 1) / 2; the interval is [y(r), y(r + q)] of the
// values sorted. Both rules are one integer division each here, in integers
// so that no rounding of pM enters.
void summarise(std::vector<double>& values, MonteCarloResult& result) {
    const std::size_t count = values.size();
    if (count == 0) {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        result.mean = result.standard_deviation = result.coverage_low = result.coverage_high = nan;
        return;
    }
    double sum = 0.0;
    for (const double y : values)
        sum += y;
    result.mean = sum / static_cast<double>(count);
    double squares = 0.0;
    for (const double y : values)
        squares += (y - result.mean) * (y - result.mean);
    result.standard_deviation = count > 1 ? std::sqrt(squares / static_cast<double>(count - 1)) : 0.0;

    const std::uint64_t m = count;
    const std::uint64_t q = (95 * m + 50) / 100;
    const std::uint64_t r = (m - q + 1) / 2;
    const auto low = values.begin() + static_cast<std::ptrdiff_t>(order_index(r, count));
    const auto high = values.begin() + static_cast<std::ptrdiff_t>(order_index(r + q, count));
    std::nth_element(values.begin(), low, values.end());
    result.coverage_low = *low;
    std::nth_element(low, high, values.end());
    result.coverage_high = *high;
}

}  // namespace

MonteCarloResult monte_carlo_calculated_gas(const CorrectionInputs& values,
                                            UnitSelection selection,
                                            const UncertaintyInputs& uncertainties,
                                            std::size_t draws,
                                            std::uint64_t seed) {
    MonteCarloResult result;
    result.draws = draws;
    std::vector<double> accepted;
    accepted.reserve(draws);
    PortableRandom random(seed);
    for (std::size_t i = 0; i < draws; ++i) {
        const CorrectionInputs drawn = draw_inputs(values, uncertainties, random);
        if (refused_field(drawn)) {
            ++result.refused;
            continue;
        }
        const double gas = compute_correction(drawn, selection).calculated_gas_pct;
        if (std::isfinite(gas))
            accepted.push_back(gas);
        else
            ++result.not_finite;
    }
    summarise(accepted, result);
    return result;
}

}  // namespace kestrane
