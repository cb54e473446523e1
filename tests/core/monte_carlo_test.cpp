// Monte Carlo's draws and statistics: the shapes' deviates, correlated and
// refused draws, the model terms, the coverage intervals' order statistics,
// the adaptive procedure's stop, the budget's validation, and the run pinned
// to its bits.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "core/correction_run.h"
#include "core/monte_carlo.h"
#include "core/monte_carlo_draw.h"
#include "core/monte_carlo_statistics.h"

namespace kestrane {
namespace {

const CorrectionInputs defaults{20.95, 30.0, 30.0, 75.0, 0.0, 50.0};

std::uint64_t bits(double value) {
    return std::bit_cast<std::uint64_t>(value);
}

UncertaintyInputs uncertain(Field field, double value, Shape shape = Shape::normal) {
    UncertaintyInputs u;
    u[field] = {value, shape};
    return u;
}

MonteCarloResult run(const CorrectionInputs& values,
                     const UncertaintyInputs& u,
                     std::optional<std::size_t> draws,
                     ModelTermHalfWidths model_terms = {},
                     MonteCarloRequest request = {},
                     BudgetForValidation budget = {}) {
    request.draws = draws;
    return monte_carlo_calculated_gas(values, {}, u, model_terms, request, budget);
}

// ---------------------------------------------------------------- draws

// Each shape's standardised deviate has mean 0 and variance 1, stays within
// its half-width times the divisor and reaches it, and has the shape's own
// kurtosis, which tells apart shapes of the same variance. 10^5 deviates
// estimate the variance to about 0.005 and the kurtosis to about 0.015.
TEST(MonteCarloDraws, ShapesHaveUnitVarianceTheirRangeAndKurtosis) {
    const struct {
        Shape shape;
        double kurtosis;
        double bound;  // largest |deviate|: the half-width 1 times the divisor
    } cases[] = {
        {Shape::normal, 3.0, std::numeric_limits<double>::infinity()},
        {Shape::rectangular, 1.8, std::sqrt(3.0)},
        {Shape::triangular, 2.4, std::sqrt(6.0)},
        {Shape::arcsine, 1.5, std::sqrt(2.0)},
    };
    for (const auto& c : cases) {
        PortableRandom random(default_monte_carlo_seed);
        constexpr int n = 100000;
        double sum = 0.0, squares = 0.0, fourths = 0.0, largest = 0.0;
        for (int i = 0; i < n; ++i) {
            const double x = standardised_deviate(c.shape, random);
            sum += x;
            squares += x * x;
            fourths += x * x * x * x;
            largest = std::max(largest, std::abs(x));
        }
        const double variance = squares / n;
        const std::string name(info(c.shape).name);
        EXPECT_NEAR(sum / n, 0.0, 0.015) << name;
        EXPECT_NEAR(variance, 1.0, 0.02) << name;
        EXPECT_NEAR(fourths / n / (variance * variance), c.kurtosis, 0.06) << name;
        EXPECT_LE(largest, c.bound) << name;
        EXPECT_GT(largest, std::min(0.98 * c.bound, 3.5)) << name;
    }
}

// Inputs drawn with a correlation have it, whatever their shapes, and keep
// their standard uncertainties.
TEST(MonteCarloDraws, CorrelatedInputsHaveTheirCorrelation) {
    const struct {
        double r;
        Shape target_shape, barometer_shape;
    } cases[] = {
        {0.8, Shape::normal, Shape::normal},
        {1.0, Shape::rectangular, Shape::normal},
        {-1.0, Shape::normal, Shape::arcsine},
        {0.8, Shape::triangular, Shape::rectangular},
    };
    for (const auto& c : cases) {
        UncertaintyInputs u;
        u[Field::target_pressure] = {0.1, c.target_shape};
        u[Field::barometric_pressure] = {0.2, c.barometer_shape};
        u.correlations = {{Field::target_pressure, Field::barometric_pressure, c.r}};
        const ReadingSampler sampler(defaults, {}, u, {});
        PortableRandom random(7);
        constexpr int n = 100000;
        double sx = 0.0, sy = 0.0, sxx = 0.0, syy = 0.0, sxy = 0.0;
        for (int i = 0; i < n; ++i) {
            const CorrectionInputs x = sampler.draw(random).inputs;
            const double a = x.target_pressure - 30.0, b = x.barometric_pressure - 30.0;
            sx += a, sy += b, sxx += a * a, syy += b * b, sxy += a * b;
        }
        const double cov = sxy / n - sx / n * sy / n;
        const double ua = std::sqrt(sxx / n - sx / n * sx / n), ub = std::sqrt(syy / n - sy / n * sy / n);
        EXPECT_NEAR(cov / (ua * ub), c.r, 0.005) << c.r << " " << info(c.barometer_shape).name;
        EXPECT_NEAR(ua, u.standard(Field::target_pressure), 0.01 * ua) << c.r;
        EXPECT_NEAR(ub, u.standard(Field::barometric_pressure), 0.01 * ub) << c.r;
    }
}

// Draws with no physical meaning are counted and left out, and only those: an
// altitude below sea level is a place. The counts are binomial; 10^5 draws put
// them within 0.01 of the expected share (about 6 standard deviations), and
// the accepted results lie on the side of the value at the bound.
TEST(MonteCarloDraws, DrawsWithNoPhysicalMeaningAreCountedAndLeftOut) {
    const struct {
        const char* name;
        Field field;
        double value, u;
        Shape shape;
        double bound;          // where the draws stop being physical
        double refused_share;  // the share of the distribution beyond it
    } cases[] = {
        {"humidity 99.9 % with u = 2 %", Field::relative_humidity, 99.9, 2.0, Shape::normal, 100.0, 0.4801},
        {"humidity 0.5 % with a = 1 %", Field::relative_humidity, 0.5, 1.0, Shape::rectangular, 0.0, 0.25},
        {"altitude 0 with u = 10 ft", Field::altitude, 0.0, 10.0, Shape::normal, -1e300, 0.0},
        {"gas 0.1 % with u = 0.1 %", Field::target_gas, 0.1, 0.1, Shape::normal, 0.0, 0.1587},
        {"barometer 1 in Hg with a = 2 in Hg", Field::barometric_pressure, 1.0, 2.0, Shape::triangular, 0.0, 0.125},
        {"temperature -458.67 F with u = 1 F", Field::temperature, -458.67, 1.0, Shape::normal, -459.67, 0.1587},
    };
    for (const auto& c : cases) {
        CorrectionInputs values = defaults;
        values.*info(c.field).value = c.value;
        const MonteCarloResult mc = run(values, uncertain(c.field, c.u, c.shape), 100000);
        EXPECT_NEAR(static_cast<double>(mc.refused) / 1e5, c.refused_share, 0.01) << c.name;
        EXPECT_EQ(mc.not_finite, 0u) << c.name;
        if (c.refused_share == 0.0)
            continue;
        CorrectionInputs at_bound = values;
        at_bound.*info(c.field).value = c.bound;
        const double edge = compute_correction(at_bound, {}).calculated_gas_pct;
        if (edge < compute_correction(values, {}).calculated_gas_pct)
            EXPECT_GE(mc.coverage_low, edge) << c.name;
        else
            EXPECT_LE(mc.coverage_high, edge) << c.name;
    }
}

// At the height formula's pole the core's results are NaN: such draws are
// counted apart, and with no draw accepted the statistics are NaN.
TEST(MonteCarloDraws, ResultsThatAreNotFiniteAreCountedApart) {
    const CorrectionInputs pole{20.95, 30.0, 30.0, -418.00450004500044, 0.0, 50.0};
    const MonteCarloResult mc = run(pole, {}, 1000);
    EXPECT_EQ(mc.refused, 0u);
    EXPECT_EQ(mc.not_finite, 1000u);
    EXPECT_EQ(mc.accepted(), 0u);
    EXPECT_TRUE(std::isnan(mc.mean) && std::isnan(mc.standard_deviation) && std::isnan(mc.coverage_low));
    EXPECT_FALSE(mc.converged);
}

// The model terms are rectangular, of their half-widths, added to the water
// vapour and the altitude's pressure: with every input exact the Calculated
// Gas spreads by a / sqrt(3) G / P_t (vapour lowering it, altitude raising it:
// opposite signs cancel no spread, so only the sizes show), around y.
// Without them an exact reading gives y itself, bit for bit, and no spread.
TEST(MonteCarloDraws, ModelTermsSpreadAnExactReading) {
    const double y = compute_correction(defaults, {}).calculated_gas_pct;
    const double per_in_hg = defaults.gas_pct / defaults.target_pressure;
    const struct {
        ModelTermHalfWidths terms;
        double standard_deviation;
    } cases[] = {
        {{0.0, 0.0}, 0.0},
        {{0.006, 0.0}, 0.006 / std::sqrt(3.0) * per_in_hg},
        {{0.0, 0.02}, 0.02 / std::sqrt(3.0) * per_in_hg},
        {{0.03, 0.04}, 0.05 / std::sqrt(3.0) * per_in_hg},
    };
    for (const auto& c : cases) {
        const MonteCarloResult mc = run(defaults, {}, 100000, c.terms);
        EXPECT_NEAR(mc.standard_deviation, c.standard_deviation, 0.01 * c.standard_deviation) << c.terms.vapor_curve;
        EXPECT_NEAR(mc.mean, y, 0.01 * c.standard_deviation) << c.terms.vapor_curve;
        if (c.standard_deviation == 0.0) {
            EXPECT_EQ(bits(mc.mean), bits(y));
            EXPECT_TRUE(mc.converged);
        }
    }
}

// ---------------------------------------------------------------- statistics

// The interval's ends are the order statistics JCGM 101:2008 names: with M
// values, q = pM rounded half up and, for the symmetric interval,
// r = (M - q + 1) / 2 in integers (M - q odd at 1030, even at 1000); the
// shortest is the narrowest [y(r), y(r + q)]. With the gas alone uncertain the
// result rises with its deviate, the first each draw takes (six normal, then
// two uniform for the model terms), so sorting the gas values of the same
// deviates gives the sorted results.
TEST(MonteCarloStatistics, CoverageIntervalsAreOrderStatistics) {
    const struct {
        std::size_t draws;
        double p;
        std::size_t r, q;
    } cases[] = {{1030, 0.95, 26, 979}, {1000, 0.95, 25, 950}, {1010, 0.99, 5, 1000}, {2000, 0.9973, 3, 1995}};
    for (const auto& c : cases) {
        PortableRandom random(default_monte_carlo_seed);
        std::vector<double> sorted;
        for (std::size_t i = 0; i < c.draws; ++i) {
            CorrectionInputs drawn = defaults;
            drawn.gas_pct += 0.05 * random.standard_normal();
            for (std::size_t other = 1; other < field_count; ++other)
                random.standard_normal();
            random.symmetric_uniform();
            random.symmetric_uniform();
            sorted.push_back(compute_correction(drawn, {}).calculated_gas_pct);
        }
        std::sort(sorted.begin(), sorted.end());
        std::size_t shortest = 0;
        for (std::size_t r = 0; r + c.q < c.draws; ++r)
            shortest = sorted[r + c.q] - sorted[r] < sorted[shortest + c.q] - sorted[shortest] ? r : shortest;
        for (const CoverageInterval kind : {CoverageInterval::symmetric, CoverageInterval::shortest}) {
            MonteCarloRequest request;
            request.coverage_probability = c.p;
            request.interval = kind;
            const MonteCarloResult mc = run(defaults, uncertain(Field::target_gas, 0.05), c.draws, {}, request);
            const std::size_t low = kind == CoverageInterval::symmetric ? c.r - 1 : shortest;
            EXPECT_EQ(mc.coverage_low, sorted[low]) << c.draws << " " << c.p << " " << interval_name(kind);
            EXPECT_EQ(mc.coverage_high, sorted[low + c.q]) << c.draws << " " << c.p << " " << interval_name(kind);
        }
    }
}

// On a skewed result (the gas over a target pressure 30 +/- 5 in Hg leans to
// the high side) the shortest interval is narrower than the symmetric one and
// lies lower, towards the mode.
TEST(MonteCarloStatistics, ShortestIntervalOfASkewedResultIsNarrowerAndLower) {
    const UncertaintyInputs u = uncertain(Field::target_pressure, 5.0);
    const MonteCarloResult symmetric = run(defaults, u, 200000);
    MonteCarloRequest request;
    request.interval = CoverageInterval::shortest;
    const MonteCarloResult shortest = run(defaults, u, 200000, {}, request);
    EXPECT_LT(shortest.coverage_high - shortest.coverage_low,
              0.98 * (symmetric.coverage_high - symmetric.coverage_low));
    EXPECT_LT(shortest.coverage_low, symmetric.coverage_low);
    EXPECT_LT(shortest.coverage_high, symmetric.coverage_high);
}

// u to two significant digits, c x 10^l, after rounding (a carry moves l),
// and the decimals a probability is written with.
TEST(MonteCarloStatistics, TwoDigitExponentsAndDecimalFractions) {
    const struct {
        double u;
        int l;
    } exponents[] = {{0.0512, -3}, {0.05, -3}, {0.0999, -2}, {0.0995, -2}, {0.09949, -3},
                     {99.4, 0},    {99.5, 1},  {1234.0, 2},  {1e-12, -13}};
    for (const auto& c : exponents)
        EXPECT_EQ(two_digit_exponent(c.u), c.l) << c.u;
    EXPECT_EQ(two_digit_exponent(0.0), std::nullopt);
    const struct {
        double p;
        std::uint64_t numerator, denominator;
    } fractions[] = {{0.95, 95, 100}, {0.5, 5, 10}, {0.9973, 9973, 10000}, {0.9999, 9999, 10000}};
    for (const auto& c : fractions) {
        const auto f = decimal_fraction(c.p);
        ASSERT_TRUE(f) << c.p;
        EXPECT_EQ(f->numerator, c.numerator) << c.p;
        EXPECT_EQ(f->denominator, c.denominator) << c.p;
    }
}

// 10^4 / (1 - p), rounded up to whole blocks of 10^4.
TEST(MonteCarloStatistics, FewestDraws) {
    const struct {
        double p;
        std::size_t draws;
    } cases[] = {{0.95, 200000},    {0.9, 100000},     {0.5, 20000},   {0.99, 1000000},
                 {0.9973, 3710000}, {0.999, 10000000}, {0.96, 250000}, {0.9999, 100000000}};
    for (const auto& c : cases)
        EXPECT_EQ(monte_carlo_fewest_draws(c.p), c.draws) << c.p;
}

// A million values that are all equal but one, an ulp above: a sum of the
// values themselves would drift by some 1e-11 near 20, and with the rest
// equal that drift would be the whole standard deviation.
TEST(MonteCarloStatistics, NearlyEqualValuesGiveTheirOwnSpread) {
    std::vector<double> values(1000000, 20.6449);
    values[500] = std::nextafter(20.6449, 30.0);
    const SampleStatistics s = sample_statistics(values, 0.95, CoverageInterval::symmetric);
    EXPECT_EQ(s.mean, 20.6449);
    EXPECT_LT(s.standard_deviation, 1e-17);
}

// ---------------------------------------------------------------- runs

// The adaptive procedure stops, converged, on a smooth result once its blocks
// agree to u(y)'s two digits (0.049: to 0.0005). On a target pressure of
// 0.3 +/- 0.1 in Hg, whose reciprocal has no finite variance, it goes on (the
// first half million draws here; it runs to the most draws), and what it has
// is not converged.
TEST(MonteCarloRuns, AdaptiveRunsStopWhenStable) {
    const double y = compute_correction(defaults, {}).calculated_gas_pct;
    const MonteCarloResult smooth = run(defaults, uncertain(Field::target_gas, 0.05), std::nullopt);
    EXPECT_TRUE(smooth.adaptive && smooth.converged);
    EXPECT_EQ(smooth.draws % monte_carlo_block, 0u);
    EXPECT_GE(smooth.draws, 2 * monte_carlo_block);
    EXPECT_LT(smooth.draws, monte_carlo_most_draws);
    EXPECT_EQ(smooth.decimal_exponent, -3);
    EXPECT_EQ(smooth.tolerance, 0.0005);
    EXPECT_NEAR(smooth.mean, y, 2 * smooth.tolerance);

    CorrectionInputs low_target = defaults;
    low_target.target_pressure = 0.3;
    MonteCarloRun heavy(low_target, {}, uncertain(Field::target_pressure, 0.1), {}, {});
    for (int block = 0; block < 50; ++block)
        ASSERT_TRUE(heavy.step()) << block;
    EXPECT_FALSE(heavy.done());
    EXPECT_EQ(heavy.progress(), 0.05);
    const MonteCarloResult so_far = heavy.result({});
    EXPECT_FALSE(so_far.converged);
    EXPECT_GT(so_far.decimal_exponent, two_digit_exponent(so_far.standard_deviation));
}

// JCGM 101 clause 8 on a linear result (the gas alone uncertain): the budget's
// y +/- 1.96 u_c, u_c = u_G y / G, agrees with Monte Carlo's interval to the
// budget's tolerance (u_c = 0.049: 0.0005); a budget that overstates u_c by
// 10 % does not.
TEST(MonteCarloRuns, ValidatesTheBudgetOfALinearResult) {
    const double y = compute_correction(defaults, {}).calculated_gas_pct;
    const double u_c = 0.05 * y / defaults.gas_pct;
    const double k95 = 1.959963984540054;  // the normal distribution's 97.5 % point
    const UncertaintyInputs u = uncertain(Field::target_gas, 0.05);
    const MonteCarloResult good = run(defaults, u, 1000000, {}, {}, {y, u_c, k95 * u_c});
    EXPECT_EQ(good.validation.delta, 0.0005);
    EXPECT_TRUE(good.validation.validated) << good.validation.d_low << " " << good.validation.d_high;
    const MonteCarloResult bad = run(defaults, u, 200000, {}, {}, {y, 1.1 * u_c, k95 * 1.1 * u_c});
    EXPECT_FALSE(bad.validation.validated);
}

// Every shape, a correlation and both model terms.
UncertaintyInputs every_kind_of_uncertainty() {
    UncertaintyInputs u = uncertain(Field::target_gas, 0.05);
    u[Field::temperature] = {1.0, Shape::arcsine};
    u[Field::relative_humidity] = {3.0, Shape::triangular};
    u[Field::barometric_pressure] = {0.02, Shape::rectangular};
    u.correlations = {{Field::barometric_pressure, Field::target_gas, 0.5}};
    return u;
}

// A seed names one result, to the bit, stepped a block at a time or run
// whole; another seed gives another. A run that is not whole blocks draws
// the rest in its last step.
TEST(MonteCarloRuns, RepeatsWithItsSeed) {
    const UncertaintyInputs u = every_kind_of_uncertainty();
    MonteCarloRequest request;
    request.draws = 25000;
    MonteCarloRun stepped(defaults, {}, u, {0.003, 0.0}, request);
    std::vector<double> progress;
    while (stepped.step())
        progress.push_back(stepped.progress());
    EXPECT_EQ(progress, (std::vector<double>{0.4, 0.8, 1.0}));
    const MonteCarloResult first = stepped.result({});
    const MonteCarloResult again = run(defaults, u, 25000, {0.003, 0.0});
    request.seed = 8;
    const MonteCarloResult other = run(defaults, u, 25000, {0.003, 0.0}, request);
    for (double MonteCarloResult::*statistic : {&MonteCarloResult::mean, &MonteCarloResult::standard_deviation,
                                                &MonteCarloResult::coverage_low, &MonteCarloResult::coverage_high}) {
        EXPECT_EQ(bits(first.*statistic), bits(again.*statistic));
        EXPECT_NE(first.*statistic, other.*statistic);
    }
}

// The exact bits of a run as this x86_64 build gives them, in units that
// convert every input: a build whose arithmetic or logarithm differs in any
// last bit (x87 precision, a fused multiply-add, a library's log) fails here.
TEST(MonteCarloRuns, SameBitsOnEveryBuild) {
    const CorrectionInputs hpa_celsius_metres{20.95, 1013.25, 900.0, 30.0, 1000.0, 80.0};
    MonteCarloRequest request;
    request.draws = 10000;
    const MonteCarloResult mc = monte_carlo_calculated_gas(hpa_celsius_metres, {1, 4, 1}, every_kind_of_uncertainty(),
                                                           {0.003, 0.01}, request, {});
    EXPECT_EQ(bits(mc.mean), 0x402fe1410710bb78u);
    EXPECT_EQ(bits(mc.standard_deviation), 0x3fa7d287819eb763u);
    EXPECT_EQ(bits(mc.coverage_low), 0x402fb2aba31d5b8au);
    EXPECT_EQ(bits(mc.coverage_high), 0x403007c1faf3d0b0u);
}

}  // namespace
}  // namespace kestrane
