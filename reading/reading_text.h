// One reading as a person reads it: the four results, a pressure with its
// unit, and, when uncertainties are given, the expanded uncertainty beside the
// two results it is stated for, the budget of each, and a Monte Carlo check.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/monte_carlo.h"
#include "core/reading.h"
#include "core/uncertainty.h"

namespace kestrane {

// The words of a budget: its title before the result's label, its columns, and its total.
inline constexpr std::string_view budget_title = "Uncertainty budget of ";
inline constexpr std::string_view budget_correlation = ", inputs uncorrelated";
inline constexpr std::array<std::string_view, 5> budget_headings = {"Input", "Standard uncertainty", "Sensitivity",
                                                                    "Contribution", "Share"};
inline constexpr std::string_view combined_uncertainty_words = "Combined standard uncertainty";

// The results, each as its label, a colon and the text the dialog shows ("6.19
// In Hg"); with an uncertainty, "20.64 ± 0.11 (k = 2)" and "6.19 In Hg ± 0.032
// In Hg (k = 2)". Numbers with a decimal comma when it is asked for.
std::string results_text(const Correction& correction, UnitSelection units, bool decimal_comma,
                         const CorrectionUncertainty* uncertainty = nullptr);

// The budget of one result: a line per input with its standard uncertainty,
// sensitivity coefficient, contribution and share of the variance, then the
// combined standard and the expanded uncertainty.
std::string budget_text(Result result, const UncertaintyBudget& budget, UnitSelection units, bool decimal_comma);

// The numbers of one line of a budget, as every front end writes them.
struct BudgetLineTexts {
    std::string standard_uncertainty;  // as given: "0.05", not "0.05000"
    std::string sensitivity;
    std::string contribution;
    std::string share;  // of the variance, per cent with one decimal
};
BudgetLineTexts budget_line_texts(const BudgetLine& line, bool decimal_comma);

// The combined standard uncertainty of a budget, and its expanded uncertainty
// (k = 2) as a certificate states it.
std::string standard_uncertainty_text(const UncertaintyBudget& budget, bool decimal_comma);
std::string expanded_uncertainty_text(const UncertaintyBudget& budget, bool decimal_comma);

// What Monte Carlo's draws gave for the Calculated Gas, and how many were refused.
std::string monte_carlo_text(const MonteCarloResult& result, std::uint64_t seed, bool decimal_comma);

}  // namespace kestrane
