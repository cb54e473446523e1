#include "web_json.h"

#include <array>

#include "core/analyzer_inputs.h"
#include "core/form.h"
#include "core/reading.h"
#include "core/record.h"
#include "reading/json_writer.h"
#include "reading/reading_text.h"
#include "reading/uncertainty_settings.h"

namespace kestrane {

namespace {

void write_fields(JsonWriter& json) {
    json.key("fields").begin_array();
    for (const Field field : all_fields) {
        const FieldInfo& f = info(field);
        const auto kind = field_unit_kind(field);
        json.begin_object().key("label").string(f.label).key("option").string(f.option);
        json.key("alias").string(field == Field::barometric_pressure ? barometer_alias : "");
        json.key("uncertainty").string(uncertainty_label(field));
        json.key("default").string(default_text(field));
        json.key("unit").string(kind ? info(*kind).name : "%").end_object();
    }
    json.end_array();
}

void write_results(JsonWriter& json) {
    json.key("results").begin_array();
    for (const ResultInfo& result : result_table)
        json.begin_object().key("label").string(result.label).key("key").string(result.key).end_object();
    json.end_array();
}

void write_units(JsonWriter& json) {
    json.key("units").begin_array();
    for (const UnitKindInfo& kind : unit_kinds) {
        json.begin_object().key("name").string(kind.name).key("label").string(kind.list_label);
        json.key("option").string(kind.option).key("entries").begin_array();
        for (const Unit& unit : kind.units) {
            json.begin_object().key("text").string(unit.text).key("short").string(unit.short_name());
            json.key("names").begin_array().string(unit.text);
            for (const std::string_view name : unit.other_names) {
                if (!name.empty())
                    json.string(name);
            }
            json.end_array().key("dialog").boolean(unit.in_dialog).end_object();
        }
        json.end_array().end_object();
    }
    json.end_array();
}

// What the uncertainty section builds its controls, requests and budgets from.
void write_uncertainty(JsonWriter& json) {
    json.key("shapes").begin_array();
    for (const ShapeInfo& shape : shape_table)
        json.string(shape.name);
    json.end_array().key("intervals").begin_array();
    for (const CoverageInterval interval : {CoverageInterval::symmetric, CoverageInterval::shortest})
        json.string(interval_name(interval));
    json.end_array().key("options").begin_object();
    json.key("dofPrefix").string(degrees_of_freedom_option_prefix).key("coverage").string(coverage_setting);
    json.key("correlation").string(correlation_setting).key("monteCarlo").string(monte_carlo_setting);
    json.key("interval").string(interval_setting).key("seed").string(seed_setting).end_object();
    json.key("budget").begin_object().key("title").string(budget_title);
    json.key("uncorrelatedTitle").string(budget_uncorrelated).key("correlatedTitle").string(budget_correlated);
    json.key("headings").begin_array();
    for (const std::string_view heading : budget_headings)
        json.string(heading);
    json.end_array().key("combined").string(combined_uncertainty_words);
    json.key("correlated").string(correlated_pair_words).key("dof").string(effective_dof_words);
    json.key("infinite").string(degrees_of_freedom_text(infinite_degrees_of_freedom));
    json.key("expanded").string(expanded_uncertainty_words).end_object();
}

// What the analyzer's check and the record build their controls from: the
// check's inputs' labels and options in the order of the page's controls, and the rules' names;
// the record's fixed words and each field as the address names it and its label.
void write_check_and_record(JsonWriter& json) {
    json.key("check").begin_object().key("labels").begin_array();
    for (const CheckInputInfo& input : check_input_table)
        json.string(input.label);
    json.end_array().key("options").begin_array();
    for (const CheckInputInfo& input : check_input_table)
        json.string(input.option);
    json.string(decision_rule_option).end_array().key("rules").begin_array();
    for (const DecisionRuleInfo& rule : decision_rule_table)
        json.string(rule.name);
    json.end_array().end_object();
    json.key("record").begin_object().key("title").string(record_title);
    json.key("method").string(std::string(record_method_label) + ": " + record_method());
    json.key("page").string(record_page).key("fields").begin_array();
    for (const RecordFieldInfo& field : record_field_table) {
        json.begin_object().key("option").string(std::string(record_option_prefix) + std::string(field.name));
        json.key("label").string(field.label).end_object();
    }
    json.end_array().end_object();
}

}  // namespace

std::string form_json() {
    JsonWriter json;
    json.begin_object().key("caption").string(form_caption).key("heading").string(form_heading);
    json.key("credit").string(form_credit).key("execute").string(execute_button_text);
    json.key("version").string(KESTRANE_VERSION).key("uncertaintyPrefix").string(uncertainty_option_prefix);
    json.key("groups").begin_array();
    for (const std::string_view title : form_group_titles)
        json.string(title);
    json.end_array();
    write_fields(json);
    write_results(json);
    write_units(json);
    write_uncertainty(json);
    write_check_and_record(json);
    json.end_object();
    return json.text();
}

namespace {

// Every count of a report, each added up over a log's parts.
std::array<std::size_t*, 10> log_counts(LogReport& r) {
    return {&r.rows,   &r.corrected,   &r.refused,     &r.malformed,  &r.blank,
            &r.warned, &r.as_found[0], &r.as_found[1], &r.as_left[0], &r.as_left[1]};
}

}  // namespace

std::string log_report_json(const LogReport& report) {
    JsonWriter json;
    json.begin_object();
    if (report.failure != LogFailure::none) {
        json.key("failure").string(report.message).end_object();
        return json.text();
    }
    json.key("rows").integer(static_cast<long long>(report.rows));
    json.key("corrected").integer(static_cast<long long>(report.corrected));
    json.key("refused").integer(static_cast<long long>(report.refused));
    json.key("malformed").integer(static_cast<long long>(report.malformed));
    json.key("summary").string(log_summary(report));
    json.key("counts").begin_array();
    LogReport counted = report;
    for (const std::size_t* count : log_counts(counted))
        json.integer(static_cast<long long>(*count));
    json.end_array().end_object();
    return json.text();
}

bool add_log_counts(LogReport& report, const std::uint32_t* counts, std::size_t size) {
    const auto all = log_counts(report);
    if (size != all.size())
        return false;
    for (std::size_t k = 0; k < size; ++k)
        *all[k] += counts[k];
    return true;
}

}  // namespace kestrane
