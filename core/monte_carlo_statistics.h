// What Monte Carlo's values say (JCGM 101:2008): a sample's mean, standard
// deviation and coverage interval (7.6, 7.7), the numerical tolerance its
// blocks support (7.9), and whether the law of propagation's interval agrees
// with it (clause 8). Arithmetic and exact decimal texts only, so that every
// build states the same digits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "monte_carlo.h"

namespace kestrane {

// The statistics of a sample of values; NaN for an empty one.
struct SampleStatistics {
    double mean = 0.0;
    double standard_deviation = 0.0;  // with the M - 1 divisor; 0 for one value
    double low = 0.0;                 // the coverage interval's ends
    double high = 0.0;
};

// The statistics of values at a coverage probability; the values are
// reordered (the interval's ends are order statistics).
SampleStatistics sample_statistics(std::vector<double>& values, double coverage_probability, CoverageInterval interval);

// The order statistics y(r), y(r + q) of a coverage interval of count sorted
// values, both counted from 1: q = pM rounded half up and, for the
// probabilistically symmetric interval, r = (M - q + 1) / 2 in integers. pM is
// taken with p as the decimal it was written as (0.95 is 95/100), so that no
// rounding of the product moves q.
struct CoverageOrder {
    std::uint64_t q = 0;
    std::uint64_t r = 0;
};
CoverageOrder coverage_order(std::size_t count, double coverage_probability);

// p in (0, 1) as the decimal fraction of fewest digits that reads back as it:
// 0.95 is 95 / 100. Nothing when that has more than twelve places after the
// point (its products with a count of draws could pass 64 bits).
struct DecimalFraction {
    std::uint64_t numerator = 0;
    std::uint64_t denominator = 1;
};
std::optional<DecimalFraction> decimal_fraction(double p);

// The standard deviation of all the values of blocks of monte_carlo_block
// values each, from the blocks' means and standard deviations.
double pooled_standard_deviation(std::span<const SampleStatistics> blocks);

// 10^exponent, correctly rounded for |exponent| <= 22 and the same bits on
// every build beyond.
double power_of_ten(int exponent);

// The l of u written to two significant digits as c x 10^l (c from 10 to 99,
// after rounding: 0.0999 is 0.10, l = -2); nothing for 0 or a value that is
// not finite. JCGM 101 7.9.2's numerical tolerance is 10^l / 2.
std::optional<int> two_digit_exponent(double u);

// The numerical tolerance 10^exponent / 2 a run's statistics are stated to,
// and whether that is the tolerance of u(y) to two significant digits.
struct StatedDigits {
    int decimal_exponent = 0;
    bool converged = false;
};

// From the statistics of a run's blocks and u(y) and y of all its values: the
// finest tolerance that twice the standard deviation of each statistic's
// block values, over their number of blocks, is within, and no finer than
// u(y)'s to two significant digits. Fewer than two blocks measure no such
// spread: the statistics are then stated to u(y)'s first digit, not
// converged. Values all equal (u(y) = 0) are exact: stated to y's six
// significant digits, converged. u(y) NaN (no value): exponent 0, not converged.
StatedDigits stated_digits(std::span<const SampleStatistics> blocks, double standard_uncertainty, double mean);

// JCGM 101 clause 8: the budget's interval y -/+ U_p against Monte Carlo's
// [low, high], to the tolerance of the budget's u(y) to two significant digits.
MonteCarloValidation validate_budget(const BudgetForValidation& budget, double low, double high);

}  // namespace kestrane
