// The page's narrow way into the core and the log corrector: plain C functions
// over the module's memory, so the page's loader needs no generated glue.
//
// Every call that answers hands back a reply of its own (a block of bytes the
// page reads and then frees), so no answer is ever overwritten by a later call.
// The form's texts come as one description of the core's tables, written once
// here and read by the page by name.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "core/form.h"
#include "core/reading.h"
#include "core/uncertainty.h"
#include "log/log_corrector.h"
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

// How the page asks for a reading: room for the six values the texts are read
// as (the call fills it: numbers go to the page exactly, with no text between),
// the three unit indices, the rules, and the lengths of the six field texts
// and of the six standard uncertainties' texts (empty when not given), then
// their UTF-8 bytes one after the other.
struct ReadingRequest {
    double values[field_count];
    std::int32_t units[unit_kind_count];
    std::int32_t lenient;
    std::int32_t decimal_comma;
    std::int32_t lengths[2 * field_count];
};

// The standard uncertainties of the page's fields: an empty one is none given.
UncertaintyTexts given_uncertainties(const FieldTexts& texts) {
    UncertaintyTexts given;
    for (std::size_t f = 0; f < field_count; ++f) {
        if (!trim_blanks(texts[f]).empty())
            given[f] = texts[f];
    }
    return given;
}

std::string reading_reply(const FieldTexts& texts, const FieldTexts& uncertainty_texts, UnitSelection units,
                          ReadingRules rules, double* values) {
    JsonWriter json;
    json.begin_object();
    const UncertaintyTexts given = given_uncertainties(uncertainty_texts);
    const UncertaintiesRead uncertainties = read_uncertainties(given, {}, rules, page_hints);
    const Correction c = correct(texts, units, rules);
    if (uncertainties.refused || !c.corrected()) {
        json.key("message").string(uncertainties.refused ? *uncertainties.refused
                                                         : refusal_message(c, texts, rules, page_hints));
        json.end_object();
        return json.text();
    }
    const ResultTexts results = c.texts();
    json.key("results").begin_array();
    for (const ResultInfo& result : result_table) {
        std::string text = results.*result.text;
        apply_mark(text, rules);
        json.string(text);
    }
    for (std::size_t f = 0; f < field_count; ++f)
        values[f] = c.inputs.*field_table[f].value;
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

// One reading (a ReadingRequest followed by the texts), as JSON: {"results",
// "units", "warnings"} with the values read in the request, and with uncertainties
// given an "uncertainty" (web_json.h); or {"message"} when a text is refused.
KESTRANE_EXPORT(kestrane_reading) Reply* kestrane_reading(ReadingRequest* request) {
    std::array<FieldTexts, 2> texts;  // the fields', then the uncertainties'
    // The texts follow the lengths at once (the struct's own padding is not theirs).
    const char* bytes = reinterpret_cast<const char*>(request->lengths + 2 * field_count);
    for (std::size_t i = 0; i < 2 * field_count; ++i) {
        const auto length = static_cast<std::size_t>(request->lengths[i]);
        texts[i / field_count][i % field_count] = std::string_view(bytes, length);
        bytes += length;
    }
    const UnitSelection units{request->units[0], request->units[1], request->units[2]};
    const ReadingRules rules{request->lenient != 0 ? ReadingMode::lenient : ReadingMode::strict,
                             request->decimal_comma != 0};
    return reply(reading_reply(texts[0], texts[1], units, rules, request->values));
}

// The unit a name stands for, of the kind at index kind (0 temperature, 1
// pressure, 2 distance), as the command line reads it: {"index"}, or
// {"message"} saying which names there are.
KESTRANE_EXPORT(kestrane_unit) Reply* kestrane_unit(std::int32_t kind, const char* name, std::int32_t size) {
    const auto unit_kind = all_unit_kinds.at(static_cast<std::size_t>(kind));
    const std::string_view text(name, static_cast<std::size_t>(size));
    JsonWriter json;
    json.begin_object();
    if (const auto index = unit_index(unit_kind, text))
        json.key("index").integer(*index);
    else
        json.key("message").string(unknown_unit_message(unit_kind, text));
    json.end_object();
    return reply(json.text());
}

// A log corrected a chunk at a time, as kestrane-cli corrects one: with the
// unit indices for rows without unit cells, the reading rules, and the
// delimiter its header shows.
KESTRANE_EXPORT(kestrane_log_begin)
LogCorrector* kestrane_log_begin(std::int32_t temperature,
                                 std::int32_t pressure,
                                 std::int32_t distance,
                                 std::int32_t lenient,
                                 std::int32_t decimal_comma) {
    LogOptions options;
    options.units = {temperature, pressure, distance};
    options.rules = {lenient != 0 ? ReadingMode::lenient : ReadingMode::strict, decimal_comma != 0};
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
