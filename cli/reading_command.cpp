// One reading from the options: its results in the format asked for, or the
// message that refused it.
#include <vector>

#include "command_line.h"
#include "commands.h"
#include "log/log_corrector.h"
#include "messages.h"
#include "reading_json.h"

namespace kestrane::cli {
namespace {

// The four results, each as its label, a colon and the text the dialog shows,
// a pressure followed by its unit.
std::string text_of(const Correction& c, const Request& r) {
    const ResultTexts texts = c.texts();
    std::string out;
    for (const Result result : all_results) {
        std::string text = texts.*info(result).text;
        if (r.rules.decimal_comma)
            use_decimal_comma(text);
        out.append(info(result).label).append(": ").append(text);
        if (info(result).unit != ResultUnit::percent)
            out.append(" ").append(result_unit_text(result, r.units));
        out += '\n';
    }
    return out;
}

// The header and the row that a log holding just this reading gives: the six
// fields, the three units as they are named, and the results, corrected by the
// log's own code so that the two cannot differ.
std::string csv_of(const FieldTexts& texts, const Request& r) {
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
    LogOptions options;
    options.units = r.units;
    options.rules = r.rules;
    options.delimiter = delimiter;
    std::string out;
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

int run_reading(const Request& r, ByteSink& out, ByteSink& err) {
    if (!defaults_fit_units(r, {}, err))
        return exit_usage;
    FieldTexts texts;
    for (std::size_t f = 0; f < field_count; ++f)
        texts[f] = r.fields[f];
    const Correction c = correct(texts, r.units, r.rules);
    std::string written;
    switch (r.format) {
        case ReadingFormat::text: written = c.corrected() ? text_of(c, r) : ""; break;
        case ReadingFormat::json: written = reading_json(texts, r.units, c, r.rules.decimal_comma); break;
        case ReadingFormat::csv: written = csv_of(texts, r); break;
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
