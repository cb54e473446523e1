// The columns a corrected log gets after its own, and the words its cells use.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "core/reading.h"
#include "core/results.h"
#include "reading/evaluate.h"

namespace kestrane {

// The columns a corrected log may get: the four results (the result table's
// keys), why a row was not corrected, its warnings, the expanded uncertainty
// of each result (in Result order), and the coverage factor they are stated
// with when a coverage probability is asked for.
inline constexpr std::size_t error_column = result_count;
inline constexpr std::size_t warning_column = result_count + 1;
inline constexpr std::size_t first_expanded_column = result_count + 2;
inline constexpr std::size_t coverage_factor_column = first_expanded_column + result_count;
// The analyzer's checks: the error, its expanded uncertainty and the decision,
// as found and then as left.
inline constexpr std::size_t check_column_count = 3;
inline constexpr std::size_t first_check_column = coverage_factor_column + 1;
inline constexpr std::size_t first_as_left_column = first_check_column + check_column_count;
inline constexpr std::size_t added_column_count = first_as_left_column + check_column_count;

// The expanded uncertainty's column of a result.
constexpr std::size_t expanded_column(Result result) {
    return first_expanded_column + static_cast<std::size_t>(result);
}

constexpr std::array<std::string_view, added_column_count> added_column_table() {
    std::array<std::string_view, added_column_count> names{};
    for (std::size_t k = 0; k < result_count; ++k)
        names[k] = result_table[k].key;
    names[error_column] = error_key;
    names[warning_column] = warning_key;
    names[expanded_column(Result::calculated_gas_pct)] = "expanded_uncertainty_gas_pct";
    names[expanded_column(Result::calculated_gas_pressure)] = "expanded_uncertainty_gas_pressure";
    names[expanded_column(Result::vapor_pressure_pct)] = "expanded_uncertainty_vapor_pct";
    names[expanded_column(Result::corrected_barometer)] = "expanded_uncertainty_barometer";
    names[coverage_factor_column] = "coverage_factor";
    names[first_check_column] = "check_error";
    names[first_check_column + 1] = "check_expanded_uncertainty";
    names[first_check_column + 2] = "check_decision";
    names[first_as_left_column] = "as_left_error";
    names[first_as_left_column + 1] = "as_left_expanded_uncertainty";
    names[first_as_left_column + 2] = "as_left_decision";
    return names;
}
inline constexpr std::array<std::string_view, added_column_count> added_columns = added_column_table();

// The added columns in the order a log gets them: the results, the error and
// the warning; with uncertainties, their columns right after the results,
// and the coverage factor after them when a coverage probability is asked for.
inline constexpr std::array<std::size_t, 6> plain_column_order = {0, 1, 2, 3, error_column, warning_column};
inline constexpr std::array<std::size_t, 10> uncertainty_column_order = {
    0, 1, 2, 3, expanded_column(Result::calculated_gas_pct), expanded_column(Result::calculated_gas_pressure),
    expanded_column(Result::vapor_pressure_pct), expanded_column(Result::corrected_barometer), error_column,
    warning_column};
inline constexpr std::array<std::size_t, 11> coverage_column_order = {
    0, 1, 2, 3, expanded_column(Result::calculated_gas_pct), expanded_column(Result::calculated_gas_pressure),
    expanded_column(Result::vapor_pressure_pct), expanded_column(Result::corrected_barometer), coverage_factor_column,
    error_column, warning_column};
// With the analyzer's checks: after the uncertainties' columns (and the
// coverage factor), those of the check as found, and as left when the log has
// that reading; M - N check columns in all.
template <std::size_t M, std::size_t N>
constexpr std::array<std::size_t, M> with_checks(const std::array<std::size_t, N>& order) {
    std::array<std::size_t, M> whole{};
    std::size_t at = 0;
    for (std::size_t k = 0; k + 2 < N; ++k)
        whole[at++] = order[k];
    for (std::size_t k = 0; k < M - N; ++k)
        whole[at++] = first_check_column + k;
    whole[at++] = error_column;
    whole[at++] = warning_column;
    return whole;
}
inline constexpr auto check_column_order = with_checks<13>(uncertainty_column_order);
inline constexpr auto as_left_column_order = with_checks<16>(uncertainty_column_order);
inline constexpr auto coverage_check_column_order = with_checks<14>(coverage_column_order);
inline constexpr auto coverage_as_left_column_order = with_checks<17>(coverage_column_order);

// As an earlier version wrote a log with uncertainties: those of the two gas results alone.
inline constexpr std::array<std::size_t, 8> two_uncertainties_column_order = {
    0, 1, 2, 3, expanded_column(Result::calculated_gas_pct), expanded_column(Result::calculated_gas_pressure),
    error_column, warning_column};

// The columns that say how a row's cells are read, each cell one of two
// words (off, on); an empty cell or no column, as the options say. The mark:
// "," for a decimal comma, "." for a point; the reading: strict, or lenient as
// the dialog reads.
struct RuleColumn {
    std::string_view column;
    std::array<std::string_view, 2> values;
};
inline constexpr std::array<RuleColumn, 2> rule_columns = {{{"decimal_mark", {".", ","}},
                                                            {"reading", {"strict", "lenient"}}}};
inline constexpr std::string_view decimal_mark_column = rule_columns[0].column;
inline constexpr std::array<std::string_view, 2> decimal_marks = rule_columns[0].values;

// Whether the rule of rule_columns[k] is on, and setting it.
constexpr bool rule_on(const ReadingRules& rules, std::size_t k) {
    return k == 0 ? rules.decimal_comma : rules.mode == ReadingMode::lenient;
}
constexpr void set_rule(ReadingRules& rules, std::size_t k, bool on) {
    if (k == 0)
        rules.decimal_comma = on;
    else
        rules.mode = on ? ReadingMode::lenient : ReadingMode::strict;
}

// The input column of each field's standard uncertainty: "u_" and the field's column.
const std::array<std::string, field_count>& uncertainty_columns();

// A log's refusals speak of the command line's option, whichever front end wrote it.
inline constexpr MarkHints log_mark_hints = command_line_hints;

}  // namespace kestrane
