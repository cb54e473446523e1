// The texts of a Monte Carlo run: its block of lines and the numbers in it.
#include <algorithm>
#include <cmath>

#include "decimal_text.h"
#include "reading_text.h"

namespace kestrane {
namespace {

// The decimals that state a number to a tolerance of 10^exponent / 2: the
// statistics to the place of 10^exponent, the tolerance itself one further.
int statistic_decimals(int exponent) {
    return std::max(0, -exponent);
}
int tolerance_decimals(double tolerance) {
    if (!(tolerance > 0.0) || !std::isfinite(tolerance))
        return 0;
    const int exponent = static_cast<int>(std::lround(std::log10(2.0 * tolerance)));
    return std::max(0, 1 - exponent);
}

std::string fixed(double value, int decimals) {
    FixedFormat format;
    format.precision = decimals;
    return format_value(value, format);
}

std::string marked(std::string text, const ReadingRules& rules) {
    apply_mark(text, rules);
    return text;
}

}  // namespace

MonteCarloTexts monte_carlo_texts(const MonteCarloResult& r) {
    const int statistics = statistic_decimals(r.decimal_exponent);
    const int tolerance = tolerance_decimals(r.tolerance);
    const int validation = std::max(tolerance, tolerance_decimals(r.validation.delta));
    return {fixed(r.mean, statistics),           fixed(r.standard_deviation, statistics),
            fixed(r.coverage_low, statistics),   fixed(r.coverage_high, statistics),
            fixed(r.tolerance, tolerance),       fixed(r.validation.d_low, validation),
            fixed(r.validation.d_high, validation), fixed(r.validation.delta, validation)};
}

std::string monte_carlo_lines(const MonteCarloResult& r, std::uint64_t seed, const ReadingRules& rules) {
    const MonteCarloTexts t = monte_carlo_texts(r);
    const auto m = [&rules](const std::string& text) { return marked(text, rules); };
    std::string out = std::string("Monte Carlo, ") + (r.adaptive ? "adaptive, " : "") + std::to_string(r.draws) +
                      " draws (seed " + std::to_string(seed) + "), " + std::to_string(r.refused) +
                      " refused as physically meaningless";
    if (r.not_finite != 0)
        out += ", " + std::to_string(r.not_finite) + " with no finite result";
    if (r.accepted() != r.draws)
        out += "; the statistics are of the " + std::to_string(r.accepted()) + " accepted";
    out += ":\n" + std::string(info(Result::calculated_gas_pct).label) + ": mean " + m(t.mean) +
           ", standard deviation " + m(t.standard_deviation) + ", " + m(percent_text(r.coverage_probability)) +
           " % coverage interval (" +
           (r.interval == CoverageInterval::symmetric ? "probabilistically symmetric" : "shortest") + ") " +
           m(t.low) + " to " + m(t.high) + ", numerical tolerance " + m(t.tolerance) + "\n";
    if (!r.converged) {
        out += "Monte Carlo did not converge: its statistics are stable only to " + m(t.tolerance) + " after " +
               std::to_string(r.draws) + " draws.\n";
    }
    return out + "Budget " + (r.validation.validated ? "validated" : "not validated") +
           " (JCGM 101 clause 8): d_low " + m(t.d_low) + ", d_high " + m(t.d_high) + ", \u03b4 " + m(t.delta) + "\n";
}

std::optional<std::string> monte_carlo_warning(const MonteCarloResult& r) {
    if (!(r.refused_pct() > refused_warning_pct))
        return std::nullopt;
    return format_value(r.refused_pct(), "%.1f") +
           " % of Monte Carlo's draws had no physical meaning and were left out: the statistics are of the accepted "
           "draws only";
}

std::vector<std::string> outcome_warnings(const ReadingQuery& q, const ReadingOutcome& o) {
    std::vector<std::string> warnings = warning_texts(o.correction.warnings, q.units);
    if (o.monte_carlo) {
        if (std::optional<std::string> warning = monte_carlo_warning(*o.monte_carlo))
            warnings.push_back(std::move(*warning));
    }
    return warnings;
}

}  // namespace kestrane
