// A calibration table from the table command: the grid on standard output, the
// warnings of its cells after it on standard error.
#include <bitset>
#include <optional>
#include <string>

#include "commands.h"
#include "messages.h"
#include "table.h"

namespace kestrane::cli {
namespace {

// The two sweeps, checked against each other and the options: nothing, with
// the reason printed and status set, when they do not go together.
std::optional<std::pair<Sweep, Sweep>> sweeps(const Request& request, std::ostream& err, int& status) {
    std::string error;
    const char mark = request.settings.decimal_comma ? ',' : '.';
    const auto rows = parse_sweep(request.settings.rows, error, mark);
    if (!rows) {
        status = report_error(err, "--rows: " + error, exit_usage);
        return std::nullopt;
    }
    const auto columns = parse_sweep(request.settings.columns, error, mark);
    if (!columns) {
        status = report_error(err, "--columns: " + error, exit_usage);
        return std::nullopt;
    }
    for (const Sweep* sweep : {&*rows, &*columns}) {
        if (request.fields_given.test(static_cast<std::size_t>(sweep->field))) {
            status = report_error(err,
                                  field_option(sweep->field) + " is swept by " +
                                      (sweep == &*rows ? "--rows" : "--columns") + "; leave it out",
                                  exit_usage);
            return std::nullopt;
        }
    }
    return std::pair{*rows, *columns};
}

// A fixed text that is no number would refuse every cell: it is refused once
// instead. False, with its message printed, when one is.
bool fixed_texts_are_numbers(const Settings& s, std::bitset<field_count> swept, std::ostream& err) {
    for (std::size_t f = 0; f < field_count; ++f) {
        const auto field = static_cast<Field>(f);
        const std::string as_points = s.decimal_comma ? swap_decimal_marks(s.fields[f]) : s.fields[f];
        if (!swept.test(f) && s.mode() == ReadingMode::strict && !is_whole_number(field, as_points)) {
            err << not_a_number_message(field, s.fields[f], s.decimal_comma) << '\n';
            return false;
        }
    }
    return true;
}

TableOptions table_options(const Settings& s, UnitSelection units, char delimiter, std::pair<Sweep, Sweep> axes) {
    TableOptions options;
    options.units = units;
    options.field_texts = s.fields;
    options.mode = s.mode();
    options.decimal_comma = s.decimal_comma;
    options.delimiter = delimiter;
    options.rows = std::move(axes.first);
    options.columns = std::move(axes.second);
    for (std::size_t i = 0; i < table_result_names.size(); ++i) {
        if (s.result == table_result_names[i])
            options.result = static_cast<TableResult>(i);
    }
    for (std::size_t i = 0; i < table_format_names.size(); ++i) {
        if (s.table_format == table_format_names[i])
            options.format = static_cast<TableFormat>(i);
    }
    return options;
}

void report_warnings(const TableWarnings& warnings, std::ostream& err) {
    const std::pair<std::size_t, std::string_view> counts[] = {
        {warnings.no_dry_gas, no_dry_gas_warning},
        {warnings.temperature_outside_fit, temperature_outside_fit_warning},
    };
    for (const auto& [count, text] : counts) {
        if (count != 0)
            report_warning(err, std::to_string(count) + " of " + counted(warnings.cells, "cell", "cells") + ": " +
                                    std::string(text));
    }
}

}  // namespace

int run_table(const Request& request,
              UnitSelection units,
              std::optional<char> delimiter,
              std::ostream& out,
              std::ostream& err) {
    if (request.csv)
        return report_error(err, "a log and table do not go together: run them separately", exit_usage);
    if (request.format) {
        return report_error(err,
                            "--format " + request.settings.format +
                                " is a single reading's; give a table's format after table (table --format csv)",
                            exit_usage);
    }
    int status = 0;
    auto axes = sweeps(request, err, status);
    if (!axes)
        return status;
    std::bitset<field_count> swept;
    swept.set(static_cast<std::size_t>(axes->first.field));
    swept.set(static_cast<std::size_t>(axes->second.field));
    if (!defaults_fit_units(request, units, swept, err))
        return exit_usage;
    if (!fixed_texts_are_numbers(request.settings, swept, err))
        return exit_refused;
    std::string error;
    TableWarnings warnings;
    std::ostream* notes = request.settings.quiet ? nullptr : &err;
    if (!write_table(table_options(request.settings, units, delimiter.value_or(','), std::move(*axes)), out, notes,
                     error, &warnings))
        return report_error(err, error, exit_usage);
    if (!out)
        return report_write_failure(out, err);
    report_warnings(warnings, err);
    return 0;
}

}  // namespace kestrane::cli
