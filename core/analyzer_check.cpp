#include "analyzer_check.h"

#include <algorithm>
#include <cmath>

#include "coverage.h"
#include "uncertainty.h"

namespace kestrane {

std::optional<DecisionRule> decision_rule_named(std::string_view name) {
    for (const DecisionRuleInfo& rule : decision_rule_table) {
        if (name == rule.name)
            return rule.rule;
    }
    return std::nullopt;
}

double error_degrees_of_freedom(double u_c, double nu_c, double u_e) {
    if (std::isinf(nu_c) || u_c == 0.0)
        return infinite_degrees_of_freedom;
    // As a ratio, so that neither fourth power overflows or underflows.
    const double ratio = u_e / u_c;
    const double nu = ratio * ratio * ratio * ratio * nu_c;
    return std::isinf(nu) ? infinite_degrees_of_freedom : std::max(1.0, std::floor(nu));
}

namespace {

// Whether |e| is within limit, e having been formed as R - G: 20.1 - 20.0 is
// 0.10000000000000142 in binary, so an error at the limit as the user reads it
// would fail by the rounding of R and G alone. A few units in the last place
// of the larger of them are forgiven.
bool within(double e, double limit, double reading, double gas) {
    const double rounding = std::ldexp(std::max(std::abs(reading), std::abs(gas)), -50);
    return std::abs(e) <= limit + rounding;
}

}  // namespace

double probability_within(double e, double u, double dof, double tolerance) {
    if (u == 0.0)
        return std::abs(e) <= tolerance ? 1.0 : 0.0;
    const double high = (tolerance - e) / u;
    const double low = (-tolerance - e) / u;
    // Both limits in the upper tail: the difference of the two tails, which
    // keeps the digits a difference of two numbers near 1 would lose.
    if (low > 0.0)
        return student_t_cdf(-low, dof) - student_t_cdf(-high, dof);
    return student_t_cdf(high, dof) - student_t_cdf(low, dof);
}

AnalyzerCheck check_analyzer(const CheckReference& reference, const CheckRequest& request) {
    AnalyzerCheck check;
    check.reading = request.reading;
    check.tolerance = request.tolerance;
    check.error = request.reading - reference.gas;
    // sqrt is correctly rounded on every platform, hypot is not.
    check.standard_uncertainty = std::sqrt(reference.standard_uncertainty * reference.standard_uncertainty +
                                           request.standard_uncertainty * request.standard_uncertainty);
    check.effective_degrees_of_freedom = error_degrees_of_freedom(
        reference.standard_uncertainty, reference.effective_degrees_of_freedom, check.standard_uncertainty);
    check.coverage_factor = reference.coverage_probability ? coverage_factor_for(*reference.coverage_probability,
                                                                                 check.effective_degrees_of_freedom)
                                                           : coverage_factor;
    check.expanded_uncertainty = check.coverage_factor * check.standard_uncertainty;
    const double guard_band = request.rule == DecisionRule::guarded ? check.expanded_uncertainty : 0.0;
    check.acceptance_limit = request.tolerance - guard_band;
    check.pass =
        check.acceptance_limit >= 0.0 && within(check.error, check.acceptance_limit, request.reading, reference.gas);
    check.probability_of_conformity =
        check.standard_uncertainty == 0.0
            ? (within(check.error, request.tolerance, request.reading, reference.gas) ? 1.0 : 0.0)
            : probability_within(check.error, check.standard_uncertainty, check.effective_degrees_of_freedom,
                                 request.tolerance);
    return check;
}

}  // namespace kestrane
