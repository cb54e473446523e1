// The uncertainty of a correction: the law of propagation's coefficients
// against the core's own formula, Monte Carlo against the law where the
// formula is near linear, the portable draws pinned to their bits, and the
// certificate's text of an expanded uncertainty.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/correction_run.h"
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

// 0.05 % gas, 0.5 hPa on each pressure, 0.2 degrees C, 10 m and 2 % humidity,
// each in the reading's own units.
UncertaintyInputs typical_uncertainties(UnitSelection units) {
    const double per_in_hg = 1.0 / internal_per_unit(selected_unit(UnitKind::pressure, units));
    const double per_degree_f = 1.0 / internal_per_unit(selected_unit(UnitKind::temperature, units));
    const double per_foot = 1.0 / internal_per_unit(selected_unit(UnitKind::distance, units));
    const double pressure = 0.5 / hpa_per_in_hg * per_in_hg;
    return {{0.05, pressure, pressure, 0.2 * 1.8 * per_degree_f, 10.0 * feet_per_meter * per_foot, 2.0}};
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

// The coefficients against central differences of compute_correction itself.
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
            for (const auto& [result, c] : {std::pair{Result::calculated_gas_pct, s.calculated_gas_pct},
                                            std::pair{Result::calculated_gas_pressure, s.calculated_gas_pressure}}) {
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

// The shares of a budget's variance make up the whole of it; with every
// uncertainty zero there is no variance to share, and every share is zero.
TEST(UncertaintyBudget, SharesMakeUpTheVariance) {
    for (const Reading& r : readings) {
        const CorrectionUncertainty result = propagate_uncertainty(r.values, r.units, typical_uncertainties(r.units));
        for (const UncertaintyBudget* budget : {&result.calculated_gas_pct, &result.calculated_gas_pressure}) {
            double shares = 0.0;
            for (const BudgetLine& line : budget->lines)
                shares += line.variance_share_pct;
            EXPECT_NEAR(shares, 100.0, 1e-12) << r.name;
        }
        const UncertaintyBudget exact = propagate_uncertainty(r.values, r.units, {}).calculated_gas_pct;
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
        UncertaintyInputs u;
        u[Field::target_gas] = u[Field::target_pressure] = c.scale;
        const UncertaintyBudget budget = uncertainty_budget(s, u);
        EXPECT_EQ(std::isfinite(budget.uncertainty.expanded), c.stated) << c.scale;
        if (c.stated) {
            EXPECT_NEAR(budget.uncertainty.standard / c.scale, 5.0, 1e-14) << c.scale;
            EXPECT_NEAR(budget.lines[0].variance_share_pct, 36.0, 1e-12) << c.scale;
        }
        EXPECT_EQ(stated({budget, budget}), c.stated) << c.scale;
        // The log's uncertainty without a budget is the budget's, bit for bit.
        const UncertaintyResult alone = combined_uncertainty(s, u);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(alone.expanded),
                  std::bit_cast<std::uint64_t>(budget.uncertainty.expanded))
            << c.scale;
    }
}

// The dialog's default reading worked by hand from the formula, to 4
// significant figures, with u(gas) = 0.05 %, u(barometer) = 0.02 in Hg,
// u(temperature) = 0.5 degrees F, u(humidity) = 2 % (target pressure and
// altitude exact). Units in Hg, degrees F, ft; t = 75, B = p_t = 30, g = 20.95.
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
//   contributions 0.05*0.9854 = 0.04927, 0.02*0.6983 = 0.01397, 0.5*0.01014 = 0.005072,
//   2*0.006103 = 0.01221; squares 2.428e-3 + 1.951e-4 + 2.573e-5 + 1.490e-4 = 2.798e-3
//   u_c = sqrt(2.798e-3) = 0.05289 %, U = 0.1058 % -> "0.11"; shares 86.78, 6.973, 0.9197, 5.325 %
// Calculated Gas Pressure = CB g/100 (in Hg):
//   c(gas) = CB/100 = 0.2956; c(baro) = g/100 = 0.2095; c(temp) = -0.2095*0.5*0.02905 = -0.003043;
//   c(humidity) = -0.2095*0.008739 = -0.001831; c(target) = 0
//   squares 2.185e-4 + 1.756e-5 + 2.316e-6 + 1.341e-5 = 2.518e-4; u_c = 0.01587, U = 0.03173 in Hg
TEST(UncertaintyBudget, DefaultReadingWorkedByHand) {
    const CorrectionInputs defaults{20.95, 30.0, 30.0, 75.0, 0.0, 50.0};
    const UncertaintyInputs u{{0.05, 0.0, 0.02, 0.5, 0.0, 2.0}};
    const CorrectionUncertainty result = propagate_uncertainty(defaults, {}, u);
    const struct {
        const char* what;
        double got;
        double by_hand;
    } checks[] = {
        {"c(gas)", result.calculated_gas_pct.lines[0].sensitivity, 0.9854},
        {"c(target)", result.calculated_gas_pct.lines[1].sensitivity, -0.6882},
        {"c(baro)", result.calculated_gas_pct.lines[2].sensitivity, 0.6983},
        {"c(temp)", result.calculated_gas_pct.lines[3].sensitivity, -0.01014},
        {"c(altitude)", result.calculated_gas_pct.lines[4].sensitivity, -7.286e-4},
        {"c(humidity)", result.calculated_gas_pct.lines[5].sensitivity, -0.006103},
        {"share(gas)", result.calculated_gas_pct.lines[0].variance_share_pct, 86.78},
        {"share(temp)", result.calculated_gas_pct.lines[3].variance_share_pct, 0.9197},
        {"u_c", result.calculated_gas_pct.uncertainty.standard, 0.05289},
        {"U", result.calculated_gas_pct.uncertainty.expanded, 0.1058},
        {"pressure c(gas)", result.calculated_gas_pressure.lines[0].sensitivity, 0.2956},
        {"pressure c(temp)", result.calculated_gas_pressure.lines[3].sensitivity, -0.003043},
        {"pressure c(humidity)", result.calculated_gas_pressure.lines[5].sensitivity, -0.001831},
        {"pressure u_c", result.calculated_gas_pressure.uncertainty.standard, 0.01587},
        {"pressure U", result.calculated_gas_pressure.uncertainty.expanded, 0.03173},
    };
    for (const auto& c : checks)  // 4 significant figures: within half a unit of the fourth
        EXPECT_NEAR(c.got, c.by_hand, 5e-4 * std::abs(c.by_hand)) << c.what;
    EXPECT_EQ(result.calculated_gas_pressure.lines[1].sensitivity, 0.0);
    EXPECT_EQ(certificate_text(result.calculated_gas_pct.uncertainty.expanded).text, "0.11");
}

// ---------------------------------------------------------------- Monte Carlo

// Where the formula is close to linear over the inputs' spread, the draws'
// standard deviation, mean and 95 % interval agree with the law of
// propagation. 100,000 draws estimate a standard deviation to about 0.2 % and
// a 2.5 % point to about 0.5 % of the interval's half width; 3 % is the margin.
TEST(MonteCarlo, AgreesWithTheLawOfPropagationOnOrdinaryReadings) {
    for (const Reading& r : readings) {
        const UncertaintyInputs u = typical_uncertainties(r.units);
        const double u_c = propagate_uncertainty(r.values, r.units, u).calculated_gas_pct.uncertainty.standard;
        const double y = compute_correction(r.values, r.units).calculated_gas_pct;
        MonteCarloRequest request;
        request.draws = 100000;
        const MonteCarloResult mc =
            monte_carlo_calculated_gas(r.values, r.units, u, model_term_half_widths(r.values, r.units), request, {});
        EXPECT_EQ(mc.refused, 0u) << r.name;
        EXPECT_NEAR(mc.standard_deviation, u_c, 0.03 * u_c) << r.name;
        EXPECT_NEAR(mc.mean, y, 0.03 * u_c) << r.name;
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

}  // namespace
}  // namespace kestrane
