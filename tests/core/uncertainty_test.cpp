// The uncertainty of a correction: the law of propagation's coefficients
// against the core's own formula, budgets worked by hand (correlations,
// shapes, degrees of freedom, the model's terms), Student's t, Monte Carlo
// against the law where the formula is near linear, the portable draws pinned
// to their bits, and the certificate's texts of an expanded uncertainty and
// of the value it goes with.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/correction_run.h"
#include "core/coverage.h"
#include "core/monte_carlo.h"
#include "core/certificate_text.h"
#include "core/uncertainty.h"

namespace kestrane {
namespace {

struct Reading {
    const char* name;
    CorrectionInputs values;
    UnitSelection units;
};

// Ordinary readings in every temperature, pressure and distance unit, each
// far enough inside its checks (altitude well above 0, humidity well below
// 100 %) that the uncertainties of typical_uncertainties refuse no draw.
// Units: temperature F/C/K = 0/1/2; pressure inHg/mmHg/bar/kPa/hPa/psi/atm =
// 0..6; distance ft/m = 0/1.
const Reading readings[] = {
    {"in Hg, F, ft", {20.95, 30.0, 29.5, 75.0, 1000.0, 50.0}, {0, 0, 0}},
    {"mm Hg, C, m", {20.95, 760.0, 745.0, 22.0, 350.0, 60.0}, {1, 1, 1}},
    {"bar, K, ft", {20.95, 1.01325, 0.98, 288.15, 1500.0, 40.0}, {2, 2, 0}},
    {"kPa, F, m", {50.0, 101.325, 95.0, 60.0, 500.0, 30.0}, {0, 3, 1}},
    {"hPa, C, m", {20.95, 1013.25, 900.0, 30.0, 1000.0, 80.0}, {1, 4, 1}},
    {"psi, K, ft", {21.0, 14.696, 14.2, 303.15, 2000.0, 70.0}, {2, 5, 0}},
    {"atm, C, m, little gas", {5.0, 1.0, 0.95, 15.0, 200.0, 20.0}, {1, 6, 1}},
    {"in Hg, F, ft, hot and high", {20.95, 29.92, 29.92, 110.0, 8000.0, 90.0}, {0, 0, 0}},
    {"mm Hg, K, m, cold, nearly pure gas", {99.0, 760.0, 760.0, 268.15, 150.0, 10.0}, {2, 1, 1}},
};

// Normal inputs with these standard uncertainties, in field order.
UncertaintyInputs normal_inputs(const std::array<double, field_count>& standard) {
    UncertaintyInputs u;
    for (const Field field : all_fields)
        u[field].value = standard[static_cast<std::size_t>(field)];
    return u;
}

// The budget of one result.
const UncertaintyBudget& of(const CorrectionUncertainty& uncertainty, Result result) {
    return uncertainty[result];
}

// 0.05 % gas, 0.5 hPa on each pressure, 0.2 degrees C, 10 m and 2 % humidity,
// each in the reading's own units.
UncertaintyInputs typical_uncertainties(UnitSelection units) {
    const double per_in_hg = 1.0 / internal_per_unit(selected_unit(UnitKind::pressure, units));
    const double per_degree_f = 1.0 / internal_per_unit(selected_unit(UnitKind::temperature, units));
    const double per_foot = 1.0 / internal_per_unit(selected_unit(UnitKind::distance, units));
    const double pressure = 0.5 / hpa_per_in_hg * per_in_hg;
    return normal_inputs({0.05, pressure, pressure, 0.2 * 1.8 * per_degree_f, 10.0 * feet_per_meter * per_foot, 2.0});
}

std::uint64_t bits(double value) {
    return std::bit_cast<std::uint64_t>(value);
}

std::string describe(const Reading& r, Field field) {
    return std::string(r.name) + ", " + std::string(info(field).column);
}

// ---------------------------------------------------------------- law of propagation

double result_at(const Reading& r, Field field, double value, Result result) {
    CorrectionInputs values = r.values;
    values.*info(field).value = value;
    return compute_correction(values, r.units).*info(result).value;
}

// The coefficients of all four results against central differences of compute_correction itself.
// The step is 1e-5 of the value (at least 1e-5 of the unit). The difference's
// truncation error is about h^2 |f'''| / 6, some 1e-10 of |f| / x for these
// low-degree formulas; its rounding error about eps |f| / h, some 2e-11 of
// |f| / x. The tolerance, 1e-7 of |c| + |f| / max(|x|, 1), leaves two orders of
// margin over both and still catches any wrong factor or missing chain term
// (the smallest, the height formula's share of the temperature coefficient,
// is over 10 % of it here), and a nonzero coefficient where the formula has none.
TEST(Sensitivities, MatchCentralDifferencesOfTheCore) {
    for (const Reading& r : readings) {
        const CorrectionSensitivities s = sensitivity_coefficients(r.values, r.units);
        for (const Field field : all_fields) {
            const double x = r.values.*info(field).value;
            const double h = 1e-5 * std::max(std::abs(x), 1.0);
            for (const Result result : all_results) {
                const Sensitivities& c = s[static_cast<std::size_t>(result)];
                const double f = compute_correction(r.values, r.units).*info(result).value;
                const double difference =
                    (result_at(r, field, x + h, result) - result_at(r, field, x - h, result)) / ((x + h) - (x - h));
                const double coefficient = c[static_cast<std::size_t>(field)];
                EXPECT_NEAR(coefficient, difference,
                            1e-7 * (std::abs(coefficient) + std::abs(f) / std::max(std::abs(x), 1.0)))
                    << describe(r, field) << ", " << info(result).key;
            }
        }
    }
}

// The shares of a budget's variance make up the whole of it, a correlated
// pair's share with its sign; with every uncertainty zero, the model's terms
// too, there is no variance to share, and every share is zero.
TEST(UncertaintyBudget, SharesMakeUpTheVariance) {
    for (const Reading& r : readings) {
        UncertaintyRequest request{typical_uncertainties(r.units), std::nullopt};
        for (const double correlation : {0.0, -0.6}) {
            request.inputs.correlations = {{Field::barometric_pressure, Field::target_pressure, correlation}};
            const CorrectionUncertainty result = propagate_uncertainty(r.values, r.units, request);
            for (const UncertaintyBudget& budget : result.results) {
                double shares = budget.correlations.at(0).variance_share_pct;
                for (const BudgetLine& line : budget.lines)
                    shares += line.variance_share_pct;
                EXPECT_NEAR(shares, 100.0, 1e-12) << r.name << ", r = " << correlation;
            }
        }
        const Sensitivities s = sensitivity_coefficients(r.values, r.units)[0];
        const UncertaintyBudget exact = uncertainty_budget(s, {}, {});
        EXPECT_EQ(exact.uncertainty.expanded, 0.0) << r.name;
        for (const BudgetLine& line : exact.lines)
            EXPECT_EQ(line.variance_share_pct, 0.0) << r.name;
    }
}

// Contributions whose squares leave the range of a double combine all the
// same: sqrt(3^2 + 4^2) = 5 at any scale; past the largest double the budget
// is not stated.
TEST(UncertaintyBudget, CombinesWithoutOverflowOrUnderflow) {
    const struct {
        double scale;
        bool stated;
    } cases[] = {{1.0, true}, {1e200, true}, {1e-200, true}, {1e307, true}, {1e308, false}};
    for (const auto& c : cases) {
        Sensitivities s{};
        s[0] = 3.0;
        s[1] = 4.0;
        UncertaintyRequest request;
        request.inputs[Field::target_gas].value = request.inputs[Field::target_pressure].value = c.scale;
        const UncertaintyBudget budget = uncertainty_budget(s, request, {});
        EXPECT_EQ(std::isfinite(budget.uncertainty.expanded), c.stated) << c.scale;
        if (c.stated) {
            EXPECT_NEAR(budget.uncertainty.standard / c.scale, 5.0, 1e-14) << c.scale;
            EXPECT_NEAR(budget.lines[0].variance_share_pct, 36.0, 1e-12) << c.scale;
        }
        EXPECT_EQ(stated({{budget, budget, budget, budget}}), c.stated) << c.scale;
        // A pair named with no correlation scales as the rest: the same bits.
        request.inputs.correlations = {{Field::target_gas, Field::target_pressure, 0.0}};
        const UncertaintyResult with_pair = uncertainty_budget(s, request, {}).uncertainty;
        if (c.stated) {
            EXPECT_EQ(bits(with_pair.expanded), bits(budget.uncertainty.expanded)) << c.scale;
        }
    }
}

// The dialog's default reading worked by hand from the formula, to 4
// significant figures, with u(gas) = 0.05 %, u(barometer) = 0.02 in Hg,
// u(temperature) = 0.5 degrees F, u(humidity) = 2 % (target pressure and
// altitude exact), and the vapour curve's term (the height formula's is 0 at
// altitude 0). Units in Hg, degrees F, ft; t = 75, B = p_t = 30, g = 20.95.
//   S(75)  = 1.54854e-8*75^4 - 9.76951e-7*75^3 + 0.000126819*75^2 + 0.000385377*75 + 0.0538397
//          = 0.48997 - 0.41215 + 0.71336 + 0.02890 + 0.05384          = 0.8739 in Hg
//   S'(75) = 4*1.54854e-8*75^3 - 3*9.76951e-7*75^2 + 2*0.000126819*75 + 0.000385377
//          = 0.026132 - 0.016486 + 0.019023 + 0.000385                = 0.02905 in Hg/F
//   K = (43*0.0022222 + 1)*1.6e6 = 1,752,887 cm; at Z = 0 the ratio (K-Z)/(K+Z) = 1
//   V = 0.5*0.8739 = 0.4370; CB = 30 - 0.4370 = 29.563; G = 29.563/30*20.95 = 20.64 %
//   c(gas)      = CB/p_t               = 29.563/30             =  0.9854
//   c(target)   = -G/p_t               = -20.645/30            = -0.6882 %/inHg
//   c(baro)     = g/p_t                = 20.95/30              =  0.6983 %/inHg
//   c(temp)     = -(H/100) S' g/p_t    = -0.5*0.02905*0.6983   = -0.01014 %/F
//                 (dr/dK = 2Z/(K+Z)^2 = 0 at Z = 0)
//   c(altitude) = -2*30.48/K * B g/p_t = -3.478e-5*30*0.6983   = -7.286e-4 %/ft
//   c(humidity) = -S/100 g/p_t         = -0.008739*0.6983      = -0.006103
//   The vapour curve's term: its largest difference over 32..122 F is at 122 F (50 C), where
//   IAPWS's line gives 12352.5 Pa = 3.6477 in Hg, f = 1.00062 + 3.14e-8*101591.7 + 5.6e-7*50^2
//   = 1.005210, S(122) = 3.64497: a = 0.5*|1.005210*3.6477 - 3.64497| = 0.01086 in Hg,
//   u = a/sqrt(3) = 0.006270 in Hg, c(vapour) = -g/p_t = -0.6983 %/inHg
//   contributions 0.05*0.9854 = 0.04927, 0.02*0.6983 = 0.01397, 0.5*0.01014 = 0.005072,
//   2*0.006103 = 0.01221, 0.006270*0.6983 = 0.004378;
//   squares 2.428e-3 + 1.951e-4 + 2.573e-5 + 1.490e-4 + 1.917e-5 = 2.817e-3
//   u_c = sqrt(2.817e-3) = 0.05307 %, U = 0.1061 % -> "0.11"; shares 86.19, 6.926, 0.9134, 5.289, 0.6806 %
// Calculated Gas Pressure = CB g/100 (in Hg):
//   c(gas) = CB/100 = 0.2956; c(baro) = g/100 = 0.2095; c(temp) = -0.2095*0.5*0.02905 = -0.003043;
//   c(humidity) = -0.2095*0.008739 = -0.001831; c(target) = 0; c(vapour) = -g/100 = -0.2095
//   squares 2.185e-4 + 1.756e-5 + 2.316e-6 + 1.341e-5 + 1.725e-6 = 2.535e-4; u_c = 0.01592, U = 0.03184 in Hg
TEST(UncertaintyBudget, DefaultReadingWorkedByHand) {
    const CorrectionInputs defaults{20.95, 30.0, 30.0, 75.0, 0.0, 50.0};
    const UncertaintyRequest u{normal_inputs({0.05, 0.0, 0.02, 0.5, 0.0, 2.0}), std::nullopt};
    const CorrectionUncertainty result = propagate_uncertainty(defaults, {}, u);
    const UncertaintyBudget& gas = of(result, Result::calculated_gas_pct);
    const UncertaintyBudget& pressure = of(result, Result::calculated_gas_pressure);
    const struct {
        const char* what;
        double got;
        double by_hand;
    } checks[] = {
        {"c(gas)", gas.lines[0].sensitivity, 0.9854},
        {"c(target)", gas.lines[1].sensitivity, -0.6882},
        {"c(baro)", gas.lines[2].sensitivity, 0.6983},
        {"c(temp)", gas.lines[3].sensitivity, -0.01014},
        {"c(altitude)", gas.lines[4].sensitivity, -7.286e-4},
        {"c(humidity)", gas.lines[5].sensitivity, -0.006103},
        {"u(vapour)", gas.lines[6].standard_uncertainty, 0.006270},
        {"c(vapour)", gas.lines[6].sensitivity, -0.6983},
        {"share(gas)", gas.lines[0].variance_share_pct, 86.19},
        {"share(temp)", gas.lines[3].variance_share_pct, 0.9134},
        {"share(vapour)", gas.lines[6].variance_share_pct, 0.6806},
        {"u_c", gas.uncertainty.standard, 0.05307},
        {"U", gas.uncertainty.expanded, 0.1061},
        {"pressure c(gas)", pressure.lines[0].sensitivity, 0.2956},
        {"pressure c(temp)", pressure.lines[3].sensitivity, -0.003043},
        {"pressure c(humidity)", pressure.lines[5].sensitivity, -0.001831},
        {"pressure c(vapour)", pressure.lines[6].sensitivity, -0.2095},
        {"pressure u_c", pressure.uncertainty.standard, 0.01592},
        {"pressure U", pressure.uncertainty.expanded, 0.03184},
    };
    for (const auto& c : checks)  // 4 significant figures: within half a unit of the fourth
        EXPECT_NEAR(c.got, c.by_hand, 5e-4 * std::abs(c.by_hand)) << c.what;
    EXPECT_EQ(pressure.lines[1].sensitivity, 0.0);
    EXPECT_EQ(gas.lines[7].standard_uncertainty, 0.0);  // the height formula's term at altitude 0
    EXPECT_EQ(certificate_text(gas.uncertainty.expanded).text, "0.11");
}

// ---------------------------------------------------------------- Monte Carlo

// Where the formula is close to linear over the inputs' spread, the draws'
// standard deviation, mean and 95 % interval agree with the law of
// propagation. 100,000 draws estimate a standard deviation to about 0.2 % and
// a 2.5 % point to about 0.5 % of the interval's half width; 3 % is the margin.
TEST(MonteCarlo, AgreesWithTheLawOfPropagationOnOrdinaryReadings) {
    for (const Reading& r : readings) {
        const UncertaintyInputs u = typical_uncertainties(r.units);
        const CorrectionUncertainty all = propagate_uncertainty(r.values, r.units, {u, std::nullopt});
        const UncertaintyBudget& budget = of(all, Result::calculated_gas_pct);
        const double u_c = budget.uncertainty.standard;
        // The 95 % interval is y +/- 1.96 u_c only while the normal inputs make
        // the result's spread; where a rectangular model term makes much of it,
        // the interval is narrower, and only the moments are compared.
        double model_share = 0.0;
        for (std::size_t term = field_count; term < budget_term_count; ++term)
            model_share += budget.lines[term].variance_share_pct;
        const double y = compute_correction(r.values, r.units).calculated_gas_pct;
        MonteCarloRequest request;
        request.draws = 100000;
        const MonteCarloResult mc =
            monte_carlo_calculated_gas(r.values, r.units, u, model_term_half_widths(r.values, r.units), request, {});
        EXPECT_EQ(mc.refused, 0u) << r.name;
        EXPECT_NEAR(mc.standard_deviation, u_c, 0.03 * u_c) << r.name;
        EXPECT_NEAR(mc.mean, y, 0.03 * u_c) << r.name;
        if (model_share > 10.0)
            continue;
        EXPECT_NEAR(mc.coverage_low, y - 1.96 * u_c, 0.03 * 1.96 * u_c) << r.name;
        EXPECT_NEAR(mc.coverage_high, y + 1.96 * u_c, 0.03 * 1.96 * u_c) << r.name;
    }
}

// ---------------------------------------------------------------- portable draws

// The generators' published outputs: splitmix64 from 1234567, xoshiro256**
// from the state {1, 2, 3, 4}.
TEST(PortableRandom, PublishedSequences) {
    const std::uint64_t splitmix_outputs[] = {6457827717110365317u, 3203168211198807973u, 9817491932198370423u,
                                              4593380528125082431u, 16408922859458223821u};
    std::uint64_t state = 1234567;
    for (const std::uint64_t expected : splitmix_outputs)
        EXPECT_EQ(splitmix64(state), expected);
    const std::uint64_t xoshiro_outputs[] = {11520u, 0u, 1509978240u, 1215971899390074240u, 1216172134540287360u};
    PortableRandom xoshiro({1, 2, 3, 4});
    for (const std::uint64_t expected : xoshiro_outputs)
        EXPECT_EQ(xoshiro.next(), expected);
}

// The exact bits of the first deviates, as this x86_64 build gives them: a
// build whose arithmetic or logarithm differs in any last bit (x87 precision,
// a fused multiply-add, a library's log) fails here. (A whole run's bits are
// pinned with Monte Carlo's tests.)
TEST(PortableRandom, SameBitsOnEveryBuild) {
    const std::uint64_t first_deviates[] = {0xbff3bce299bc5927, 0x3feac3837510ca66, 0xbfdd42beb1621d91,
                                            0xbff66d97eec833b1, 0x3ff2e68991f9e951, 0x3fd8c5d2c8497d30};
    PortableRandom random(default_monte_carlo_seed);
    for (const std::uint64_t expected : first_deviates)
        EXPECT_EQ(bits(random.standard_normal()), expected);
}

// The logarithm against the C library's over the hazards (1 and its
// neighbours, the split at sqrt(2), powers of two, the ends of the range,
// subnormals) and a sweep over the normal range. glibc's log is
// within about half an ulp; ours within about one: 2.5e-16 relative (a little
// over one ulp at the top of a binade) bounds the two together.
TEST(PortableLog, AgreesWithTheLibrary) {
    // clang-format off
    constexpr double hazards[] = {1.0, 0x1.0000000000001p0, 0x1.fffffffffffffp-1, 0x1.6a09e667f3bccp0,
        0x1.6a09e667f3bcdp0, 0x1.6a09e667f3bcep0, 0.5, 2.0, 0.7, 1.5, 10.0, 1e-300, 1e300, 3e-310,
        std::numeric_limits<double>::max(), std::numeric_limits<double>::min(), std::numeric_limits<double>::denorm_min()};
    // clang-format on
    const auto check = [](double x) {
        const double expected = std::log(x);
        EXPECT_NEAR(portable_log(x), expected, 2.5e-16 * std::abs(expected)) << std::hexfloat << x;
    };
    for (const double x : hazards)
        check(x);
    for (double x = 0x1.23456789abcdfp-1022; x < 1e308; x *= 1.0137)
        check(x);
    EXPECT_EQ(portable_log(1.0), 0.0);
    EXPECT_EQ(portable_log(0.0), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(portable_log(std::numeric_limits<double>::infinity()), std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::isnan(portable_log(-1.0)));
    EXPECT_TRUE(std::isnan(portable_log(std::numeric_limits<double>::quiet_NaN())));
}

// ---------------------------------------------------------------- certificate text

TEST(CertificateText, TwoSignificantDigitsRoundedUp) {
    const struct {
        double value;
        std::string text;
        int decimals;
    } cases[] = {
        // clang-format off
        {0.0612, "0.062", 3}, {0.0601, "0.061", 3}, {1.234, "1.3", 1}, {12.01, "13", 0}, {0.0, "0", 0},
        {0.25, "0.25", 2}, {2.0, "2.0", 1}, {1201.0, "1300", 0},  // exact doubles: 0.25 is already two digits
        {0.06, "0.060", 3}, {0.0098, "0.0098", 4},  // doubles just below: rounded up to the decimal
        {0.1, "0.10", 2}, {0.0099, "0.0099", 4},    // doubles just above, by the arithmetic's rounding alone
        {0.10000000001, "0.11", 2},                  // an excess in the eleventh digit is the uncertainty's own
        {0.0995, "0.10", 2}, {0.995, "1.0", 1}, {9.91, "10", 0}, {99.5, "100", 0},  // carries
        {1e-20, "0.000000000000000000010", 21}, {-0.0612, "-0.062", 3},
        {std::numeric_limits<double>::denorm_min(), "0." + std::string(323, '0') + "50", 325},
        {std::numeric_limits<double>::infinity(), "inf", 0},
        // clang-format on
    };
    for (const auto& c : cases) {
        const CertificateText got = certificate_text(c.value);
        EXPECT_EQ(got.text, c.text) << std::hexfloat << c.value;
        EXPECT_EQ(got.decimals, c.decimals) << std::hexfloat << c.value;
    }
}

// The shortcut against the whole expansion: doubles of every exponent, and
// the neighbours of values whose twelfth digit ends them (1.20000000000e-3
// and its kin), where the shortcut must defer to the expansion.
TEST(CertificateText, ShortcutAgreesWithTheWholeExpansion) {
    std::vector<double> values;
    std::mt19937_64 random(12);
    for (int i = 0; i < 20000; ++i) {
        const double v = std::bit_cast<double>(random() & 0x7fffffffffffffffu);
        if (std::isfinite(v))
            values.push_back(v);
    }
    // And as many where uncertainties are, 1e-13 to 1e36, where double arithmetic states most of them.
    std::uniform_real_distribution<double> decade(-13.0, 36.0);
    for (int i = 0; i < 20000; ++i)
        values.push_back(std::pow(10.0, decade(random)));
    for (int e = -30; e <= 30; ++e) {
        // Digits just past the twelfth, near enough a boundary to defer or not.
        for (const double mantissa : {1.0, 1.2, 9.9, 9.99999999999, 1.00000000001, 4.5, 1.2000000000001,
                                      1.20000000000001, 1.19999999999989, 1.1999999999999, 9.999999999999}) {
            double v = mantissa * std::pow(10.0, e);
            for (int step = 0; step < 3; ++step)
                v = std::nextafter(v, 0.0);
            for (int step = 0; step < 7; ++step, v = std::nextafter(v, INFINITY))
                values.push_back(v);
        }
    }
    for (const double v : values) {
        const CertificateText fast = certificate_text(v);
        const CertificateText whole = certificate_text_from_whole_expansion(v);
        ASSERT_EQ(fast.text, whole.text) << std::hexfloat << v;
        ASSERT_EQ(fast.decimals, whole.decimals) << std::hexfloat << v;
    }
}

// ---------------------------------------------------------------- budgets worked by hand

// Correlations, shapes, degrees of freedom, the coverage factor, the new
// results' model coefficients and the model terms' sizes, each worked by hand
// from the formula, IAPWS's line and the standard atmosphere (4 significant
// figures). Readings in in Hg, degrees F, ft unless named; t = 75 F,
// B = p_t = 30 in Hg, g = 20.95 %, H = 50 % as the dialog starts.
//   S(75) = 0.8739, S'(75) = 0.02905; CB = 30 - 0.5*0.8739 = 29.563; G = 20.645 %
//   The vapour curve's term at the defaults: u = 0.01086/sqrt(3) = 0.006270 in Hg
//   (worked in DefaultReadingWorkedByHand).
// One barometer read for both pressures, u = 0.02 in Hg each, r = 1, the target's
// with 1 degree of freedom: c(target) = -G/p_t = -0.6882, c(baro) = g/p_t = 0.6983,
//   u_c^2 = ((c_t + c_b) 0.02)^2 + (0.6983*0.006270)^2 = (2.033e-4)^2 + (4.378e-3)^2
//   = 1.921e-5, u_c = 0.004383 (against 0.01964 uncorrelated); the pair's share
//   2*(-0.6882)(0.6983)(0.02^2)/1.921e-5 = -2001 %; nu_eff = 1.921e-5^2/(0.6882*0.02)^4
//   = 0.0103, which is at least 1.
// Shapes, a = 0.05: u = 0.05/sqrt(3) = 0.02887, 0.05/sqrt(6) = 0.02041, 0.05/sqrt(2) = 0.03536.
// Dry air (H = 0, so no vapour term) at altitude 0: CB = 30, c(gas) = 1, c(baro) = 0.6983;
//   u(gas) = 0.05 with 4 degrees of freedom, u(baro) = 0.02 with 10:
//   u_c^2 = 0.0025 + 1.951e-4 = 2.695e-3, u_c = 0.05191;
//   nu_eff = 2.695e-3^2 / (0.05^4/4 + 0.01397^4/10) = 4.637 -> 4; at 95 % k = t_0.975(4) = 2.776,
//   U = 2.776*0.05191 = 0.1441.
// The new results' coefficients of the model terms (per in Hg at the defaults):
//   Vapor Pressure (%) = V/B*100: 100/30 = 3.333 for the vapour term, 0 for the height formula's;
//   Corrected Barometer = B_c - V: -1 and +1; Calculated Gas Pressure: -+g/100 = -+0.2095.
//   With the pressures in hPa (33.8637 per in Hg): Vapor Pressure (%) 3.333/33.8637 = 0.09843 per hPa.
// The vapour curve at 180 F, 90 %: |f p_sat - S| grows to 180 F, where p_sat = 51.88 kPa
//   = 15.310 in Hg, f = 1.00062 + 3.14e-8*101591.7 + 5.6e-7*82.22^2 = 1.007595, S(180) = 14.7905:
//   a = 0.9*|1.007595*15.310 - 14.7905| = 0.9*0.6360 = 0.5724 in Hg (4.3 % of S: 3.5 % of it is
//   p_sat's own, 0.76 % the enhancement factor), 0.5724/30*20.95 = 0.3997 % on the gas.
// The height formula at 5000 ft, 75 F: Z = 152400 cm, K = 1752887 cm, (K - Z)/(K + Z) = 0.840024;
//   the standard atmosphere at 1524 m: (1 - 0.0065*1524/288.15)^5.25588 = 0.832048;
//   a = 30*0.007976 = 0.2393 in Hg = 8.103 hPa; 0.2393/30*20.95 = 0.1671 % on the gas.
TEST(UncertaintyBudget, NewCasesWorkedByHand) {
    const CorrectionInputs defaults{20.95, 30.0, 30.0, 75.0, 0.0, 50.0};
    const auto budget = [](const CorrectionInputs& values, const UncertaintyRequest& request, Result result,
                           UnitSelection units = {}) { return propagate_uncertainty(values, units, request)[result]; };
    const auto gas_pct = Result::calculated_gas_pct;

    UncertaintyRequest one_barometer{normal_inputs({0.0, 0.02, 0.02, 0.0, 0.0, 0.0}), std::nullopt};
    one_barometer.inputs.correlations = {{Field::barometric_pressure, Field::target_pressure, 1.0}};
    one_barometer.inputs[Field::target_pressure].degrees_of_freedom = 1.0;
    const UncertaintyBudget correlated = budget(defaults, one_barometer, gas_pct);

    const auto shaped = [&](Shape shape) {
        UncertaintyRequest request;
        request.inputs[Field::target_gas] = {0.05, shape};
        return budget(defaults, request, gas_pct).lines[0].standard_uncertainty;
    };

    CorrectionInputs dry = defaults;
    dry.relative_humidity = 0.0;
    UncertaintyRequest with_dof{normal_inputs({0.05, 0.0, 0.02, 0.0, 0.0, 0.0}), 0.95};
    with_dof.inputs[Field::target_gas].degrees_of_freedom = 4.0;
    with_dof.inputs[Field::barometric_pressure].degrees_of_freedom = 10.0;
    const UncertaintyBudget finite = budget(dry, with_dof, gas_pct);

    const auto model = [](const CorrectionInputs& values, ModelTerm term, UnitSelection units = {}) {
        return propagate_uncertainty(values, units, {}).model_half_widths[static_cast<std::size_t>(term)];
    };
    CorrectionInputs hot = defaults;
    hot.temperature = 180.0;
    hot.relative_humidity = 90.0;
    CorrectionInputs high = defaults;
    high.altitude = 5000.0;
    CorrectionInputs high_hpa = high;
    high_hpa.target_pressure = high_hpa.barometric_pressure = 30.0 * hpa_per_in_hg;
    const UnitSelection hpa{0, 4, 0};
    const CorrectionSensitivities s = sensitivity_coefficients(defaults, {});
    const auto c = [&s](Result result, ModelTerm term) {
        return s[static_cast<std::size_t>(result)][field_count + static_cast<std::size_t>(term)];
    };
    const auto vapor = ModelTerm::vapor_curve;
    const auto height = ModelTerm::altitude_formula;

    const struct {
        const char* what;
        double got;
        double by_hand;
    } checks[] = {
        {"r = 1: u_c", correlated.uncertainty.standard, 0.004383},
        {"r = 1: the pair's share", correlated.correlations.at(0).variance_share_pct, -2001.0},
        {"rectangular", shaped(Shape::rectangular), 0.02887},
        {"triangular", shaped(Shape::triangular), 0.02041},
        {"arcsine", shaped(Shape::arcsine), 0.03536},
        {"dof: u_c", finite.uncertainty.standard, 0.05191},
        {"dof: k at 95 %", finite.uncertainty.coverage_factor, 2.776},
        {"dof: U", finite.uncertainty.expanded, 0.1441},
        {"vapor % by the vapour term", c(Result::vapor_pressure_pct, vapor), 3.333},
        {"barometer by the vapour term", c(Result::corrected_barometer, vapor), -1.0},
        {"barometer by the height term", c(Result::corrected_barometer, height), 1.0},
        {"gas pressure by the height term", c(Result::calculated_gas_pressure, height), 0.2095},
        {"vapor % per hPa of the vapour term",
         sensitivity_coefficients(high_hpa, hpa)[static_cast<std::size_t>(Result::vapor_pressure_pct)][field_count],
         0.09843},
        {"vapour term at 180 F, 90 %", model(hot, vapor), 0.5724},
        {"height term at 5000 ft", model(high, height), 0.2393},
        {"height term at 5000 ft in hPa", model(high_hpa, height, hpa), 8.103},
    };
    for (const auto& check : checks)
        EXPECT_NEAR(check.got, check.by_hand, 5e-4 * std::abs(check.by_hand)) << check.what;
    EXPECT_EQ(correlated.uncertainty.effective_degrees_of_freedom, 1.0);
    EXPECT_EQ(finite.uncertainty.effective_degrees_of_freedom, 4.0);
    EXPECT_EQ(c(Result::vapor_pressure_pct, height), 0.0);
    EXPECT_EQ(budget(defaults, one_barometer, gas_pct, {}).uncertainty.coverage_factor, 2.0);  // k without p
    EXPECT_TRUE(
        std::isinf(budget(defaults, {normal_inputs({0.05}), 0.95}, gas_pct).uncertainty.effective_degrees_of_freedom));
    // In dry air at altitude 0 the two pressures' coefficients are g/p_t and -g/p_t: at r = 1 their
    // variances cancel. At 14.7 in Hg the two computed coefficients are an ulp apart, whose squares
    // summed unscaled leave 2e-19; scaled by the larger, they leave nothing, and no share.
    CorrectionInputs thin = dry;
    thin.target_pressure = thin.barometric_pressure = 14.7;
    const UncertaintyBudget cancelled = budget(thin, one_barometer, gas_pct);
    EXPECT_EQ(cancelled.uncertainty.standard, 0.0);
    EXPECT_EQ(cancelled.correlations.at(0).variance_share_pct, 0.0);
    // Far outside the fitted range, below absolute zero and past the critical point, the vapour
    // term stays a number, and never below its size over the fitted range.
    const double fitted = model(defaults, vapor);
    for (const double t : {-1000.0, -459.67, 705.2, 1e6}) {
        CorrectionInputs far = defaults;
        far.temperature = t;
        const double a = model(far, vapor);
        EXPECT_TRUE(std::isfinite(a) && a >= fitted) << t << " F: " << a;
    }
}

// ---------------------------------------------------------------- coverage factors

// Student's t and the normal quantile against published values (and, past the
// tables, values worked to 25 digits by the incomplete beta function): each
// side of the expansion used above 2000 degrees of freedom, the tails, the
// symmetry below 1/2.
TEST(Coverage, StudentTQuantiles) {
    const double infinite = infinite_degrees_of_freedom;
    const struct {
        double p, dof, t;
    } cases[] = {
        {0.975, 1, 12.7062047361747},        {0.975, 4, 2.77644510519779},    {0.975, 10, 2.22813885198627},
        {0.975, infinite, 1.95996398454005}, {0.995, 2, 9.92484320091829},    {0.025, 4, -2.77644510519779},
        {0.75, 4, 0.740697084112683},        {0.975, 2000, 1.96115082609944}, {0.975, 2001, 1.96115023262244},
        {0.975, 1e6, 1.95996635681411},      {0.99995, 3, 28.0001300109500},  {0.99995, infinite, 3.89059188641312},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(student_t_quantile(c.p, c.dof), c.t, 1e-12 * std::abs(c.t)) << c.p << ", " << c.dof;
    EXPECT_EQ(student_t_quantile(0.5, 7), 0.0);
    EXPECT_NEAR(coverage_factor_for(0.95, 4), 2.77644510519779, 1e-12 * 2.8);
    EXPECT_NEAR(coverage_factor_for(0.9999, 3), 28.0001300109500, 1e-12 * 28.0);
    const struct {
        double p;
        bool valid;
    } probabilities[] = {{0.5, true},     {0.95, true},     {0.9999, true},
                         {0.4999, false}, {0.99991, false}, {std::nan(""), false}};
    for (const auto& c : probabilities)
        EXPECT_EQ(valid_coverage_probability(c.p), c.valid) << c.p;
}

// ---------------------------------------------------------------- the value with its uncertainty

// The value to the last significant digit of the expanded uncertainty's
// text: places after the point, units, tens; ties away from zero on the
// double's exact expansion (0.125 is exact, 2.675 lies just below), carries,
// negative values and those that round to zero with their sign.
TEST(CertificateText, ValueToTheUncertaintysLastDigit) {
    const struct {
        double value;
        const char* expanded;
        const char* text;
    } cases[] = {
        // clang-format off
        {20.644858, "0.0020", "20.6449"}, {20.644858, "0.29", "20.64"}, {20.644858, "2.9", "20.6"},
        {20.644858, "29", "21"},          {20.644858, "290", "20"},     {205.0, "290", "210"},
        {994.0, "100", "990"},            {995.0, "100", "1000"},       {42.0, "2900", "0"},
        {0.125, "0.10", "0.13"},          {2.675, "0.10", "2.67"},      {99.99996, "0.0010", "100.0000"},
        {-20.644858, "0.29", "-20.64"},   {-0.004, "0.29", "-0.00"},    {-3.0, "290", "-0"},
        {20.6, "0", "21"},                {INFINITY, "0.10", "inf"},
        // clang-format on
    };
    for (const auto& c : cases)
        EXPECT_EQ(value_to_uncertainty_text(c.value, c.expanded), c.text) << c.value << " with U " << c.expanded;
}

}  // namespace
}  // namespace kestrane
