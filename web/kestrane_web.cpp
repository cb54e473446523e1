// The page's narrow way into the core and the log corrector: plain C functions
// over the module's memory, so the page's loader needs no generated glue.
//
// Every call that answers hands back a reply of its own (a block of bytes the
// page reads and then frees), so no answer is ever overwritten by a later call.
// The form's texts come as one description of the core's tables, written once
// here and read by the page by name. A reading and a log are asked for in the
// words of the page's address, which the core reads (reading/query_text.h).
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/form.h"
#include "core/reading.h"
#include "core/uncertainty.h"
#include "log/log_corrector.h"
#include "reading/query_text.h"
#include "web_json.h"

#define KESTRANE_EXPORT(name) extern "C" __attribute__((export_name(#name)))

namespace {

using namespace kestrane;

// One answer to the page: its bytes live until the page frees the reply.
struct Reply {
    std::string bytes;
};

Reply* reply(std::string bytes) {
    return new Reply{std::move(bytes)};
}

// The words a refused text gets on the page when the other decimal mark would
// have made it a number.
constexpr MarkHints page_hints = {"for a decimal comma, choose \",\" as the Decimal Mark",
                                  "with \",\" as the Decimal Mark, write "};

// The standard uncertainties of the page's fields: a blank one is none given.
UncertaintyTexts given_uncertainties(const ReadingQuery& query) {
    UncertaintyTexts given;
    for (std::size_t f = 0; f < field_count; ++f) {
        if (query.uncertainties[f] && !trim_blanks(*query.uncertainties[f]).empty())
            given[f] = *query.uncertainties[f];
    }
    return given;
}

std::string reading_reply(const ReadingQuery& query) {
    FieldTexts texts;
    std::copy(query.fields.begin(), query.fields.end(), texts.begin());
    const UnitSelection units = query.units;
    const ReadingRules rules = query.rules;
    JsonWriter json;
    json.begin_object();
    const UncertaintyTexts given = given_uncertainties(query);
    const UncertaintiesRead uncertainties = read_uncertainties(given, {}, rules.decimal_comma, page_hints);
    const Correction c = correct(texts, units, rules);
    if (uncertainties.refused || !c.corrected()) {
        json.key("message").string(uncertainties.refused ? *uncertainties.refused
                                                         : refusal_message(c, texts, rules.decimal_comma, page_hints));
        json.end_object();
        return json.text();
    }
    const ResultTexts results = c.texts();
    json.key("results").begin_array();
    for (const ResultInfo& result : result_table) {
        std::string text = results.*result.text;
        if (rules.decimal_comma)
            use_decimal_comma(text);
        json.string(text);
    }
    // The values the texts were read as, each exactly: the page's chart starts from the altitude's.
    json.end_array().key("values").begin_array();
    for (const FieldInfo& field : field_table)
        json.number(c.inputs.*field.value);
    // Each pressure result's unit as the command line prints it beside the
    // number ("In Hg"); a percentage's is in its label, and stays empty.
    json.end_array().key("units").begin_array();
    for (const Result result : all_results)
        json.string(info(result).unit == ResultUnit::percent ? "" : result_unit_text(result, units));
    json.end_array().key("warnings").begin_array();
    for (const std::string& warning : warning_texts(c.warnings, units))
        json.string(warning);
    json.end_array();
    if (std::any_of(given.begin(), given.end(), [](const auto& text) { return text.has_value(); }))
        write_uncertainty(json, propagate_uncertainty(c.inputs, units, uncertainties.values), rules.decimal_comma);
    json.end_object();
    return json.text();
}

// Sentences one after the other, as the page shows them.
std::string joined(const std::vector<std::string>& sentences) {
    std::string text;
    for (const std::string& sentence : sentences)
        text.append(text.empty() ? "" : " ").append(sentence);
    return text;
}

// The settings an address gives, each by its index: see kestrane_address.
std::string address_json(const QueryText& read) {
    JsonWriter json;
    json.begin_object().key("fields").begin_object();
    for (std::size_t f = 0; f < field_count; ++f) {
        if (read.fields_given.test(f))
            json.key(std::to_string(f)).string(read.query.fields[f]);
    }
    json.end_object().key("uncertainties").begin_object();
    for (std::size_t f = 0; f < field_count; ++f) {
        if (const auto& text = read.query.uncertainties[f])
            json.key(std::to_string(f)).string(*text);
    }
    json.end_object().key("units").begin_object();
    for (std::size_t k = 0; k < unit_kind_count; ++k) {
        if (read.units_given.test(k))
            json.key(std::to_string(k)).number(static_cast<long long>(read.query.units.*unit_kinds[k].selection));
    }
    json.end_object();
    if (read.decimal_comma)
        json.key("decimalComma").boolean(*read.decimal_comma);
    json.key("lenient").boolean(read.query.rules.mode == ReadingMode::lenient);
    json.key("problems").begin_array();
    for (const std::string& problem : read.problems)
        json.string(problem);
    json.end_array().end_object();
    return json.text();
}

}  // namespace

// Room for size bytes that the page fills before a call; freed with kestrane_free.
KESTRANE_EXPORT(kestrane_alloc) void* kestrane_alloc(std::int32_t size) {
    return std::malloc(size > 0 ? static_cast<std::size_t>(size) : 1);
}

KESTRANE_EXPORT(kestrane_free) void kestrane_free(void* block) {
    std::free(block);
}

// A reply's bytes, their length, and its end.
KESTRANE_EXPORT(kestrane_reply_data) const char* kestrane_reply_data(const Reply* r) {
    return r->bytes.data();
}
KESTRANE_EXPORT(kestrane_reply_size) std::int32_t kestrane_reply_size(const Reply* r) {
    return static_cast<std::int32_t>(r->bytes.size());
}
KESTRANE_EXPORT(kestrane_reply_free) void kestrane_reply_free(Reply* r) {
    delete r;
}

// The form, as JSON: the fields, results, unit kinds and their units, and the
// texts around them.
KESTRANE_EXPORT(kestrane_form) Reply* kestrane_form() {
    return reply(form_json());
}

// One reading, asked for in a text of the address's kind (reading/query_text.h),
// as JSON: {"results", "values", "units", "warnings"}, with uncertainties given
// an "uncertainty" (web_json.h); or {"message"} when a text is refused, or
// when the request has a part that cannot be read.
KESTRANE_EXPORT(kestrane_reading) Reply* kestrane_reading(const char* text, std::int32_t size) {
    const QueryText read = read_query_text(std::string_view(text, static_cast<std::size_t>(size)));
    if (!read.problems.empty()) {
        JsonWriter json;
        json.begin_object().key("message").string(joined(read.problems)).end_object();
        return reply(json.text());
    }
    return reply(reading_reply(read.query));
}

// The settings an address gives, for the page to put into its form, as JSON:
// {"fields": {index: text}, "uncertainties": {index: text}, "units": {kind:
// index}} for those it gives, "decimalComma" unless it says nothing,
// "lenient", and "problems": what it got wrong, one sentence each.
KESTRANE_EXPORT(kestrane_address) Reply* kestrane_address(const char* text, std::int32_t size) {
    return reply(address_json(read_query_text(std::string_view(text, static_cast<std::size_t>(size)))));
}

// A log corrected a chunk at a time, as kestrane-cli corrects one, with the
// settings of a text of the address's kind: the units of rows without unit
// cells, the reading rules, and the standard uncertainties of rows without
// their own (the delimiter is the one its header shows). Nothing when a
// standard uncertainty is refused: kestrane_reading of the same text says why.
KESTRANE_EXPORT(kestrane_log_begin) LogCorrector* kestrane_log_begin(const char* text, std::int32_t size) {
    const QueryText read = read_query_text(std::string_view(text, static_cast<std::size_t>(size)));
    LogOptions options;
    options.units = read.query.units;
    options.rules = read.query.rules;
    const UncertaintyTexts given = given_uncertainties(read.query);
    const UncertaintiesRead uncertainties = read_uncertainties(given, {}, options.rules.decimal_comma, page_hints);
    if (uncertainties.refused)
        return nullptr;
    options.uncertainties = uncertainties.values;
    for (std::size_t f = 0; f < field_count; ++f) {
        options.uncertainty = options.uncertainty || given[f].has_value();
        if (given[f])
            options.uncertainty_texts[f] = *given[f];
    }
    return new LogCorrector(options);
}

// Corrects what a chunk completes; the reply holds the corrected bytes that are ready.
KESTRANE_EXPORT(kestrane_log_push)
Reply* kestrane_log_push(LogCorrector* log, const char* chunk, std::int32_t size) {
    log->push(std::string_view(chunk, static_cast<std::size_t>(size)));
    auto* r = reply({});
    r->bytes.swap(log->output());
    return r;
}

// Ends the log: the reply holds the rest of the corrected bytes.
KESTRANE_EXPORT(kestrane_log_finish) Reply* kestrane_log_finish(LogCorrector* log) {
    log->finish();
    auto* r = reply({});
    r->bytes.swap(log->output());
    return r;
}

// What became of the log, as JSON: {"rows", ..., "summary"}, or {"failure"}
// when its header would not do; then the corrector is gone.
KESTRANE_EXPORT(kestrane_log_end) Reply* kestrane_log_end(LogCorrector* log) {
    const std::unique_ptr<LogCorrector> owned(log);
    return reply(log_report_json(log->report()));
}
