// One reading from the options: its results in the format asked for, or the
// message that refused it.
#include <sstream>
#include <string>

#include "batch.h"
#include "commands.h"
#include "messages.h"
#include "reading_json.h"

namespace kestrane::cli {
namespace {

// The four results, each as its label, a colon and the text the dialog shows.
void write_text(const Correction& c, bool decimal_comma, std::ostream& out) {
    ResultTexts t = c.texts();
    if (decimal_comma) {
        for (std::string* text :
             {&t.calculated_gas_pct, &t.calculated_gas_pressure, &t.vapor_pressure_pct, &t.corrected_barometer})
            use_decimal_comma(*text);
    }
    out << calculated_gas_pct_label << ": " << t.calculated_gas_pct << '\n'
        << calculated_gas_pressure_label << ": " << t.calculated_gas_pressure << '\n'
        << vapor_pressure_pct_label << ": " << t.vapor_pressure_pct << '\n'
        << corrected_barometer_label << ": " << t.corrected_barometer << '\n';
}

// The header and the row that a log holding just this reading gives: the six
// fields, the three units as they are named, and the results, corrected by the
// log's own code so that the two cannot differ.
void write_csv(const FieldTexts& texts, UnitSelection units, const Settings& s, char delimiter, std::ostream& out) {
    std::string header;
    std::string row;
    for (std::size_t f = 0; f < field_count; ++f) {
        append_csv_field(f == 0 ? header : header += delimiter, field_column_names[f], delimiter);
        append_csv_field(f == 0 ? row : row += delimiter, texts[f], delimiter);
    }
    for (const UnitKindInfo& kind : unit_kinds) {
        append_csv_field(header += delimiter, kind.column, delimiter);
        append_csv_field(row += delimiter, unit_text(kind.kind, units.*kind.selection), delimiter);
    }
    std::istringstream log(header + "\n" + row + "\n");
    LogOptions options;
    options.units = units;
    options.mode = s.mode();
    options.decimal_comma = s.decimal_comma;
    options.delimiter = delimiter;
    correct_log(log, out, options);
}

ReadingFormat format_of(const Settings& s) {
    for (std::size_t i = 0; i < reading_format_names.size(); ++i) {
        if (s.format == reading_format_names[i])
            return static_cast<ReadingFormat>(i);
    }
    return ReadingFormat::text;
}

}  // namespace

int run_reading(const Request& request,
                UnitSelection units,
                std::optional<char> delimiter,
                std::ostream& out,
                std::ostream& err) {
    if (!defaults_fit_units(request, units, {}, err))
        return exit_usage;
    const Settings& s = request.settings;
    FieldTexts texts;
    for (std::size_t f = 0; f < field_count; ++f)
        texts[f] = s.fields[f];
    const Correction c = correct(texts, units, s.mode(), s.decimal_comma);
    switch (format_of(s)) {
        case ReadingFormat::text:
            if (c.corrected())
                write_text(c, s.decimal_comma, out);
            break;
        case ReadingFormat::json: out << reading_json(texts, units, c, s.decimal_comma); break;
        case ReadingFormat::csv: write_csv(texts, units, s, delimiter.value_or(','), out); break;
    }
    if (!out.flush())
        return report_write_failure(out, err);
    // The message and the warnings go to standard error in every format, for the
    // person at the terminal; JSON and CSV carry them for the script too.
    if (!c.corrected()) {
        err << refusal_message(c, texts, s.decimal_comma) << '\n';
        return exit_refused;
    }
    for (const std::string_view text : warning_texts(c.warnings))
        report_warning(err, text);
    return 0;
}

}  // namespace kestrane::cli
