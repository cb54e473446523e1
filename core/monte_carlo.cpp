#include "monte_carlo.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <vector>

#include "correction_run.h"

namespace kestrane {

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
    bool all_equal = true;
    for (const double y : values) {
        sum += y;
        all_equal = all_equal && y == values.front();
    }
    // Values all equal (every input exact) are that value with no spread at
    // all, where the sum divided by the count may be off in its last bits.
    result.mean = all_equal ? values.front() : sum / static_cast<double>(count);
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
