#include "reading_text.h"

#include <algorithm>

#include "core/certificate_text.h"

namespace kestrane {
namespace {

// Significant digits of the budget's numbers: enough to rank the inputs and
// to check a hand calculation.
constexpr int budget_digits = 4;

std::string number(double value, int digits, bool decimal_comma, bool trimmed = false) {
    std::string text = significant_text(value, digits);
    // An input's uncertainty as it was given: "0.05", not "0.05000".
    if (trimmed && text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.')
            text.pop_back();
    }
    if (decimal_comma)
        use_decimal_comma(text);
    return text;
}

// " In Hg" after a pressure, nothing after a per cent.
std::string unit_suffix(Result result, UnitSelection units) {
    return info(result).unit == ResultUnit::percent ? "" : " " + std::string(result_unit_text(result, units));
}

const UncertaintyBudget* budget_of(Result result, const CorrectionUncertainty& u) {
    if (result == Result::calculated_gas_pct)
        return &u.calculated_gas_pct;
    return result == Result::calculated_gas_pressure ? &u.calculated_gas_pressure : nullptr;
}

// The widths of the budget's columns but the last, in characters.
constexpr std::array<std::size_t, 4> widths = {23, 23, 13, 17};

// Pads text with spaces to width, for the budget's columns.
std::string padded(std::string text, std::size_t width) {
    // UTF-8 continuation bytes take no column of their own.
    const auto columns = static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
    return text.append(width > columns ? width - columns : 1, ' ');
}

}  // namespace

BudgetLineTexts budget_line_texts(const BudgetLine& line, bool decimal_comma) {
    std::string share = format_value(line.variance_share_pct, "%.1f");
    if (decimal_comma)
        use_decimal_comma(share);
    return {number(line.standard_uncertainty, budget_digits, decimal_comma, true),
            number(line.sensitivity, budget_digits, decimal_comma),
            number(line.contribution, budget_digits, decimal_comma), share};
}

std::string standard_uncertainty_text(const UncertaintyBudget& budget, bool decimal_comma) {
    return number(budget.uncertainty.standard, budget_digits, decimal_comma);
}

std::string expanded_uncertainty_text(const UncertaintyBudget& budget, bool decimal_comma) {
    std::string text = certificate_text(budget.uncertainty.expanded).text;
    if (decimal_comma)
        use_decimal_comma(text);
    return text;
}

std::string results_text(const Correction& c, UnitSelection units, bool decimal_comma,
                         const CorrectionUncertainty* uncertainty) {
    const ResultTexts texts = c.texts();
    std::string out;
    for (const Result result : all_results) {
        std::string text = texts.*info(result).text;
        if (decimal_comma)
            use_decimal_comma(text);
        const std::string unit = unit_suffix(result, units);
        out.append(info(result).label).append(": ").append(text).append(unit);
        if (const UncertaintyBudget* budget = uncertainty ? budget_of(result, *uncertainty) : nullptr) {
            out.append(" \u00b1 ").append(expanded_uncertainty_text(*budget, decimal_comma)).append(unit).append(" (k = 2)");
        }
        out += '\n';
    }
    return out;
}

std::string budget_text(Result result, const UncertaintyBudget& budget, UnitSelection units, bool decimal_comma) {
    const std::string unit = unit_suffix(result, units);
    const std::string result_unit = unit.empty() ? " %" : unit;
    std::string out = "\n" + std::string(budget_title) + std::string(info(result).label) +
                      std::string(budget_correlation) + ":\n";
    for (std::size_t column = 0; column < widths.size(); ++column)
        out += padded(std::string(budget_headings[column]), widths[column]);
    out += std::string(budget_headings.back()) + "\n";
    for (const Field field : all_fields) {
        const BudgetLineTexts line = budget_line_texts(budget.lines[static_cast<std::size_t>(field)], decimal_comma);
        out += padded(std::string(info(field).label), widths[0]) +
               padded(line.standard_uncertainty + " " + std::string(field_unit_text(field, units)), widths[1]) +
               padded(line.sensitivity, widths[2]) + padded(line.contribution + result_unit, widths[3]) + line.share +
               " %\n";
    }
    return out + std::string(combined_uncertainty_words) + " " + standard_uncertainty_text(budget, decimal_comma) +
           result_unit + "; expanded uncertainty (k = 2) " + expanded_uncertainty_text(budget, decimal_comma) + result_unit + "\n";
}

std::string monte_carlo_text(const MonteCarloResult& r, std::uint64_t seed, bool decimal_comma) {
    constexpr int digits = 6;
    std::string out = "\nMonte Carlo, " + std::to_string(r.draws) + " draws (seed " + std::to_string(seed) + "), " +
                      std::to_string(r.refused) + " refused by the fields' ranges";
    if (r.not_finite != 0)
        out += ", " + std::to_string(r.not_finite) + " with no finite result";
    out += ":\n" + std::string(info(Result::calculated_gas_pct).label) + ": mean " +
           number(r.mean, digits, decimal_comma) + ", standard deviation " +
           number(r.standard_deviation, digits, decimal_comma) + ", 95 % coverage interval " +
           number(r.coverage_low, digits, decimal_comma) + " to " + number(r.coverage_high, digits, decimal_comma) +
           "\n";
    return out;
}

}  // namespace kestrane
