#include "reading_json.h"

#include <cmath>
#include <optional>

#include "json_writer.h"
#include "reading_text.h"

namespace kestrane {
namespace {

using BudgetQuantities = std::array<BudgetQuantity, budget_term_count>;

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

// A number that may be infinite and means so: null.
void finite_or_null(JsonWriter& json, double value) {
    std::isfinite(value) ? void(json.number(value)) : void(json.null());
}

void write_budget_lines(JsonWriter& json, const UncertaintyBudget& budget, const BudgetQuantities& quantities) {
    json.key("budget").begin_array();
    for (std::size_t i = 0; i < budget_term_count; ++i) {
        const BudgetLine& line = budget.lines[i];
        const BudgetQuantity& quantity = quantities[i];
        const BudgetLineTexts texts = budget_line_texts(line, quantity);
        json.begin_object().key("field").string(quantity.key).key("label").string(quantity.label);
        json.key("unit").string(quantity.unit).key("shape").string(info(quantity.shape).name).key("half_width");
        quantity.half_width ? json.number(*quantity.half_width) : json.null();
        json.key("degrees_of_freedom");
        finite_or_null(json, quantity.degrees_of_freedom);
        json.key("standard_uncertainty").number(line.standard_uncertainty);
        json.key("sensitivity").number(line.sensitivity).key("contribution").number(line.contribution);
        json.key("share_pct").number(line.variance_share_pct);
        json.key("standard_uncertainty_text").string(texts.standard_uncertainty);
        json.key("sensitivity_text").string(texts.sensitivity).key("contribution_text").string(texts.contribution);
        json.key("share_text").string(texts.share).key("distribution_text").string(texts.distribution).end_object();
    }
    json.end_array();
}

// The pairs as asked, or with their shares of a budget.
void write_pair(JsonWriter& json, const CorrelationPair& pair) {
    json.key("first").string(info(pair.first).column).key("second").string(info(pair.second).column);
    json.key("r").number(pair.r);
}

void write_result_uncertainty(JsonWriter& json, const ReadingQuery& q, const ReadingOutcome& o, Result result,
                              const BudgetQuantities& quantities) {
    const UncertaintyBudget& budget = (*o.uncertainty)[result];
    const UncertaintyResult& u = budget.uncertainty;
    json.key(info(result).key).begin_object();
    json.key("standard").number(u.standard).key("expanded").number(u.expanded);
    json.key("standard_text").string(standard_uncertainty_text(budget));
    json.key("expanded_text").string(expanded_uncertainty_text(budget));
    json.key("value_text").string(value_text(o.correction.values.*info(result).value, budget));
    json.key("coverage_factor").number(u.coverage_factor);
    json.key("coverage_text").string(coverage_text(u, q.coverage_probability));
    json.key("effective_degrees_of_freedom");
    finite_or_null(json, u.effective_degrees_of_freedom);
    write_budget_lines(json, budget, quantities);
    json.key("correlations").begin_array();
    for (const CorrelationLine& line : budget.correlations) {
        json.begin_object();
        write_pair(json, line.pair);
        json.key("share_pct").number(line.variance_share_pct);
        json.key("share_text").string(correlation_share_text(line)).end_object();
    }
    json.end_array().end_object();
}

// The uncertainties of the four results, each with its budget, and the
// Calculated Gas (% Vol)'s coverage and budget at the top.
void write_uncertainty(JsonWriter& json, const ReadingQuery& q, const ReadingOutcome& o) {
    const UncertaintyResult& gas = (*o.uncertainty)[Result::calculated_gas_pct].uncertainty;
    const BudgetQuantities quantities = budget_quantities(q, o);
    json.begin_object().key("coverage_factor").number(gas.coverage_factor);
    json.key("effective_degrees_of_freedom");
    finite_or_null(json, gas.effective_degrees_of_freedom);
    json.key("coverage_probability");
    q.coverage_probability ? json.number(*q.coverage_probability) : json.null();
    json.key("correlations").begin_array();
    for (const CorrelationPair& pair : o.uncertainties.correlations) {
        json.begin_object();
        write_pair(json, pair);
        json.end_object();
    }
    json.end_array();
    for (const Result result : all_results)
        write_result_uncertainty(json, q, o, result, quantities);
    write_budget_lines(json, (*o.uncertainty)[Result::calculated_gas_pct], quantities);
    json.end_object();
}

void write_interval(JsonWriter& json, std::string_view key, double low, double high) {
    json.key(key).begin_array().number(low).number(high).end_array();
}

void write_monte_carlo(JsonWriter& json, const MonteCarloResult& r, std::uint64_t seed) {
    const MonteCarloTexts texts = monte_carlo_texts(r);
    json.begin_object().key("draws").integer(static_cast<long long>(r.draws));
    json.key("refused").integer(static_cast<long long>(r.refused));
    json.key("not_finite").integer(static_cast<long long>(r.not_finite));
    json.key("refused_pct").number(r.refused_pct()).key("adaptive").boolean(r.adaptive);
    json.key("converged").boolean(r.converged).key("seed").string(std::to_string(seed));
    json.key("mean").number(r.mean).key("standard_deviation").number(r.standard_deviation);
    json.key("coverage_probability").number(r.coverage_probability);
    json.key("interval").string(interval_name(r.interval));
    write_interval(json, "coverage_interval", r.coverage_low, r.coverage_high);
    write_interval(json, "interval_95", r.coverage_low, r.coverage_high);
    json.key("tolerance").number(r.tolerance).key("mean_text").string(texts.mean);
    json.key("standard_deviation_text").string(texts.standard_deviation);
    json.key("low_text").string(texts.low).key("high_text").string(texts.high);
    const MonteCarloValidation& v = r.validation;
    json.key("validation").begin_object();
    write_interval(json, "budget_interval", v.budget_low, v.budget_high);
    json.key("d_low").number(v.d_low).key("d_high").number(v.d_high).key("delta").number(v.delta);
    json.key("validated").boolean(v.validated).end_object();
    json.key("text").string(monte_carlo_lines(r, seed, ReadingRules{})).end_object();
}

void write_check(JsonWriter& json, const ReadingQuery& q, const AnalyzerCheck& c, CheckInput reading) {
    const CheckTexts texts = check_texts(q, c, reading);
    json.begin_object().key("reading").number(c.reading).key("reading_text").string(texts.reading);
    json.key("error").number(c.error).key("error_text").string(texts.error);
    json.key("standard_uncertainty").number(c.standard_uncertainty);
    json.key("expanded_uncertainty").number(c.expanded_uncertainty).key("expanded_text").string(texts.expanded);
    json.key("coverage_factor").number(c.coverage_factor).key("effective_degrees_of_freedom");
    finite_or_null(json, c.effective_degrees_of_freedom);
    json.key("tolerance").number(c.tolerance).key("tolerance_text").string(texts.tolerance);
    json.key("rule").string(info(q.check.rule).name).key("rule_text").string(info(q.check.rule).words);
    json.key("acceptance_limit").number(c.acceptance_limit).key("decision").string(decision_word(c.pass));
    json.key("probability_of_conformity").number(c.probability_of_conformity);
    json.key("probability_text").string(texts.probability);
    json.key("text").string(check_line(q, c, reading, ReadingRules{})).end_object();
}

// The checks asked for: each null when refused, or the as-left one when not given.
void write_checks(JsonWriter& json, const ReadingQuery& q, const ReadingOutcome& o) {
    json.key("analyzer_check");
    o.as_found_check ? write_check(json, q, *o.as_found_check, CheckInput::as_found) : void(json.null());
    json.key("as_left_check");
    o.as_left_check ? write_check(json, q, *o.as_left_check, CheckInput::as_left) : void(json.null());
}

void write_record(JsonWriter& json, const Record& record) {
    json.key("record").begin_object().key("title").string(record_title);
    for (const RecordFieldInfo& field : record_field_table) {
        json.key(field.key);
        record[field.field] ? void(json.string(*record[field.field])) : void(json.null());
    }
    json.key("method").string(record_method()).key("page").string(record_page).end_object();
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
        for (const std::string& text : outcome_warnings(q, o))
            json.string(text);
    }
    json.end_array();
    // A refused reading keeps the keys of what was asked, as null, so that its
    // JSON has the shape of a corrected one.
    if (uncertainty_asked(q)) {
        json.key("uncertainty");
        o.uncertainty ? write_uncertainty(json, q, o) : void(json.null());
    }
    if (q.monte_carlo) {
        json.key("monte_carlo");
        o.monte_carlo ? write_monte_carlo(json, *o.monte_carlo, q.monte_carlo->seed) : void(json.null());
    }
    if (q.check.asked())
        write_checks(json, q, o);
    if (q.record.any())
        write_record(json, q.record);
    return json.end_object().text() + "\n";
}

}  // namespace kestrane
