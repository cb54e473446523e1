#include "reading_text.h"

#include <algorithm>

#include "core/certificate_text.h"

namespace kestrane {
namespace {

// Significant digits of the budget's numbers: enough to rank the inputs and
// to check a hand calculation.
constexpr int budget_digits = 4;

std::string number(double value, int digits, bool trimmed = false) {
    std::string text = significant_text(value, digits);
    // An input's uncertainty as it was given: "0.05", not "0.05000".
    if (trimmed && text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.')
            text.pop_back();
    }
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

// Writes one reading's text, every number through marked(), so that the
// query's decimal mark is applied in this one place.
class TextWriter {
public:
    TextWriter(const ReadingQuery& query, const ReadingOutcome& outcome) : q_(query), o_(outcome) {}

    std::string results() const;
    std::string budget(Result result, const UncertaintyBudget& budget) const;
    std::string monte_carlo(const MonteCarloResult& r) const;

private:
    std::string marked(std::string text) const {
        apply_mark(text, q_.rules);
        return text;
    }

    const ReadingQuery& q_;
    const ReadingOutcome& o_;
};

std::string TextWriter::results() const {
    const ResultTexts texts = o_.correction.texts();
    std::string out;
    for (const Result result : all_results) {
        const std::string unit = unit_suffix(result, q_.units);
        out.append(info(result).label).append(": ").append(marked(texts.*info(result).text)).append(unit);
        if (const UncertaintyBudget* b = o_.uncertainty ? budget_of(result, *o_.uncertainty) : nullptr)
            out.append(" \u00b1 ").append(marked(expanded_uncertainty_text(*b))).append(unit + " " + coverage_text());
        out += '\n';
    }
    return out;
}

std::string TextWriter::budget(Result result, const UncertaintyBudget& budget) const {
    const std::string unit = unit_suffix(result, q_.units);
    const std::string result_unit = unit.empty() ? " %" : unit;
    std::string out = "\n" + std::string(budget_title) + std::string(info(result).label) +
                      std::string(budget_correlation) + ":\n";
    for (std::size_t column = 0; column < widths.size(); ++column)
        out += padded(std::string(budget_headings[column]), widths[column]);
    out += std::string(budget_headings.back()) + "\n";
    for (const Field field : all_fields) {
        const BudgetLineTexts line = budget_line_texts(budget.lines[static_cast<std::size_t>(field)]);
        out += padded(std::string(info(field).label), widths[0]) +
               padded(marked(line.standard_uncertainty) + " " + std::string(field_unit_text(field, q_.units)),
                      widths[1]) +
               padded(marked(line.sensitivity), widths[2]) + padded(marked(line.contribution) + result_unit, widths[3]) +
               marked(line.share) + " %\n";
    }
    return out + std::string(combined_uncertainty_words) + " " + marked(standard_uncertainty_text(budget)) +
           result_unit + "; expanded uncertainty " + coverage_text() + " " +
           marked(expanded_uncertainty_text(budget)) + result_unit + "\n";
}

std::string TextWriter::monte_carlo(const MonteCarloResult& r) const {
    constexpr int digits = 6;
    std::string out = "\nMonte Carlo, " + std::to_string(r.draws) + " draws (seed " + std::to_string(q_.seed) +
                      "), " + std::to_string(r.refused) + " refused by the fields' ranges";
    if (r.not_finite != 0)
        out += ", " + std::to_string(r.not_finite) + " with no finite result";
    return out + ":\n" + std::string(info(Result::calculated_gas_pct).label) + ": mean " +
           marked(number(r.mean, digits)) + ", standard deviation " + marked(number(r.standard_deviation, digits)) +
           ", 95 % coverage interval " + marked(number(r.coverage_low, digits)) + " to " +
           marked(number(r.coverage_high, digits)) + "\n";
}

}  // namespace

BudgetLineTexts budget_line_texts(const BudgetLine& line) {
    return {number(line.standard_uncertainty, budget_digits, true), number(line.sensitivity, budget_digits),
            number(line.contribution, budget_digits), format_value(line.variance_share_pct, "%.1f")};
}

std::string standard_uncertainty_text(const UncertaintyBudget& budget) {
    return number(budget.uncertainty.standard, budget_digits);
}

std::string expanded_uncertainty_text(const UncertaintyBudget& budget) {
    return certificate_text(budget.uncertainty.expanded).text;
}

std::string coverage_text() {
    return "(k = " + number(coverage_factor, budget_digits, true) + ")";
}

std::string reading_text(const ReadingQuery& query, const ReadingOutcome& outcome) {
    if (!outcome.corrected())
        return {};
    const TextWriter writer(query, outcome);
    std::string text = writer.results();
    if (const auto& u = outcome.uncertainty) {
        text += writer.budget(Result::calculated_gas_pct, u->calculated_gas_pct);
        text += writer.budget(Result::calculated_gas_pressure, u->calculated_gas_pressure);
    }
    if (outcome.monte_carlo)
        text += writer.monte_carlo(*outcome.monte_carlo);
    return text;
}

}  // namespace kestrane
