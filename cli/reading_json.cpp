#include "reading_json.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <optional>

#include "vocabulary.h"

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
        const auto field = static_cast<Field>(f);
        const bool was_read = f + 1 < read || (f + 1 == read && !last_unread);
        object[std::string(field_column_names[f])] = {
            {"label", field_labels[f]},
            {"text", texts[f]},
            {"value", number(was_read ? value_read(texts[f], decimal_comma) : std::nullopt)},
            {"unit", field_unit(field, units)},
        };
    }
    return object;
}

Json result(std::string_view label, const std::string& text, double value, std::string_view unit) {
    return {{"label", label}, {"text", text}, {"value", number(value)}, {"unit", unit}};
}

// The four results in the order of a log's columns, or null for a refused reading.
Json results(UnitSelection units, const Correction& c) {
    if (!c.corrected())
        return nullptr;
    const ResultTexts t = c.texts();
    const CorrectionResults& v = c.values;
    return {
        {result_column_names[0],
         result(calculated_gas_pct_label, t.calculated_gas_pct, v.calculated_gas_pct, result_unit(0, units))},
        {result_column_names[1], result(calculated_gas_pressure_label, t.calculated_gas_pressure,
                                        v.calculated_gas_pressure, result_unit(1, units))},
        {result_column_names[2],
         result(vapor_pressure_pct_label, t.vapor_pressure_pct, v.vapor_pressure_pct, result_unit(2, units))},
        {result_column_names[3],
         result(corrected_barometer_label, t.corrected_barometer, v.corrected_barometer, result_unit(3, units))},
    };
}

}  // namespace

std::string reading_json(const FieldTexts& texts, UnitSelection units, const Correction& c, bool decimal_comma) {
    Json object = Json::object();
    object["inputs"] = inputs(texts, units, c, decimal_comma);
    Json unit_names = Json::object();
    for (const UnitKindInfo& kind : unit_kinds)
        unit_names[std::string(kind.name)] = unit_text(kind.kind, units.*kind.selection);
    object["units"] = unit_names;
    object["results"] = results(units, c);
    object[std::string(result_column_names[error_column])] =
        c.corrected() ? Json(nullptr) : Json(refusal_message(c, texts, decimal_comma));
    Json warnings = Json::array();
    for (const std::string_view text : warning_texts(c.warnings))
        warnings.push_back(text);
    object["warnings"] = warnings;
    // Texts from a command line are taken as they come: bytes that are not
    // UTF-8 are replaced, not a reason to fail.
    return object.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace kestrane::cli
