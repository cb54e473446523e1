// The check of a gas analyzer against the calculated gas: the error of its
// reading, the uncertainty of that error, the decision against a tolerance by
// a stated rule (ILAC-G8:09/2019) and the probability that the error truly lies
// within the tolerance (JCGM 106:2012, 7).
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace kestrane {

// How a reading is decided against its tolerance: simple acceptance (the
// acceptance limit is the tolerance) or guarded acceptance (the tolerance less
// the expanded uncertainty of the error).
enum class DecisionRule { simple, guarded };
inline constexpr std::size_t decision_rule_count = 2;

struct DecisionRuleInfo {
    DecisionRule rule;
    std::string_view name;   // as an option's value and a JSON value write it
    std::string_view words;  // as a check's line names it beside its decision
};

inline constexpr std::array<DecisionRuleInfo, decision_rule_count> decision_rule_table = {{
    {DecisionRule::simple, "simple", "simple acceptance (ILAC-G8:09/2019, w = 0)"},
    {DecisionRule::guarded, "guarded", "guarded acceptance (ILAC-G8:09/2019, w = U)"},
}};

inline const DecisionRuleInfo& info(DecisionRule rule) {
    return decision_rule_table[static_cast<std::size_t>(rule)];
}

// The rule a name stands for, exactly as decision_rule_table writes it.
std::optional<DecisionRule> decision_rule_named(std::string_view name);

// What the analyzer is checked against: the calculated gas (% Vol), its
// combined standard uncertainty and effective degrees of freedom, and the
// coverage probability its expanded uncertainty is stated for (none: k = 2).
struct CheckReference {
    double gas = 0.0;
    double standard_uncertainty = 0.0;
    double effective_degrees_of_freedom = 0.0;
    std::optional<double> coverage_probability;
};

// One reading of the analyzer (% Vol) with its own standard uncertainty
// (resolution, repeatability; infinite degrees of freedom), the tolerance
// (± % Vol, above 0) and the rule.
struct CheckRequest {
    double reading = 0.0;
    double standard_uncertainty = 0.0;
    double tolerance = 0.0;
    DecisionRule rule = DecisionRule::simple;
};

struct AnalyzerCheck {
    double reading = 0.0;                       // R, as the request gives it
    double tolerance = 0.0;                     // T, as the request gives it
    double error = 0.0;                         // e = R - G
    double standard_uncertainty = 0.0;          // u(e) = sqrt(u_c^2 + u_a^2)
    double effective_degrees_of_freedom = 0.0;  // of u(e); infinite when u_c's are
    double coverage_factor = 0.0;               // k as the reading states its own
    double expanded_uncertainty = 0.0;          // U(e) = k u(e)
    double acceptance_limit = 0.0;              // T - w; below 0 nothing passes
    bool pass = false;
    double probability_of_conformity = 0.0;  // P(|E| <= T), 0 to 1
};

// A decision as texts, the JSON and a log's cells write it.
constexpr std::string_view decision_word(bool pass) {
    return pass ? "pass" : "fail";
}

AnalyzerCheck check_analyzer(const CheckReference& reference, const CheckRequest& request);

// The degrees of freedom of u(e) by Welch-Satterthwaite, the analyzer's own
// term having infinitely many: u(e)^4 / (u_c^4 / nu_c), truncated, at least
// 1; infinite when nu_c is, or u_c is 0.
double error_degrees_of_freedom(double u_c, double nu_c, double u_e);

// P(-T <= E <= T) for E distributed about e with scale u: normal for dof
// infinite, else Student's t scaled and shifted. With u = 0, 1 when |e| <= T
// and otherwise 0.
double probability_within(double e, double u, double dof, double tolerance);

}  // namespace kestrane
