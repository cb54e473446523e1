// The uncertainty of the Calculated Gas by propagating the inputs'
// distributions through the correction itself, as JCGM 101:2008 does: where
// the law of propagation linearises the formula, this draws whole readings.
// The draws are the same bits on every build (portable_random.h), so a seed
// names one result everywhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "fields.h"
#include "model_terms.h"
#include "portable_random.h"
#include "uncertainty.h"
#include "units.h"

namespace kestrane {

// The seed of a run that names none: "KESTRANE" in ASCII.
inline constexpr std::uint64_t default_monte_carlo_seed = 0x4b45535452414e45;

// The draws are made and summarised in blocks of this many (JCGM 101 7.9's M
// of the adaptive procedure).
inline constexpr std::size_t monte_carlo_block = 10000;
// The most draws a run makes, fixed or adaptive.
inline constexpr std::size_t monte_carlo_most_draws = 10000000;

// The fewest draws a fixed run may ask for at coverage probability p: 10^4 / (1 - p),
// rounded up to a whole block (200000 at 95 %).
std::size_t monte_carlo_fewest_draws(double coverage_probability);

// Which coverage interval: probabilistically symmetric (the 2.5 % and 97.5 %
// points at 95 %) or the shortest that covers the probability.
enum class CoverageInterval { symmetric, shortest };
inline constexpr std::string_view interval_name(CoverageInterval kind) {
    return kind == CoverageInterval::symmetric ? "symmetric" : "shortest";
}

struct MonteCarloRequest {
    std::optional<std::size_t> draws;  // none: the adaptive procedure
    std::uint64_t seed = default_monte_carlo_seed;
    double coverage_probability = 0.95;
    CoverageInterval interval = CoverageInterval::symmetric;
};

// JCGM 101 clause 8: whether the budget's interval y +/- U_p (U_p with the
// coverage factor at the run's coverage probability) agrees with Monte Carlo's
// to the numerical tolerance delta of u(y) to two significant digits.
struct MonteCarloValidation {
    double budget_low = 0.0;   // y - U_p
    double budget_high = 0.0;  // y + U_p
    double d_low = 0.0;        // |y - U_p - y_low|
    double d_high = 0.0;       // |y + U_p - y_high|
    double delta = 0.0;
    bool validated = false;
};

// What the draws gave for the Calculated Gas (% Vol). The statistics are of the
// accepted draws alone; with none accepted they are NaN.
struct MonteCarloResult {
    std::size_t draws = 0;
    // Draws with no physical meaning, left out: a humidity outside 0 to 100 %,
    // a pressure or a gas at or below 0, a temperature below absolute zero.
    std::size_t refused = 0;
    // Accepted draws whose result is not a finite number (the height formula's
    // pole), also left out.
    std::size_t not_finite = 0;
    bool adaptive = false;
    // Whether the statistics reached the numerical tolerance of u(y) to two
    // significant digits (an adaptive run that stopped at the most draws, or a
    // fixed run too short or too heavy-tailed for it, did not).
    bool converged = false;
    double mean = 0.0;
    double standard_deviation = 0.0;  // with the M - 1 divisor
    double coverage_probability = 0.95;
    CoverageInterval interval = CoverageInterval::symmetric;
    double coverage_low = 0.0;
    double coverage_high = 0.0;
    // The numerical tolerance the statistics are stated to: 10^decimal_exponent / 2,
    // the finest for which twice the standard deviations of the blocks' means,
    // standard deviations and interval ends over their number of blocks are within it.
    // The blocks are of monte_carlo_block accepted values each, in the order
    // drawn. With fewer than two blocks it is u(y)'s first digit's (not
    // converged); with values all equal, y's sixth significant digit's
    // (converged); with no value accepted, exponent 0 (not converged).
    int decimal_exponent = 0;
    double tolerance = 0.0;
    MonteCarloValidation validation;

    std::size_t accepted() const { return draws - refused - not_finite; }
    // The share of the draws refused, in per cent; above refused_warning_pct the
    // output warns that the statistics are of the accepted draws only.
    double refused_pct() const { return draws == 0 ? 0.0 : 100.0 * static_cast<double>(refused) / static_cast<double>(draws); }
};
inline constexpr double refused_warning_pct = 1.0;

// The value and budget a run is checked against (clause 8): the Calculated
// Gas, its combined standard uncertainty u(y) and its expanded uncertainty
// U_p with the coverage factor at the run's coverage probability (which the
// caller takes from coverage_factor_for at the budget's effective degrees of
// freedom, whatever k the budget states).
struct BudgetForValidation {
    double value = 0.0;
    double standard_uncertainty = 0.0;
    double expanded_uncertainty = 0.0;
};

// A run that can be advanced a block at a time (the page's worker reports
// progress between blocks). Each draw takes its deviates in one fixed order,
// six inputs then two model terms, each even when its uncertainty is 0, so a
// seed gives each input the same deviates whatever the other uncertainties
// are. Shapes are another matter: normal and arcsine deviates are found by
// rejection, so a change of one input's shape changes how many numbers of
// the sequence a draw takes, and the deviates of everything after it.
// Correlated inputs are drawn from their own shapes' deviates mixed by a
// Cholesky factor of the correlation matrix, which gives the stated
// correlations exactly.
class MonteCarloRun {
public:
    MonteCarloRun(const CorrectionInputs& values,
                  UnitSelection selection,
                  const UncertaintyInputs& uncertainties,
                  const ModelTermHalfWidths& model_terms,
                  const MonteCarloRequest& request);

    // Draws one more block (fewer at the end of a fixed run); false, drawing
    // nothing, once the run is done.
    bool step();
    bool done() const;
    // How far the run is, 0 to 1 (an adaptive run: its draws of the most it may make).
    double progress() const;
    MonteCarloResult result(const BudgetForValidation& budget) const;

private:
    struct State;
    std::shared_ptr<State> state_;
};

// A whole run: MonteCarloRun stepped until done.
MonteCarloResult monte_carlo_calculated_gas(const CorrectionInputs& values,
                                            UnitSelection selection,
                                            const UncertaintyInputs& uncertainties,
                                            const ModelTermHalfWidths& model_terms,
                                            const MonteCarloRequest& request,
                                            const BudgetForValidation& budget);

}  // namespace kestrane
