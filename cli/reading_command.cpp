// One reading from the options: its results in the format asked for, or the
// message that refused it.
#include <vector>

#include "command_line.h"
#include "commands.h"
#include "log/reading_csv.h"
#include "messages.h"
#include "reading/reading_json.h"
#include "reading/reading_text.h"
#include "reading/unit_defaults.h"

namespace kestrane::cli {
bool defaults_fit_units(const Request& request, std::bitset<field_count> given, ByteSink& err) {
    bool fit = true;
    for (const UnitKind kind : all_unit_kinds) {
        const auto k = static_cast<std::size_t>(kind);
        const std::vector<Field> left = defaults_out_of_unit(kind, request.units, ~(request.fields_given | given));
        if (left.empty())
            continue;
        fit = false;
        std::vector<std::string> names;
        std::vector<std::string> defaults;
        for (const Field field : left) {
            names.push_back(field_option(field));
            defaults.emplace_back(trim_blanks(default_text(field)));
        }
        const std::string unit = "--" + std::string(info(kind).option) + " " + request.unit_names[k];
        report_error(err, defaults_message(unit, "give", names, defaults, kind), exit_usage);
    }
    return fit;
}

// The query of the options: the texts, units and rules, and the uncertainty
// when standard uncertainties or Monte Carlo's draws are asked for.
ReadingQuery query_of(const Request& r) {
    ReadingQuery q;
    for (std::size_t f = 0; f < field_count; ++f) {
        q.texts[f] = r.fields[f];
        if (r.uncertainties_given.test(f))
            q.uncertainties[f] = r.uncertainties[f];
    }
    q.units = r.units;
    q.rules = r.rules;
    q.uncertainty = r.uncertainties_given.any() || r.monte_carlo.has_value();
    q.known = r.known;
    q.coverage_probability = r.coverage_probability;
    q.monte_carlo = r.monte_carlo;
    for (std::size_t i = 0; i < check_input_count; ++i) {
        if (r.check_given.test(i))
            q.check.texts[i] = r.check_texts[i];
    }
    q.check.rule = r.decision_rule;
    q.record = r.record;
    return q;
}

int run_reading(const Request& r, ByteSink& out, ByteSink& err) {
    if (r.monte_carlo && r.format == ReadingFormat::csv) {
        return report_error(err,
                            "--monte-carlo does not go with --format csv: a CSV row states the expanded uncertainties "
                            "alone; give --format text or --format json",
                            exit_usage);
    }
    if (!defaults_fit_units(r, {}, err))
        return exit_usage;
    const ReadingQuery query = query_of(r);
    const ReadingOutcome outcome = evaluate(query, command_line_hints);
    // A bad uncertainty option is a usage error, as it is with a log: no
    // reading was made of it. Nor is one whose uncertainty no number states.
    if (outcome.refusal == Refusal::uncertainty_text || outcome.refusal == Refusal::correlation ||
        outcome.refusal == Refusal::check)
        return report_error(err, outcome.message, exit_usage);
    if (outcome.refusal == Refusal::uncertainty_too_large) {
        err.write(outcome.message + "\n");
        return exit_refused;
    }
    std::string written;
    switch (r.format) {
        case ReadingFormat::text: written = reading_text(query, outcome); break;
        case ReadingFormat::json: written = reading_json(query, outcome); break;
        case ReadingFormat::csv: written = reading_csv(query, r.delimiter.value_or(',')); break;
    }
    if (!out.write(written))
        return report_write_failure(out, err);
    // The message and the warnings go to standard error in every format, for the
    // person at the terminal; JSON and CSV carry them for the script too.
    if (!outcome.corrected()) {
        err.write(outcome.message + "\n");
        return exit_refused;
    }
    for (const std::string& text : outcome_warnings(query, outcome))
        report_warning(err, text);
    return 0;
}

}  // namespace kestrane::cli
