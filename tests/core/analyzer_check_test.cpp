// The analyzer's check: Student's t's distribution function against values
// worked elsewhere (scipy's, mpmath's, closed forms), and decisions and
// probabilities of conformity worked by hand from them, for both rules, with
// and without finite degrees of freedom, and at the edges (no uncertainty at
// all, a guard band wider than the tolerance, both limits in one tail).
#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "core/analyzer_check.h"
#include "core/coverage.h"
#include "core/uncertainty.h"

namespace kestrane {
namespace {

constexpr double infinite = infinite_degrees_of_freedom;

TEST(StudentT, DistributionFunction) {
    const struct {
        double t, dof, p;
    } cases[] = {
        {2.0, 5, 0.9490302605850709},      // scipy.stats.t.cdf(2.0, 5)
        {-1.0, 1, 0.25},                   // Cauchy: 1/2 + atan(t)/pi
        {1.0, infinite, 0.8413447460685429},  // scipy.stats.norm.cdf(1.0)
        {0.7, 3, 0.73283650084761817},
        {-4.0, 7.5, 0.0022530551750925889},  // a fractional dof
        {3.0, 30, 0.99730501796717403},
        // Past the continued fraction, on the expansion about the normal.
        {-2.5, 10000, 0.0062176097752918484},
        {2.0, 1e6, 0.9772497330743404},
        {0.0, 4, 0.5},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(student_t_cdf(c.t, c.dof), c.p, 1e-13) << c.t << ", " << c.dof;
    // Two degrees of freedom in closed form: 1/2 + t / (2 sqrt(2 + t^2)).
    for (const double t : {-30.0, -2.0, 0.3, 5.0})
        EXPECT_NEAR(student_t_cdf(t, 2), 0.5 + t / (2 * std::sqrt(2 + t * t)), 1e-14) << t;
    EXPECT_TRUE(std::isnan(student_t_cdf(1.0, 0.5)));
}

TEST(AnalyzerCheck, DecisionAndProbabilityWorkedByHand) {
    const std::optional<double> k2;  // no coverage probability: k = 2
    const struct {
        const char* name;
        CheckReference reference;
        CheckRequest request;
        double error, u, dof, k;
        bool pass;
        double probability;
    } cases[] = {
        // u(e) = sqrt(0.03^2 + 0.04^2) = 0.05; p = Phi(1) - Phi(-3).
        {"NormalSimple", {20.0, 0.03, infinite, k2}, {20.05, 0.04, 0.1, DecisionRule::simple},
         0.05, 0.05, infinite, 2.0, true, 0.83999484803691285},
        // The guard band U = 0.1 leaves a limit of 0: 0.05 fails.
        {"NormalGuarded", {20.0, 0.03, infinite, k2}, {20.05, 0.04, 0.1, DecisionRule::guarded},
         0.05, 0.05, infinite, 2.0, false, 0.83999484803691285},
        // nu = 5, k = t(0.975, 5); p = F5(6) - F5(-2).
        {"StudentSimple", {20.0, 0.05, 5, 0.95}, {19.9, 0.0, 0.2, DecisionRule::simple},
         -0.1, 0.05, 5, 2.5705818356363155, true, 0.94810719144027381},
        // U = 0.1285: the limit 0.0715 is below 0.1.
        {"StudentGuarded", {20.0, 0.05, 5, 0.95}, {19.9, 0.0, 0.2, DecisionRule::guarded},
         -0.1, 0.05, 5, 2.5705818356363155, false, 0.94810719144027381},
        // Welch-Satterthwaite: (0.05 / 0.03)^4 * 4 = 30.86, truncated to 30; p = F30(2) - F30(-6).
        {"WelchSatterthwaite", {20.0, 0.03, 4, 0.95}, {20.1, 0.04, 0.2, DecisionRule::simple},
         0.1, 0.05, 30, 2.0422724563012383, true, 0.97268678038007009},
        // Both limits above the error's distribution: Phi(-4) - Phi(-8), kept to its digits.
        {"FarOutside", {20.0, 0.05, infinite, k2}, {19.7, 0.0, 0.1, DecisionRule::simple},
         -0.3, 0.05, infinite, 2.0, false, 3.1671241832497825e-5},
        // Nothing uncertain: the decision is certain either way.
        {"ExactInside", {20.0, 0.0, infinite, k2}, {20.1, 0.0, 0.1, DecisionRule::guarded},
         0.1, 0.0, infinite, 2.0, true, 1.0},
        {"ExactOutside", {20.0, 0.0, infinite, k2}, {20.25, 0.0, 0.2, DecisionRule::simple},
         0.25, 0.0, infinite, 2.0, false, 0.0},
        // U = 0.2 is wider than T = 0.1: nothing passes, not even no error.
        {"GuardWiderThanTolerance", {20.0, 0.1, infinite, k2}, {20.0, 0.0, 0.1, DecisionRule::guarded},
         0.0, 0.1, infinite, 2.0, false, 0.68268949213708585},
    };
    for (const auto& c : cases) {
        const AnalyzerCheck got = check_analyzer(c.reference, c.request);
        EXPECT_NEAR(got.error, c.error, 1e-12) << c.name;
        EXPECT_NEAR(got.standard_uncertainty, c.u, 1e-15) << c.name;
        EXPECT_EQ(got.effective_degrees_of_freedom, c.dof) << c.name;
        EXPECT_NEAR(got.coverage_factor, c.k, 1e-12) << c.name;
        EXPECT_NEAR(got.expanded_uncertainty, c.k * c.u, 1e-12) << c.name;
        EXPECT_EQ(got.pass, c.pass) << c.name;
        EXPECT_NEAR(got.probability_of_conformity, c.probability, 1e-12 * std::max(c.probability, 1e-3)) << c.name;
    }
}

}  // namespace
}  // namespace kestrane
