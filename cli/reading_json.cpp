#include "reading_json.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <optional>

#include "log/log_columns.h"

namespace kestrane::cli {
namespace {

using Json = nlohmann::ordered_json;

// A number, or null for one the text shows as "inf" or "nan" (JSON has neither).
Json number(std::optional<double> value) {
    return value && std::isfinite(*value) ? Json(*value) : Json(nullptr);
}

// Each field: its label, the text as given, the value it was read as (null when
// it was not read, or is no number) and its unit.
Json inputs(const FieldTexts& texts, UnitSelection units, const Correction& c, bool decimal_comma) {
    // The fields after a refused one are not read; the refused one was, unless it is no number.
    const std::size_t read = c.corrected() ? field_count : static_cast<std::size_t>(c.field) + 1;
    const bool last_unread = c.status == Correction::Status::not_a_number;
    Json object = Json::object();
    for (std::size_t f = 0; f < field_count; ++f) {
        const bool was_read = f + 1 < read || (f + 1 == read && !last_unread);
        object[std::string(field_table[f].column)] = {
            {"label", field_table[f].label},
            {"text", texts[f]},
            {"value", number(was_read ? value_read(texts[f], decimal_comma) : std::nullopt)},
            {"unit", field_unit_text(all_fields[f], units)},
        };
    }
    return object;
}

// The four results in the order of a log's columns, or null for a refused reading.
Json results(UnitSelection units, const Correction& c) {
    if (!c.corrected())
        return nullptr;
    const ResultTexts texts = c.texts();
    Json object = Json::object();
    for (const Result result : all_results) {
        const ResultInfo& r = info(result);
        object[std::string(r.key)] = {{"label", r.label},
                                      {"text", texts.*r.text},
                                      {"value", number(c.values.*r.value)},
                                      {"unit", result_unit_text(result, units)}};
    }
    return object;
}

Json result_uncertainty(const UncertaintyBudget& budget) {
    return {{"standard", number(budget.uncertainty.standard)}, {"expanded", number(budget.uncertainty.expanded)}};
}

// The uncertainties of the two results and the budget of the Calculated Gas (% Vol).
Json uncertainty_json(const CorrectionUncertainty& u) {
    Json budget = Json::array();
    for (const Field field : all_fields) {
        const BudgetLine& line = u.calculated_gas_pct.lines[static_cast<std::size_t>(field)];
        budget.push_back({{"field", info(field).column},
                          {"standard_uncertainty", number(line.standard_uncertainty)},
                          {"sensitivity", number(line.sensitivity)},
                          {"contribution", number(line.contribution)},
                          {"share_pct", number(line.variance_share_pct)}});
    }
    return {{"coverage_factor", coverage_factor},
            {info(Result::calculated_gas_pct).key, result_uncertainty(u.calculated_gas_pct)},
            {info(Result::calculated_gas_pressure).key, result_uncertainty(u.calculated_gas_pressure)},
            {"budget", budget}};
}

Json monte_carlo_json(const MonteCarloResult& r) {
    return {{"draws", r.draws},
            {"refused", r.refused},
            {"not_finite", r.not_finite},
            {"mean", number(r.mean)},
            {"standard_deviation", number(r.standard_deviation)},
            {"interval_95", {number(r.coverage_low), number(r.coverage_high)}}};
}

}  // namespace

std::string reading_json(const FieldTexts& texts,
                         UnitSelection units,
                         const Correction& c,
                         bool decimal_comma,
                         const ReadingUncertainty& uncertainty) {
    Json object = Json::object();
    object["inputs"] = inputs(texts, units, c, decimal_comma);
    Json unit_names = Json::object();
    for (const UnitKind kind : all_unit_kinds)
        unit_names[std::string(info(kind).name)] = selected_unit(kind, units).text;
    object["units"] = unit_names;
    object["results"] = results(units, c);
    object[std::string(added_columns[error_column])] =
        c.corrected() ? Json(nullptr) : Json(refusal_message(c, texts, decimal_comma, log_mark_hints));
    Json warnings = Json::array();
    for (const std::string& text : warning_texts(c.warnings, units))
        warnings.push_back(text);
    object["warnings"] = warnings;
    if (uncertainty.propagated || uncertainty.propagated_asked)
        object["uncertainty"] = uncertainty.propagated ? uncertainty_json(*uncertainty.propagated) : Json(nullptr);
    if (uncertainty.monte_carlo || uncertainty.monte_carlo_asked)
        object["monte_carlo"] = uncertainty.monte_carlo ? monte_carlo_json(*uncertainty.monte_carlo) : Json(nullptr);
    // Texts from a command line are taken as they come: bytes that are not
    // UTF-8 are replaced, not a reason to fail.
    return object.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace kestrane::cli
