#include "reading_text.h"

#include <algorithm>

#include "decimal_text.h"

namespace kestrane {
namespace {

// " In Hg" after a pressure, nothing after a per cent.
std::string unit_suffix(Result result, UnitSelection units) {
    return info(result).unit == ResultUnit::percent ? "" : " " + std::string(result_unit_text(result, units));
}

// The widths of the budget's columns but the last, in characters.
constexpr std::array<std::size_t, 5> widths = {23, 23, 13, 17, 9};

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
    std::string budget(Result result) const;

private:
    std::string marked(std::string text) const {
        apply_mark(text, q_.rules);
        return text;
    }
    std::string correlations(const UncertaintyBudget& budget) const;

    const ReadingQuery& q_;
    const ReadingOutcome& o_;
};

// "Calculated Gas Pressure: 6.19 In Hg (6.1935 ± 0.0007 In Hg, k = 2)".
std::string TextWriter::results() const {
    const ResultTexts texts = o_.correction.texts();
    std::string out;
    for (const Result result : all_results) {
        const std::string unit = unit_suffix(result, q_.units);
        out.append(info(result).label).append(": ").append(marked(texts.*info(result).text)).append(unit);
        if (o_.uncertainty) {
            const UncertaintyBudget& b = (*o_.uncertainty)[result];
            out.append(" (")
                .append(marked(value_text(o_.correction.values.*info(result).value, b)))
                .append(" \u00b1 ")
                .append(marked(expanded_uncertainty_text(b)))
                .append(unit + ", " + marked(coverage_text(b.uncertainty, q_.coverage_probability)) + ")");
        }
        out += '\n';
    }
    return out;
}

// "Correlated: Target Pressure and Barometric Pressure, r = 1, share -99.4 %", a line per pair.
std::string TextWriter::correlations(const UncertaintyBudget& budget) const {
    std::string out;
    for (const CorrelationLine& line : budget.correlations) {
        out += std::string(correlated_pair_words) + std::string(info(line.pair.first).label) + " and " +
               std::string(info(line.pair.second).label) + ", r = " + marked(plain_decimal_text(line.pair.r)) +
               ", share " + marked(correlation_share_text(line)) + " %\n";
    }
    return out;
}

std::string TextWriter::budget(Result result) const {
    const UncertaintyBudget& budget = (*o_.uncertainty)[result];
    const std::string unit = unit_suffix(result, q_.units);
    const std::string result_unit = unit.empty() ? " %" : unit;
    std::string out = "\n" + std::string(budget_title) + std::string(info(result).label) +
                      std::string(budget.correlations.empty() ? budget_uncorrelated : budget_correlated) + ":\n";
    for (std::size_t column = 0; column < widths.size(); ++column)
        out += padded(std::string(budget_headings[column]), widths[column]);
    out += std::string(budget_headings.back()) + "\n";
    const auto quantities = budget_quantities(q_, o_);
    for (std::size_t i = 0; i < budget_term_count; ++i) {
        const BudgetLineTexts line = budget_line_texts(budget.lines[i], quantities[i]);
        out += padded(std::string(quantities[i].label), widths[0]) +
               padded(marked(line.standard_uncertainty) + " " + std::string(quantities[i].unit), widths[1]) +
               padded(marked(line.sensitivity), widths[2]) + padded(marked(line.contribution) + result_unit, widths[3]) +
               padded(marked(line.share) + " %", widths[4]) + marked(line.distribution) + "\n";
    }
    const UncertaintyResult& u = budget.uncertainty;
    return out + correlations(budget) + std::string(combined_uncertainty_words) + " " +
           marked(standard_uncertainty_text(budget)) + result_unit + "; " + std::string(effective_dof_words) + " " +
           degrees_of_freedom_text(u.effective_degrees_of_freedom) + "; " + std::string(expanded_uncertainty_words) + " (" +
           marked(coverage_text(u, q_.coverage_probability)) + ") " + marked(expanded_uncertainty_text(budget)) +
           result_unit + "\n";
}

}  // namespace

std::string reading_text(const ReadingQuery& query, const ReadingOutcome& outcome) {
    if (!outcome.corrected())
        return {};
    const TextWriter writer(query, outcome);
    std::string text = query.record.any() ? record_lines(query.record) + "\n" : std::string();
    text += writer.results();
    if (outcome.as_found_check)
        text += check_line(query, *outcome.as_found_check, CheckInput::as_found, query.rules) + "\n";
    if (outcome.as_left_check)
        text += check_line(query, *outcome.as_left_check, CheckInput::as_left, query.rules) + "\n";
    if (outcome.uncertainty) {
        for (const Result result : all_results)
            text += writer.budget(result);
    }
    if (outcome.monte_carlo) {
        text += "\n" + monte_carlo_lines(*outcome.monte_carlo, query.monte_carlo->seed, query.rules);
    }
    return text;
}

}  // namespace kestrane
