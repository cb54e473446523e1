// One reading as a person reads it: the four results, a pressure with its
// unit, and, when uncertainties are given, each result's value to the digits
// of its expanded uncertainty with that uncertainty, the budget of each, and
// Monte Carlo's check. The texts of numbers the JSON also carries are made
// here, so that both say the same.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "evaluate.h"

namespace kestrane {

// The words of a budget: its title before the result's label, its columns, and its total.
inline constexpr std::string_view budget_title = "Uncertainty budget of ";
inline constexpr std::string_view budget_uncorrelated = ", inputs uncorrelated";
inline constexpr std::string_view budget_correlated = ", inputs correlated";
inline constexpr std::array<std::string_view, 6> budget_headings = {
    "Input", "Standard uncertainty", "Sensitivity", "Contribution", "Share", "Distribution"};
inline constexpr std::string_view combined_uncertainty_words = "Combined standard uncertainty";
// The words of a budget's lines after its rows: a correlated pair's, and the
// closing line's besides combined_uncertainty_words.
inline constexpr std::string_view correlated_pair_words = "Correlated: ";
inline constexpr std::string_view effective_dof_words = "effective degrees of freedom";
inline constexpr std::string_view expanded_uncertainty_words = "expanded uncertainty";

// The text of a reading as a person reads it: the record's lines when it has
// one; each result as its label, a
// colon and the text the dialog shows ("6.19 In Hg"); the analyzer's checks'
// lines when asked for; with an uncertainty,
// "(20.6449 ± 0.0020, k = 2)" after each result, the budget of each, and
// Monte Carlo's block when it ran. Numbers are written with the query's
// decimal mark. Empty for a refused reading.
std::string reading_text(const ReadingQuery& query, const ReadingOutcome& outcome);

// The words that begin an analyzer's check's line.
inline constexpr std::string_view as_found_words = "Analyzer as found (% Vol): ";
inline constexpr std::string_view as_left_words = "Analyzer as left (% Vol): ";

// A probability of conformity as a per cent with one decimal: "78.3 %";
// "100.0 %" and "0.0 %" only when it is exactly 1 or 0 ("99.9 %", "0.1 %" next to them).
std::string probability_text(double probability);

// The numbers of an analyzer's check as its line states them, with a decimal
// point: the reading and the tolerance as typed (trimmed), the error to the
// last digit of its expanded uncertainty, that uncertainty as a certificate
// states it, the coverage as the results state theirs, the probability.
struct CheckTexts {
    std::string reading;
    std::string error;
    std::string expanded;
    std::string coverage;
    std::string tolerance;
    std::string probability;
};
CheckTexts check_texts(const ReadingQuery& query, const AnalyzerCheck& check, CheckInput reading);

// The line of a check (reading: as_found or as_left), numbers in the rules' mark, no line break:
// Analyzer as found (% Vol): 20.70; error 0.055 (± 0.11, k = 2); tolerance ± 0.10: pass, simple acceptance (ILAC-G8:09/2019, w = 0); probability of conformity 78.3 %
std::string check_line(const ReadingQuery& query, const AnalyzerCheck& check, CheckInput reading,
                       const ReadingRules& rules);

// One quantity of a budget as its line describes it: an input or a model term.
struct BudgetQuantity {
    std::string_view key;    // the input's column, or the model term's key
    std::string_view label;  // the input's label, or the model term's
    std::string_view unit;   // the field's unit, or the chosen pressure unit
    Shape shape = Shape::normal;
    std::optional<double> half_width;  // for a shape other than normal, in the unit
    double degrees_of_freedom = infinite_degrees_of_freedom;
};
// The quantities of a corrected reading's budgets, in budget order.
std::array<BudgetQuantity, budget_term_count> budget_quantities(const ReadingQuery& query,
                                                                const ReadingOutcome& outcome);

// The numbers of one line of a budget, as every front end writes them (with a
// decimal point: each output applies its own mark).
struct BudgetLineTexts {
    std::string standard_uncertainty;  // as given: "0.05", not "0.05000"
    std::string sensitivity;
    std::string contribution;
    std::string share;  // of the variance, per cent with one decimal
    std::string distribution;  // "normal", "rectangular, a = 0.05", "normal, 4 degrees of freedom"
};
BudgetLineTexts budget_line_texts(const BudgetLine& line, const BudgetQuantity& quantity);

// A correlated pair's share of a budget's variance, per cent with one decimal ("-99.4").
std::string correlation_share_text(const CorrelationLine& line);

// The combined standard uncertainty of a budget, its expanded uncertainty as
// a certificate states it, and a value to the last digit of that expanded
// uncertainty (GUM 7.2.6).
std::string standard_uncertainty_text(const UncertaintyBudget& budget);
std::string expanded_uncertainty_text(const UncertaintyBudget& budget);
std::string value_text(double value, const UncertaintyBudget& budget);

// A coverage factor to three significant digits, trailing zeros dropped: "2", "2.13".
std::string coverage_factor_text(double k);
// The coverage an expanded uncertainty is stated with: "k = 2", or with a
// coverage probability asked for, "k = 2.13, p = 95 %".
std::string coverage_text(const UncertaintyResult& u, std::optional<double> coverage_probability);
// "infinite", or the whole number of effective degrees of freedom: "14".
std::string degrees_of_freedom_text(double degrees_of_freedom);

// The numbers of a Monte Carlo run as its block states them: the statistics
// to the run's numerical tolerance, the validation's to its own.
struct MonteCarloTexts {
    std::string mean;
    std::string standard_deviation;
    std::string low;
    std::string high;
    std::string tolerance;
    std::string d_low;
    std::string d_high;
    std::string delta;
};
MonteCarloTexts monte_carlo_texts(const MonteCarloResult& result);

// The lines of a Monte Carlo run's block, each ending in a line break, with
// the rules' decimal mark:
// Monte Carlo, 200000 draws (seed 5423832947860000325), 0 refused as physically meaningless:
std::string monte_carlo_lines(const MonteCarloResult& result, std::uint64_t seed, const ReadingRules& rules);

// The warning of a run that left out more than refused_warning_pct of its
// draws: "49.9 % of Monte Carlo's draws had no physical meaning and were left
// out: the statistics are of the accepted draws only".
std::optional<std::string> monte_carlo_warning(const MonteCarloResult& result);

// Every warning of a corrected reading, in the order it gives them: the
// results' (warning_texts), then Monte Carlo's.
std::vector<std::string> outcome_warnings(const ReadingQuery& query, const ReadingOutcome& outcome);

}  // namespace kestrane
