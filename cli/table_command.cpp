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
    const auto rows = parse_sweep(request.settings.rows, error);
    if (!rows) {
        status = report_error(err, "--rows: " + error, exit_usage);
        return std::nullopt;
    }
    const auto columns = parse_sweep(request.settings.columns, error);
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
        if (!swept.test(f) && s.mode() == ReadingMode::strict && !is_whole_number(field, s.fields[f])) {
            err << not_a_number_message(field, s.fields[f]) << '\n';
            return false;
        }
    }
    return true;
}

TableOptions table_options(const Settings& s, UnitSelection units, std::pair<Sweep, Sweep> axes) {
    TableOptions options;
    options.units = units;
    options.field_texts = s.fields;
    options.mode = s.mode();
    options.rows = std::move(axes.first);
    options.columns = std::move(axes.second);
    for (std::size_t i = 0; i < table_result_names.size(); ++i) {
        if (s.result == table_result_names[i])
            options.result = static_cast<TableResult>(i);
    }
    for (std::size_t i = 0; i < table_format_names.size(); ++i) {
        if (s.format == table_format_names[i])
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
            report_warning(
                err, std::to_string(count) + " of " + std::to_string(warnings.cells) + " cells: " + std::string(text));
    }
}

}  // namespace

int run_table(const Request& request, UnitSelection units, std::ostream& out, std::ostream& err) {
    if (request.csv)
        return report_error(err, "--csv and table do not go together: run them separately", exit_usage);
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
    if (!write_table(table_options(request.settings, units, std::move(*axes)), out, error, &warnings))
        return report_error(err, error, exit_usage);
    if (!out)
        return report_write_failure(out, err);
    report_warnings(warnings, err);
    return 0;
}

}  // namespace kestrane::cli
