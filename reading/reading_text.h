// One reading as a person reads it: the four results, a pressure with its
// unit, and, when uncertainties are given, the expanded uncertainty beside the
// two results it is stated for, the budget of each, and a Monte Carlo check.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "evaluate.h"

namespace kestrane {

// The words of a budget: its title before the result's label, its columns, and its total.
inline constexpr std::string_view budget_title = "Uncertainty budget of ";
inline constexpr std::string_view budget_correlation = ", inputs uncorrelated";
inline constexpr std::array<std::string_view, 5> budget_headings = {"Input", "Standard uncertainty", "Sensitivity",
                                                                    "Contribution", "Share"};
inline constexpr std::string_view combined_uncertainty_words = "Combined standard uncertainty";

// The text of a reading as a person reads it: each result as its label, a
// colon and the text the dialog shows ("6.19 In Hg"); with an uncertainty,
// "20.64 ± 0.11 (k = 2)" beside the two results it is stated for, the budget
// of each, and Monte Carlo's check when it ran. Numbers are written with the
// query's decimal mark. Empty for a refused reading.
std::string reading_text(const ReadingQuery& query, const ReadingOutcome& outcome);

// The numbers of one line of a budget, as every front end writes them (with a
// decimal point: each output applies its own mark).
struct BudgetLineTexts {
    std::string standard_uncertainty;  // as given: "0.05", not "0.05000"
    std::string sensitivity;
    std::string contribution;
    std::string share;  // of the variance, per cent with one decimal
};
BudgetLineTexts budget_line_texts(const BudgetLine& line);

// The combined standard uncertainty of a budget, and its expanded uncertainty
// as a certificate states it.
std::string standard_uncertainty_text(const UncertaintyBudget& budget);
std::string expanded_uncertainty_text(const UncertaintyBudget& budget);

// "(k = 2)": the coverage factor an expanded uncertainty is stated with.
std::string coverage_text();

}  // namespace kestrane
