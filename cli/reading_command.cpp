// One reading from the options: its results in the format asked for, or the
// message that refused it.
#include <vector>

#include "command_line.h"
#include "commands.h"
#include "log/reading_csv.h"
#include "messages.h"
#include "reading/reading_json.h"
#include "reading/reading_text.h"

namespace kestrane::cli {
bool defaults_fit_units(const Request& request, std::bitset<field_count> given, ByteSink& err) {
    bool fit = true;
    for (const UnitKind kind : all_unit_kinds) {
        const Unit& chosen = selected_unit(kind, request.units);
        std::string names;
        std::string defaults;
        std::size_t missing = 0;
        for (const Field field : all_fields) {
            const auto f = static_cast<std::size_t>(field);
            const double value = info(field).default_value;
            // A default that is the same in either unit (an altitude of 0) may stay.
            if (field_unit_kind(field) != kind || request.fields_given.test(f) || given.test(f) ||
                to_internal(value, chosen) == to_internal(value, info(kind).units[0]))
                continue;
            names.append(missing == 0 ? "" : " and ").append(field_option(field));
            defaults.append(missing++ == 0 ? "" : " and ").append(trim_blanks(default_text(field)));
        }
        if (missing == 0)
            continue;
        fit = false;
        const bool one = missing == 1;
        report_error(err,
                     "with --" + std::string(info(kind).option) + " " +
                         request.unit_names[static_cast<std::size_t>(kind)] + ", give " + names + " as well: " +
                         (one ? "its default, " : "their defaults, ") + defaults + (one ? ", is in " : ", are in ") +
                         std::string(info(kind).units[0].text),
                     exit_usage);
    }
    return fit;
}

UncertaintiesRead uncertainty_options(const Request& r) {
    UncertaintyTexts texts;
    for (std::size_t f = 0; f < field_count; ++f) {
        if (r.uncertainties_given.test(f))
            texts[f] = r.uncertainties[f];
    }
    return read_uncertainties(texts, {}, r.rules, command_line_hints);
}

namespace {

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
    q.monte_carlo = r.monte_carlo;
    q.seed = r.seed;
    return q;
}

}  // namespace

int run_reading(const Request& r, ByteSink& out, ByteSink& err) {
    if (r.monte_carlo && r.format == ReadingFormat::csv) {
        return report_error(err, "--monte-carlo does not go with --format csv: CSV states each row's uncertainty",
                            exit_usage);
    }
    if (!defaults_fit_units(r, {}, err))
        return exit_usage;
    const ReadingQuery query = query_of(r);
    const ReadingOutcome outcome = evaluate(query, command_line_hints);
    // A bad uncertainty option is a usage error, as it is with a log: no
    // reading was made of it. Nor is one whose uncertainty no number states.
    if (outcome.refusal == Refusal::uncertainty_text)
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
    for (const std::string& text : warning_texts(outcome.correction.warnings, r.units))
        report_warning(err, text);
    return 0;
}

}  // namespace kestrane::cli
