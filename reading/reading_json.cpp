#include "reading_json.h"

#include <optional>

#include "json_writer.h"
#include "reading_text.h"

namespace kestrane {
namespace {

// How many fields were read: all of a corrected reading's; up to the refused
// one of a refused reading (and that one too, unless it is no number); none
// when the request or an uncertainty's text stopped it before it began.
std::size_t fields_read(const ReadingOutcome& o) {
    if (!o.read())
        return 0;
    const Correction& c = o.correction;
    if (c.corrected())
        return field_count;
    return static_cast<std::size_t>(c.field) + (c.status == Correction::Status::not_a_number ? 0 : 1);
}

// Each field: its label, the text as given, the value it was read as (null when
// it was not read, or is no number) and its unit.
void write_inputs(JsonWriter& json, const ReadingQuery& q, const ReadingOutcome& o) {
    const std::size_t read = fields_read(o);
    json.key("inputs").begin_object();
    for (std::size_t f = 0; f < field_count; ++f) {
        json.key(field_table[f].column).begin_object();
        json.key("label").string(field_table[f].label).key("text").string(q.texts[f]).key("value");
        const std::optional<double> value = f < read ? value_read(q.texts[f], q.rules) : std::nullopt;
        value ? json.number(*value) : json.null();
        json.key("unit").string(field_unit_text(all_fields[f], q.units)).end_object();
    }
    json.end_object().key("units").begin_object();
    for (const UnitKind kind : all_unit_kinds)
        json.key(info(kind).name).string(selected_unit(kind, q.units).text);
    json.end_object();
}

// The four results in the order of a log's columns, or null for a refused reading.
void write_results(JsonWriter& json, const ReadingQuery& q, const ReadingOutcome& o) {
    json.key("results");
    if (!o.corrected()) {
        json.null();
        return;
    }
    const ResultTexts texts = o.correction.texts();
    json.begin_object();
    for (const Result result : all_results) {
        const ResultInfo& r = info(result);
        json.key(r.key).begin_object().key("label").string(r.label).key("text").string(texts.*r.text);
        json.key("value").number(o.correction.values.*r.value);
        json.key("unit").string(result_unit_text(result, q.units)).end_object();
    }
    json.end_object();
}

void write_result_uncertainty(JsonWriter& json, Result result, const UncertaintyBudget& budget) {
    json.key(info(result).key).begin_object();
    json.key("standard").number(budget.uncertainty.standard).key("expanded").number(budget.uncertainty.expanded);
    json.key("standard_text").string(standard_uncertainty_text(budget));
    json.key("expanded_text").string(expanded_uncertainty_text(budget)).end_object();
}

// The uncertainties of the two results and the budget of the Calculated Gas (% Vol).
void write_uncertainty(JsonWriter& json, const CorrectionUncertainty& u) {
    json.begin_object().key("coverage_factor").number(coverage_factor);
    write_result_uncertainty(json, Result::calculated_gas_pct, u.calculated_gas_pct);
    write_result_uncertainty(json, Result::calculated_gas_pressure, u.calculated_gas_pressure);
    json.key("budget").begin_array();
    for (const Field field : all_fields) {
        const BudgetLine& line = u.calculated_gas_pct.lines[static_cast<std::size_t>(field)];
        const BudgetLineTexts texts = budget_line_texts(line);
        json.begin_object().key("field").string(info(field).column);
        json.key("standard_uncertainty").number(line.standard_uncertainty);
        json.key("sensitivity").number(line.sensitivity).key("contribution").number(line.contribution);
        json.key("share_pct").number(line.variance_share_pct);
        json.key("standard_uncertainty_text").string(texts.standard_uncertainty);
        json.key("sensitivity_text").string(texts.sensitivity).key("contribution_text").string(texts.contribution);
        json.key("share_text").string(texts.share).end_object();
    }
    json.end_array().end_object();
}

void write_monte_carlo(JsonWriter& json, const MonteCarloResult& r) {
    json.begin_object().key("draws").integer(static_cast<long long>(r.draws));
    json.key("refused").integer(static_cast<long long>(r.refused));
    json.key("not_finite").integer(static_cast<long long>(r.not_finite));
    json.key("mean").number(r.mean).key("standard_deviation").number(r.standard_deviation);
    json.key("interval_95").begin_array().number(r.coverage_low).number(r.coverage_high).end_array().end_object();
}

}  // namespace

std::string reading_json(const ReadingQuery& q, const ReadingOutcome& o) {
    JsonWriter json(2);
    json.begin_object();
    write_inputs(json, q, o);
    write_results(json, q, o);
    json.key(error_key);
    o.corrected() ? json.null() : json.string(o.message);
    json.key("warnings").begin_array();
    if (o.corrected()) {
        for (const std::string& text : warning_texts(o.correction.warnings, q.units))
            json.string(text);
    }
    json.end_array();
    // A refused reading keeps the keys of what was asked, as null, so that its
    // JSON has the shape of a corrected one.
    if (q.uncertainty) {
        json.key("uncertainty");
        o.uncertainty ? write_uncertainty(json, *o.uncertainty) : void(json.null());
    }
    if (q.monte_carlo) {
        json.key("monte_carlo");
        o.monte_carlo ? write_monte_carlo(json, *o.monte_carlo) : void(json.null());
    }
    return json.end_object().text() + "\n";
}

}  // namespace kestrane
