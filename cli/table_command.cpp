// A calibration table from the table command: the grid on standard output, the
// warnings of its cells after it on standard error.
#include <optional>
#include <string>
#include <vector>

#include "command_line.h"
#include "commands.h"
#include "log/log_columns.h"
#include "messages.h"

namespace kestrane::cli {
namespace {

// The two sweeps, checked against each other and the options: nothing, with
// the reason written and status set, when they do not go together.
std::optional<std::pair<Sweep, Sweep>> sweeps(const Request& r, ByteSink& err, int& status) {
    const std::pair<std::string, const std::string*> axes[] = {{"--rows", &r.rows}, {"--columns", &r.columns}};
    std::vector<Sweep> swept;
    for (const auto& [option, text] : axes) {
        std::string error;
        std::optional<Sweep> sweep = parse_sweep(*text, error, decimal_mark(r.rules));
        if (!sweep) {
            status = report_error(err, option + ": " + error, exit_usage);
            return std::nullopt;
        }
        swept.push_back(std::move(*sweep));
    }
    for (std::size_t i = 0; i < swept.size(); ++i) {
        if (r.fields_given.test(static_cast<std::size_t>(swept[i].field))) {
            status = report_error(
                err, field_option(swept[i].field) + " is swept by " + axes[i].first + "; leave it out", exit_usage);
            return std::nullopt;
        }
    }
    return std::pair{std::move(swept[0]), std::move(swept[1])};
}

// A fixed text that is no number would refuse every cell: it is refused once
// instead. False, with its message written, when one is.
bool fixed_texts_are_numbers(const Request& r, std::bitset<field_count> swept, ByteSink& err) {
    for (const Field field : all_fields) {
        const auto f = static_cast<std::size_t>(field);
        if (!swept.test(f) && r.rules.mode == ReadingMode::strict && !is_whole_number(field, r.fields[f], r.rules)) {
            err.write(not_a_number_message(field, r.fields[f], r.rules, log_mark_hints) + "\n");
            return false;
        }
    }
    return true;
}

void report_warnings(const TableSummary& summary, ByteSink& err) {
    for (const auto& [text, count] : summary.warnings) {
        report_warning(err, std::to_string(count) + " of " + std::to_string(summary.cells) +
                                (summary.cells == 1 ? " cell: " : " cells: ") + text);
    }
}

}  // namespace

int run_table(const Request& r, ByteSink& out, ByteSink& err) {
    if (r.format_given) {
        return report_error(err,
                            "--format " + std::string(reading_format_names[static_cast<std::size_t>(r.format)]) +
                                " is a single reading's; give a table's format after table (table --format csv)",
                            exit_usage);
    }
    if (r.uncertainty_settings_given)
        return report_error(err, "a table shows results alone: give uncertainties with one reading or a log", exit_usage);
    int status = 0;
    auto axes = sweeps(r, err, status);
    if (!axes)
        return status;
    std::bitset<field_count> swept;
    swept.set(static_cast<std::size_t>(axes->first.field));
    swept.set(static_cast<std::size_t>(axes->second.field));
    if (!defaults_fit_units(r, swept, err))
        return exit_usage;
    if (!fixed_texts_are_numbers(r, swept, err))
        return exit_refused;
    TableOptions options;
    options.units = r.units;
    options.field_texts = r.fields;
    options.rules = r.rules;
    options.delimiter = r.delimiter.value_or(',');
    options.result = r.result;
    options.format = r.table_format;
    options.rows = std::move(axes->first);
    options.columns = std::move(axes->second);
    std::string table;
    std::string notes;
    std::string error;
    TableSummary summary;
    if (!write_table(options, table, r.quiet ? nullptr : &notes, error, &summary))
        return report_error(err, error, exit_usage);
    // The titles go first, so that at a terminal they stand above the grid.
    err.write(notes);
    if (!out.write(table))
        return report_write_failure(out, err);
    report_warnings(summary, err);
    return summary.refused == summary.cells ? exit_refused : 0;
}

}  // namespace kestrane::cli
