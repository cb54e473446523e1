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
#include "reading/evaluate.h"
#include "reading/json_writer.h"
#include "reading/query_text.h"
#include "reading/decimal_text.h"
#include "reading/reading_json.h"
#include "reading/uncertainty_settings.h"
#include "reading/unit_defaults.h"
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

// Sentences one after the other, as the page shows them.
std::string joined(const std::vector<std::string>& sentences) {
    std::string text;
    for (const std::string& sentence : sentences)
        text.append(text.empty() ? "" : " ").append(sentence);
    return text;
}

// The fields the form still holds at the dialog's defaults (as the reading's
// mark writes them) under a unit the defaults are not in: refused, naming them.
std::optional<std::string> defaults_refusal(const QueryText& read) {
    std::bitset<field_count> left;
    for (const Field field : all_fields) {
        const auto f = static_cast<std::size_t>(field);
        left.set(f, trim_blanks(read.fields[f]) == trim_blanks(default_text(field, read.rules)));
    }
    std::string sentences;
    for (const UnitKind kind : all_unit_kinds) {
        const std::vector<Field> fields = defaults_out_of_unit(kind, read.units, left);
        std::vector<std::string> names;
        std::vector<std::string> defaults;
        for (const Field field : fields) {
            names.emplace_back(info(field).label);
            defaults.emplace_back(trim_blanks(read.fields[static_cast<std::size_t>(field)]));
        }
        const std::string unit = std::string(info(kind).list_label) + " " + std::string(selected_unit(kind, read.units).text);
        if (!fields.empty())
            sentences.append(sentences.empty() ? "" : "; ").append(defaults_message(unit, "enter", names, defaults, kind));
    }
    return sentences.empty() ? std::nullopt : std::optional("Error: " + sentences);
}

// The refusal of a request the page's own checks stop before any reading:
// what the address got wrong, or defaults left in another unit.
std::optional<ReadingOutcome> page_refusal(const QueryText& read) {
    if (!read.problems.empty())
        return refused_request(joined(read.problems));
    if (const auto refusal = defaults_refusal(read))
        return refused_request(*refusal);
    return std::nullopt;
}

// The reading a request asks for, as kestrane-cli --format json writes it.
std::string reading_reply(const QueryText& read) {
    const ReadingQuery query = read.query();
    if (auto refused = page_refusal(read))
        return reading_json(query, *refused);
    return reading_json(query, evaluate(query, page_hints));
}

// A Monte Carlo run the page's worker steps a block at a time: the request's
// text as read (the query's texts are views of it), the reading without the
// run, and the run when there is one to make.
struct MonteCarloSession {
    QueryText read;
    ReadingQuery query;
    ReadingOutcome outcome;
    std::optional<MonteCarloRun> run;
};

// The one run of the module: a worker makes one at a time.
std::unique_ptr<MonteCarloSession> session;

// Begins a session: the reading's JSON without the run, or its refusal (and then no run).
std::string begin_monte_carlo(std::string_view text) {
    session = std::make_unique<MonteCarloSession>();
    MonteCarloSession& s = *session;
    s.read = read_query_text(text);
    s.query = s.read.query();
    if (auto refused = page_refusal(s.read)) {
        s.outcome = std::move(*refused);
        return reading_json(s.query, s.outcome);
    }
    const std::optional<MonteCarloRequest> request = s.query.monte_carlo;
    s.query.monte_carlo.reset();
    s.outcome = evaluate(s.query, page_hints);
    const std::string json = reading_json(s.query, s.outcome);
    s.query.monte_carlo = request;
    if (request && s.outcome.corrected() && s.outcome.uncertainty) {
        s.run.emplace(monte_carlo_run(s.query, s.outcome));
    }
    return json;
}

// Ends the session: the reading's JSON with the run's result.
std::string finish_monte_carlo() {
    const std::unique_ptr<MonteCarloSession> s = std::move(session);
    if (!s)
        return "null";
    if (s->run) {
        const double p = s->query.coverage_probability.value_or(MonteCarloRequest{}.coverage_probability);
        s->outcome.monte_carlo = s->run->result(validation_budget(s->outcome, p));
    }
    return reading_json(s->query, s->outcome);
}


// The uncertainty's settings an address gives, as the page's controls take
// them: see kestrane_address.
void write_uncertainty_settings(JsonWriter& json, const QueryText& read) {
    json.key("dof").begin_object();
    for (const Field field : all_fields) {
        if (const double dof = read.known[field].degrees_of_freedom; dof != infinite_degrees_of_freedom)
            json.key(std::to_string(static_cast<std::size_t>(field))).string(plain_decimal_text(dof));
    }
    json.end_object();
    if (read.coverage_probability)
        json.key("coverage").string(percent_text(*read.coverage_probability));
    json.key("correlations").begin_array();
    for (const CorrelationPair& pair : read.known.correlations)
        json.string(correlation_text(pair));
    json.end_array();
    if (const auto& run = read.monte_carlo) {
        json.key("monteCarlo").begin_object();
        json.key("draws").string(run->draws ? std::to_string(*run->draws) : std::string(adaptive_draws));
        json.key("interval").string(interval_name(run->interval));
        if (run->seed != default_monte_carlo_seed)
            json.key("seed").string(std::to_string(run->seed));
        json.end_object();
    }
}

// The analyzer's check and the record an address gives, each text by its
// option's name: see kestrane_address.
void write_check_and_record(JsonWriter& json, const QueryText& read) {
    json.key("check").begin_object();
    for (const CheckInputInfo& input : check_input_table) {
        if (const auto& text = read.check[static_cast<std::size_t>(input.input)])
            json.key(input.option).string(*text);
    }
    if (read.decision_rule != DecisionRule::simple)
        json.key(decision_rule_option).string(info(read.decision_rule).name);
    json.end_object().key("record").begin_object();
    for (const RecordFieldInfo& field : record_field_table) {
        if (const auto& text = read.record[field.field])
            json.key(std::string(record_option_prefix) + std::string(field.name)).string(*text);
    }
    json.end_object();
}

// The settings an address gives, each by its index: see kestrane_address.
std::string address_json(const QueryText& read) {
    JsonWriter json;
    json.begin_object().key("fields").begin_object();
    for (std::size_t f = 0; f < field_count; ++f) {
        if (read.fields_given.test(f))
            json.key(std::to_string(f)).string(read.fields[f]);
    }
    json.end_object().key("uncertainties").begin_object();
    for (std::size_t f = 0; f < field_count; ++f) {
        if (const auto& text = read.uncertainties[f])
            json.key(std::to_string(f)).string(*text);
    }
    json.end_object().key("units").begin_object();
    for (std::size_t k = 0; k < unit_kind_count; ++k) {
        if (read.units_given.test(k))
            json.key(std::to_string(k)).integer(static_cast<long long>(read.units.*unit_kinds[k].selection));
    }
    json.end_object();
    write_uncertainty_settings(json, read);
    write_check_and_record(json, read);
    if (read.decimal_comma)
        json.key("decimalComma").boolean(*read.decimal_comma);
    json.key("lenient").boolean(read.rules.mode == ReadingMode::lenient);
    json.key("problems").begin_array();
    for (const std::string& problem : read.problems)
        json.string(problem);
    json.end_array().end_object();
    return json.text();
}

}  // namespace

// The module's static constructors, made by the linker. Calling them here, once,
// also tells the linker not to wrap every export in constructors and
// destructors of its own: those would destroy a function's static tables at
// the end of the first call that made them, leaving the next call reading freed memory.
extern "C" void __wasm_call_ctors();

// Called once, before any other call.
KESTRANE_EXPORT(kestrane_initialize) void kestrane_initialize() {
    __wasm_call_ctors();
}

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
// as the JSON object kestrane-cli --format json writes (reading/reading_json.h),
// in the page's words where a refusal has words of the front end's own.
KESTRANE_EXPORT(kestrane_reading) Reply* kestrane_reading(const char* text, std::int32_t size) {
    return reply(reading_reply(read_query_text(std::string_view(text, static_cast<std::size_t>(size)))));
}

// The settings an address gives, for the page to put into its form, as JSON:
// {"fields": {index: text}, "uncertainties": {index: text}, "units": {kind:
// index}, "dof": {index: text}} for those it gives, "coverage" (a per cent)
// when it gives one, "correlations": [their texts], "monteCarlo": {"draws", "interval",
// "seed"} when it asks for a run, "check" and "record": {option: text} for the
// texts it gives (and the decision rule unless simple), "decimalComma" unless it says nothing,
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
    std::string refused;
    const std::optional<LogOptions> options = log_options(read.query(), page_hints, refused);
    return options ? new LogCorrector(*options) : nullptr;
}

// Corrects what a chunk completes and gives the length of the corrected bytes
// that are ready, at kestrane_log_output until the next call. The corrector
// keeps its output's room from chunk to chunk, so that a log of any length is
// written into the same block rather than into a new one grown for each chunk.
KESTRANE_EXPORT(kestrane_log_push)
std::int32_t kestrane_log_push(LogCorrector* log, const char* chunk, std::int32_t size) {
    log->output().clear();
    log->push(std::string_view(chunk, static_cast<std::size_t>(size)));
    return static_cast<std::int32_t>(log->output().size());
}

// Ends the log: the length of the rest of the corrected bytes, at kestrane_log_output.
KESTRANE_EXPORT(kestrane_log_finish) std::int32_t kestrane_log_finish(LogCorrector* log) {
    log->output().clear();
    log->finish();
    return static_cast<std::int32_t>(log->output().size());
}

// Where the corrected bytes of the last push or finish are.
KESTRANE_EXPORT(kestrane_log_output) const char* kestrane_log_output(LogCorrector* log) {
    return log->output().data();
}

// What became of the log, as JSON: {"rows", ..., "summary"}, or {"failure"}
// when its header would not do; then the corrector is gone.
KESTRANE_EXPORT(kestrane_log_end) Reply* kestrane_log_end(LogCorrector* log) {
    const std::unique_ptr<LogCorrector> owned(log);
    return reply(log_report_json(log->report()));
}

// What became of a log corrected in two parts, this corrector's the first: the
// second's counts (its report's "counts") added to this one's, as JSON as
// kestrane_log_end gives it; then the corrector is gone. Nothing when the
// counts are not a report's.
KESTRANE_EXPORT(kestrane_log_end_joined)
Reply* kestrane_log_end_joined(LogCorrector* log, const std::uint32_t* counts, std::int32_t size) {
    const std::unique_ptr<LogCorrector> owned(log);
    LogReport report = log->report();
    if (!add_log_counts(report, counts, static_cast<std::size_t>(size)))
        return nullptr;
    return reply(log_report_json(report));
}

// Monte Carlo's draws for a reading asked for in a text of the address's kind
// with its "monte-carlo" part, for the page's worker: begin gives the reading
// as kestrane_reading does but without the draws (or its refusal, and then no
// run); step draws one block of them and gives how far the run is, 0 to 1,
// and 1 once it is done; finish gives the reading with its "monte_carlo" and
// ends the run. A begin ends any run before it.
KESTRANE_EXPORT(kestrane_monte_carlo_begin) Reply* kestrane_monte_carlo_begin(const char* text, std::int32_t size) {
    return reply(begin_monte_carlo(std::string_view(text, static_cast<std::size_t>(size))));
}

KESTRANE_EXPORT(kestrane_monte_carlo_step) double kestrane_monte_carlo_step() {
    if (!session || !session->run || !session->run->step())
        return 1.0;
    return session->run->done() ? 1.0 : session->run->progress();
}

KESTRANE_EXPORT(kestrane_monte_carlo_finish) Reply* kestrane_monte_carlo_finish() {
    return reply(finish_monte_carlo());
}
