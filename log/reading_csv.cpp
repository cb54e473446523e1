#include "reading_csv.h"

#include <utility>

#include "log_corrector.h"

namespace kestrane {

std::string reading_csv(const ReadingQuery& q, char delimiter) {
    std::string header;
    std::string row;
    bool first = true;
    const auto cell = [&](std::string_view name, std::string_view text) {
        if (!std::exchange(first, false))
            header += delimiter, row += delimiter;
        append_csv_field(header, name, delimiter);
        append_csv_field(row, text, delimiter);
    };
    for (std::size_t f = 0; f < field_count; ++f)
        cell(field_table[f].column, q.texts[f]);
    for (const UnitKind kind : all_unit_kinds)
        cell(info(kind).column, selected_unit(kind, q.units).text);
    for (std::size_t f = 0; f < field_count; ++f) {
        if (q.uncertainties[f])
            cell(uncertainty_columns()[f], *q.uncertainties[f]);
    }
    // The check as a log states it: its texts in their columns, the rule when not the default.
    for (const CheckInputInfo& input : check_input_table) {
        if (const auto& text = q.check[input.input]; text && q.check.asked())
            cell(input.column, *text);
    }
    if (q.check.asked() && q.check.rule != DecisionRule::simple)
        cell(decision_rule_column, info(q.check.rule).name);
    LogOptions options;
    options.units = q.units;
    options.rules = q.rules;
    options.delimiter = delimiter;
    options.uncertainty = q.uncertainty;
    options.uncertainties = q.known;
    options.coverage_probability = q.coverage_probability;
    std::string out;
    correct_log_text(header + "\n" + row + "\n", options, out);
    return out;
}

}  // namespace kestrane
