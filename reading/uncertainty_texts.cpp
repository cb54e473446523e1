// The texts of a budget's numbers, shared by the text and the JSON of a reading.
#include <cmath>

#include "core/certificate_text.h"
#include "decimal_text.h"
#include "reading_text.h"

namespace kestrane {
namespace {

// Significant digits of the budget's numbers: enough to rank the inputs and
// to check a hand calculation.
constexpr int budget_digits = 4;

// value to `digits` significant digits, trailing zeros dropped when trimmed:
// an input's uncertainty as it was given, "0.05", not "0.05000".
std::string number(double value, int digits, bool trimmed = false) {
    std::string text = significant_text(value, digits);
    if (trimmed && text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.')
            text.pop_back();
    }
    return text;
}

std::string share_text(double share_pct) {
    return format_value(share_pct, "%.1f");
}

std::string distribution_text(const BudgetQuantity& q) {
    std::string text(info(q.shape).name);
    if (q.half_width)
        text += ", a = " + number(*q.half_width, budget_digits, true);
    if (std::isfinite(q.degrees_of_freedom)) {
        text += ", " + plain_decimal_text(q.degrees_of_freedom) +
                (q.degrees_of_freedom == 1.0 ? " degree of freedom" : " degrees of freedom");
    }
    return text;
}

}  // namespace

std::array<BudgetQuantity, budget_term_count> budget_quantities(const ReadingQuery& q, const ReadingOutcome& o) {
    std::array<BudgetQuantity, budget_term_count> quantities{};
    for (const Field field : all_fields) {
        const InputUncertainty& u = o.uncertainties[field];
        BudgetQuantity& quantity = quantities[static_cast<std::size_t>(field)];
        quantity = {info(field).column, info(field).label, field_unit_text(field, q.units), u.shape, std::nullopt,
                    u.degrees_of_freedom};
        if (u.shape != Shape::normal)
            quantity.half_width = u.value;
    }
    const std::string_view pressure_unit = selected_unit(UnitKind::pressure, q.units).text;
    const UncertaintyBudget& budget = (*o.uncertainty)[Result::calculated_gas_pct];
    for (const ModelTermInfo& term : model_term_table) {
        const std::size_t at = field_count + static_cast<std::size_t>(term.term);
        // The budget holds the term's standard uncertainty in the unit; its
        // half-width is that times the rectangle's divisor.
        const double half_width = budget.lines[at].standard_uncertainty * info(Shape::rectangular).divisor;
        quantities[at] = {term.key, term.label, pressure_unit, Shape::rectangular, half_width,
                          infinite_degrees_of_freedom};
    }
    return quantities;
}

BudgetLineTexts budget_line_texts(const BudgetLine& line, const BudgetQuantity& quantity) {
    return {number(line.standard_uncertainty, budget_digits, true), number(line.sensitivity, budget_digits),
            number(line.contribution, budget_digits), share_text(line.variance_share_pct),
            distribution_text(quantity)};
}

std::string correlation_share_text(const CorrelationLine& line) {
    return share_text(line.variance_share_pct);
}

std::string standard_uncertainty_text(const UncertaintyBudget& budget) {
    return number(budget.uncertainty.standard, budget_digits);
}

std::string expanded_uncertainty_text(const UncertaintyBudget& budget) {
    return certificate_text(budget.uncertainty.expanded).text;
}

std::string value_text(double value, const UncertaintyBudget& budget) {
    return value_to_uncertainty_text(value, expanded_uncertainty_text(budget));
}

std::string coverage_factor_text(double k) {
    return number(k, 3, true);
}

std::string coverage_text(const UncertaintyResult& u, std::optional<double> coverage_probability) {
    std::string text = "k = " + coverage_factor_text(u.coverage_factor);
    if (coverage_probability)
        text += ", p = " + percent_text(*coverage_probability) + " %";
    return text;
}

std::string degrees_of_freedom_text(double degrees_of_freedom) {
    return std::isfinite(degrees_of_freedom) ? format_value(degrees_of_freedom, "%.0f") : "infinite";
}

}  // namespace kestrane
