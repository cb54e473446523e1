// One reading from the options: its results in the format asked for, or the
// message that refused it.
#include <vector>

#include "command_line.h"
#include "commands.h"
#include "log/log_corrector.h"
#include "reading/reading_text.h"
#include "messages.h"
#include "reading_json.h"

namespace kestrane::cli {
namespace {

// The header and the row that a log holding just this reading gives: the six
// fields, the three units as they are named, and the results, corrected by the
// log's own code so that the two cannot differ.
std::string csv_of(const FieldTexts& texts, const Request& r, const UncertaintyInputs& uncertainties) {
    const char delimiter = r.delimiter.value_or(',');
    std::string header;
    std::string row;
    for (std::size_t f = 0; f < field_count; ++f) {
        append_csv_field(f == 0 ? header : header += delimiter, field_table[f].column, delimiter);
        append_csv_field(f == 0 ? row : row += delimiter, texts[f], delimiter);
    }
    for (const UnitKind kind : all_unit_kinds) {
        append_csv_field(header += delimiter, info(kind).column, delimiter);
        append_csv_field(row += delimiter, selected_unit(kind, r.units).text, delimiter);
    }
    // The uncertainties given go in their columns, so that the CSV read back
    // as a log states the same ones.
    for (std::size_t f = 0; f < field_count; ++f) {
        if (!r.uncertainties_given.test(f))
            continue;
        append_csv_field(header += delimiter, uncertainty_columns()[f], delimiter);
        append_csv_field(row += delimiter, r.uncertainties[f], delimiter);
    }
    LogOptions options;
    options.units = r.units;
    options.rules = r.rules;
    options.delimiter = delimiter;
    options.uncertainty = r.uncertainties_given.any();
    std::string out;
    options.uncertainties = uncertainties;
    correct_log_text(header + "\n" + row + "\n", options, out);
    return out;
}

}  // namespace

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
    return read_uncertainties(texts, {}, r.rules.decimal_comma, log_mark_hints);
}

// The text of a reading: its results, and with uncertainties their budgets and Monte Carlo's check.
std::string text_of(const Correction& c, const Request& r, const ReadingUncertainty& u) {
    if (!c.corrected())
        return {};
    if (!u.propagated)
        return results_text(c, r.units, r.rules.decimal_comma);
    std::string text = results_text(c, r.units, r.rules.decimal_comma, &*u.propagated);
    text += budget_text(Result::calculated_gas_pct, u.propagated->calculated_gas_pct, r.units, r.rules.decimal_comma);
    text += budget_text(Result::calculated_gas_pressure, u.propagated->calculated_gas_pressure, r.units,
                        r.rules.decimal_comma);
    if (u.monte_carlo)
        text += monte_carlo_text(*u.monte_carlo, r.seed, r.rules.decimal_comma);
    return text;
}

int run_reading(const Request& r, ByteSink& out, ByteSink& err) {
    if (r.monte_carlo && r.format == ReadingFormat::csv) {
        return report_error(err, "--monte-carlo does not go with --format csv: CSV states each row's uncertainty",
                            exit_usage);
    }
    if (!defaults_fit_units(r, {}, err))
        return exit_usage;
    FieldTexts texts;
    for (std::size_t f = 0; f < field_count; ++f)
        texts[f] = r.fields[f];
    const UncertaintiesRead read = uncertainty_options(r);
    // A bad uncertainty option is a usage error, as it is with a log: no
    // reading was made of it.
    if (read.refused)
        return report_error(err, *read.refused, exit_usage);
    const UncertaintyInputs* uncertainties = &read.values;
    const Correction c = correct(texts, r.units, r.rules);
    ReadingUncertainty u;
    u.propagated_asked = r.uncertainties_given.any() || r.monte_carlo.has_value();
    u.monte_carlo_asked = r.monte_carlo.has_value();
    if (c.corrected() && (r.uncertainties_given.any() || r.monte_carlo)) {
        u.propagated = propagate_uncertainty(c.inputs, r.units, *uncertainties);
        if (!stated(*u.propagated)) {
            err.write(std::string(uncertainty_too_large_message) + "\n");
            return exit_refused;
        }
        if (r.monte_carlo)
            u.monte_carlo = monte_carlo_calculated_gas(c.inputs, r.units, *uncertainties, *r.monte_carlo, r.seed);
    }
    std::string written;
    switch (r.format) {
        case ReadingFormat::text: written = text_of(c, r, u); break;
        case ReadingFormat::json: written = reading_json(texts, r.units, c, r.rules.decimal_comma, u); break;
        case ReadingFormat::csv: written = csv_of(texts, r, *uncertainties); break;
    }
    if (!out.write(written))
        return report_write_failure(out, err);
    // The message and the warnings go to standard error in every format, for the
    // person at the terminal; JSON and CSV carry them for the script too.
    if (!c.corrected()) {
        err.write(refusal_message(c, texts, r.rules.decimal_comma, log_mark_hints) + "\n");
        return exit_refused;
    }
    for (const std::string& text : warning_texts(c.warnings, r.units))
        report_warning(err, text);
    return 0;
}

}  // namespace kestrane::cli
