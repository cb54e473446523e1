#include "app.h"

#include <CLI/CLI.hpp>

#include <array>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <system_error>

#include "batch.h"
#include "core/correction_run.h"
#include "table.h"
#include "vocabulary.h"

#ifndef KESTRANE_VERSION
#error "KESTRANE_VERSION is set by the build"
#endif

namespace kestrane::cli {
namespace {

constexpr const char* program_name = "kestrane-cli";

// The options of the six fields, in field order, and an example value for each one's help.
constexpr std::array<const char*, field_count> field_options = {
    "--gas", "--target-pressure", "--barometric-pressure,--barometer", "--temperature", "--altitude", "--humidity"};
constexpr std::array<const char*, field_count> field_examples = {"20.9", "760", "29.5", "25", "1500", "80"};

constexpr std::array<const char*, 3> unit_options = {"--temperature-unit", "--pressure-unit", "--distance-unit"};
constexpr std::array<const char*, 3> unit_examples = {"C", "mmHg", "m"};
constexpr std::array<UnitKind, 3> unit_kinds = {UnitKind::temperature, UnitKind::pressure, UnitKind::distance};

// Everything the command line can set, with the dialog's defaults.
struct Settings {
    std::array<std::string, field_count> fields = default_field_values();
    std::array<std::string, 3> units = {"F", "inHg", "ft"};
    std::string csv;
    std::string rows;
    std::string columns;
    std::string result = std::string(table_result_names[0]);
    std::string format = std::string(table_format_names[0]);
};

// The options a reading, a log and a table share, on the main command.
struct CommonOptions {
    std::array<CLI::Option*, field_count> fields{};
    CLI::Option* csv = nullptr;
};

CommonOptions add_common_options(CLI::App& app, Settings& s) {
    CommonOptions options;
    for (std::size_t f = 0; f < field_count; ++f) {
        const std::string label(field_labels[f]);
        const std::string first_name = std::string(field_options[f]).substr(0, std::string(field_options[f]).find(','));
        options.fields[f] = app.add_option(field_options[f], s.fields[f],
                                           "The " + label + " field's text, read as the dialog reads it; e.g. " +
                                               first_name + " " + field_examples[f])
                                ->capture_default_str()
                                ->type_name("TEXT")
                                ->group("Reading");
    }
    for (std::size_t k = 0; k < unit_options.size(); ++k) {
        app.add_option(unit_options[k], s.units[k],
                       std::string("The ") + std::string(unit_kind_name(unit_kinds[k])) +
                           " unit: " + accepted_unit_names(unit_kinds[k]) + " (any case); e.g. " + unit_options[k] +
                           " " + unit_examples[k])
            ->capture_default_str()
            ->type_name("UNIT")
            ->group("Units");
    }
    options.csv = app.add_option("--csv", s.csv,
                                 "Correct every row of a CSV log (- for standard input) and write it, with the "
                                 "results, to standard output; e.g. --csv readings.csv > corrected.csv")
                      ->type_name("FILE")
                      ->group("Log");
    return options;
}

// The long names of an app's options, for a message naming what is accepted.
std::string option_names(const CLI::App& app) {
    std::string names;
    for (const CLI::Option* option : app.get_options()) {
        if (option->get_lnames().empty())
            continue;
        names.append(names.empty() ? "" : ", ").append("--").append(option->get_lnames()[0]);
    }
    return names;
}

int report_error(std::ostream& err, const std::string& message, int status) {
    err << program_name << ": " << message << '\n';
    return status;
}

std::optional<UnitSelection> resolve_units(const Settings& s, std::ostream& err) {
    std::array<int, 3> indices{};
    for (std::size_t k = 0; k < unit_kinds.size(); ++k) {
        const auto index = unit_index(unit_kinds[k], s.units[k]);
        if (!index) {
            report_error(err,
                         "unknown " + std::string(unit_kind_name(unit_kinds[k])) + " unit \"" + s.units[k] +
                             "\"; use " + accepted_unit_names(unit_kinds[k]) + " (any case)",
                         exit_usage);
            return std::nullopt;
        }
        indices[k] = *index;
    }
    return UnitSelection{indices[0], indices[1], indices[2]};
}

int run_reading(const Settings& s, UnitSelection units, std::ostream& out, std::ostream& err) {
    FieldTexts texts;
    for (std::size_t f = 0; f < field_count; ++f)
        texts[f] = s.fields[f];
    const RunOutcome outcome = run_correction(texts, units);
    if (outcome.refused()) {
        err << outcome.message() << '\n';
        return exit_refused;
    }
    const ResultTexts& r = outcome.texts();
    out << calculated_gas_pct_label << ": " << r.calculated_gas_pct << '\n'
        << calculated_gas_pressure_label << ": " << r.calculated_gas_pressure << '\n'
        << vapor_pressure_pct_label << ": " << r.vapor_pressure_pct << '\n'
        << corrected_barometer_label << ": " << r.corrected_barometer << '\n';
    out.flush();
    return 0;
}

int run_log(const Settings& s, UnitSelection units, std::istream& in, std::ostream& out, std::ostream& err) {
    const bool standard_input = s.csv == "-";
    const std::string source = standard_input ? "standard input" : s.csv;
    std::ifstream file;
    std::istream* input = &in;
    if (!standard_input) {
        std::error_code ec;
        if (std::filesystem::is_directory(s.csv, ec))
            return report_error(err, "cannot read " + s.csv + ": it is a folder", exit_io);
        file.open(s.csv, std::ios::binary);
        if (!file)
            return report_error(err, "cannot read " + s.csv, exit_io);
        input = &file;
    }
    LogOptions options;
    options.units = units;
    const LogReport report = correct_log(*input, out, options);
    switch (report.failure) {
        case LogFailure::none: break;
        case LogFailure::bad_header: return report_error(err, source + ": " + report.message, exit_usage);
        case LogFailure::read_failed: return report_error(err, source + ": " + report.message, exit_io);
        case LogFailure::write_failed: return report_error(err, report.message, exit_io);
    }
    err << program_name << ": " << report.rows << " rows read, " << report.corrected << " corrected, " << report.refused
        << " refused";
    if (report.malformed != 0)
        err << ", " << report.malformed << " malformed";
    err << '\n';
    return report.refused == 0 && report.malformed == 0 ? 0 : exit_refused;
}

int run_table(const Settings& s,
              const CommonOptions& common,
              UnitSelection units,
              std::ostream& out,
              std::ostream& err) {
    if (common.csv->count() != 0)
        return report_error(err, "--csv and table do not go together: run them separately", exit_usage);
    TableOptions options;
    options.units = units;
    options.field_texts = s.fields;
    std::string error;
    const auto rows = parse_sweep(s.rows, error);
    if (!rows)
        return report_error(err, "--rows: " + error, exit_usage);
    const auto columns = parse_sweep(s.columns, error);
    if (!columns)
        return report_error(err, "--columns: " + error, exit_usage);
    for (const Sweep* sweep : {&*rows, &*columns}) {
        const auto f = static_cast<std::size_t>(sweep->field);
        if (common.fields[f]->count() != 0) {
            return report_error(err,
                                common.fields[f]->get_name() + " is swept by " +
                                    (sweep == &*rows ? "--rows" : "--columns") + "; leave it out",
                                exit_usage);
        }
    }
    options.rows = *rows;
    options.columns = *columns;
    for (std::size_t i = 0; i < table_result_names.size(); ++i) {
        if (s.result == table_result_names[i])
            options.result = static_cast<TableResult>(i);
    }
    for (std::size_t i = 0; i < table_format_names.size(); ++i) {
        if (s.format == table_format_names[i])
            options.format = static_cast<TableFormat>(i);
    }
    if (!write_table(options, out, error))
        return report_error(err, error, exit_usage);
    return 0;
}

}  // namespace

int run_cli(int argc, const char* const* argv, std::istream& in, std::ostream& out, std::ostream& err) {
    CLI::App app{
        "Corrects a target gas concentration for barometric pressure, altitude, temperature and humidity, as the "
        "Kestrane dialog does. With no options it corrects the dialog's default reading and prints the four "
        "results.",
        program_name};
    app.footer(
        "A field's text is read as the dialog reads it: the number at its start (\"12abc\" is 12; \"abc\" is "
        "refused).\n"
        "\n"
        "A log for --csv has a header row with the columns target_gas, target_pressure, barometric_pressure,\n"
        "temperature, altitude and relative_humidity, optionally temperature_unit, pressure_unit and distance_unit,\n"
        "in any order, and any others (copied through). Each row comes back with calculated_gas_pct,\n"
        "calculated_gas_pressure, vapor_pressure_pct, corrected_barometer and error.\n"
        "\n"
        "Examples:\n"
        "  kestrane-cli\n"
        "  kestrane-cli --temperature 25 --temperature-unit C --humidity 80\n"
        "  kestrane-cli --pressure-unit mmHg --target-pressure 760 --barometric-pressure 748\n"
        "  kestrane-cli --csv readings.csv > corrected.csv\n"
        "  kestrane-cli table --rows altitude=0:10000:1000 --columns temperature=32:104:9 --humidity 50\n"
        "\n"
        "Exit status: 0 done; 1 the reading, or a row of the log, was refused or malformed; 2 usage error\n"
        "(unknown option or unit, a log header without a required column, a bad range); 3 a file could not be\n"
        "read or written.");
    app.set_version_flag("--version", std::string(program_name) + " " + KESTRANE_VERSION,
                         "Print the program's version and exit; e.g. --version");
    app.set_help_flag("-h,--help", "Print this help and exit; e.g. --help (or table --help)");
    // One command line on every platform: on Windows CLI11 would otherwise take
    // "/logs/today.csv" for an option "/logs".
    app.allow_windows_style_options(false);
    // The reading's options may follow the command: "kestrane-cli table ... --humidity 0".
    app.fallthrough();
    app.require_subcommand(0, 1);

    Settings s;
    const CommonOptions common = add_common_options(app, s);

    CLI::App* table = app.add_subcommand(
        "table",
        "Print a table of one result over two inputs swept across ranges, the other inputs fixed by the reading's "
        "options. Every cell is the text a single reading with those inputs prints; a refused reading shows E and "
        "the number of the refused field (E1 target gas ... E6 relative humidity), explained under the table.");
    table->set_help_flag("-h,--help", "Print this help and exit");
    table
        ->add_option("--rows", s.rows,
                     "The input down the table and its range; FIELD is target_gas, target_pressure, "
                     "barometric_pressure, temperature, altitude or relative_humidity (or the option's name, such "
                     "as humidity); e.g. --rows altitude=0:10000:1000")
        ->type_name("FIELD=START:STOP:STEP")
        ->required();
    table
        ->add_option("--columns", s.columns,
                     "The input across the table and its range; e.g. --columns temperature=32:104:9")
        ->type_name("FIELD=START:STOP:STEP")
        ->required();
    table
        ->add_option("--result", s.result,
                     "The result in the cells: gas-pct (Calculated Gas (% Vol)), gas-pressure (Calculated Gas "
                     "Pressure), vapor-pct (Vapor Pressure (%)) or barometer (Corrected Barometer); "
                     "e.g. --result gas-pressure")
        ->capture_default_str()
        ->type_name("NAME")
        ->check(CLI::IsMember(std::vector<std::string>(table_result_names.begin(), table_result_names.end())));
    table->add_option("--format", s.format, "text (aligned columns), csv or md (Markdown); e.g. --format md")
        ->capture_default_str()
        ->type_name("FORMAT")
        ->check(CLI::IsMember(std::vector<std::string>(table_format_names.begin(), table_format_names.end())));
    table->footer(
        "A range is START:STOP:STEP in plain decimals; it ends at STOP when a whole number of steps reaches it, "
        "and each value\nhas the decimals of START and STEP. A table has at most 10000 cells.\n"
        "\n"
        "The options of a reading (--gas ... --humidity, --temperature-unit, --pressure-unit, --distance-unit)\n"
        "fix the other inputs and the units.\n"
        "\n"
        "Examples:\n"
        "  kestrane-cli table --rows altitude=0:10000:1000 --columns temperature=32:104:9 --humidity 50\n"
        "  kestrane-cli table --rows humidity=0:100:10 --columns temperature=0:40:5 --temperature-unit C "
        "--format csv");

    app.failure_message([table](const CLI::App* failed, const CLI::Error& e) {
        std::string text = std::string(program_name) + ": " + e.what() + "\n";
        if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::ExtrasError)) {
            text += "Accepted: " + option_names(*failed) + "; the command table with " + option_names(*table) + "\n";
        }
        return text + "Run with --help for more information.\n";
    });

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int status = app.exit(e, out, err);
        return status == 0 ? 0 : exit_usage;
    }

    const std::optional<UnitSelection> units = resolve_units(s, err);
    if (!units)
        return exit_usage;
    if (table->parsed())
        return run_table(s, common, *units, out, err);
    if (common.csv->count() != 0) {
        for (const CLI::Option* option : common.fields) {
            if (option->count() != 0) {
                return report_error(
                    err, option->get_name() + " does not go with --csv: the log gives every field in its columns",
                    exit_usage);
            }
        }
        return run_log(s, *units, in, out, err);
    }
    return run_reading(s, *units, out, err);
}

}  // namespace kestrane::cli
