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
#include "grid.h"
#include "vocabulary.h"

#ifndef KESTRANE_VERSION
#error "KESTRANE_VERSION is set by the build"
#endif

namespace kestrane::cli {
namespace {

constexpr const char* program_name = "kestrane-cli";

// Everything the command line can set, with the dialog's defaults.
struct Settings {
    std::array<std::string, field_count> fields = default_field_values();
    std::string temperature_unit = "F";
    std::string pressure_unit = "inHg";
    std::string distance_unit = "ft";
    std::string csv_input = "-";
    std::string output = "-";  // of either command
    std::string delimiter = ",";
    std::string grid_format = "text";
};

void add_reading_options(CLI::App& app, Settings& s) {
    constexpr std::array<const char*, field_count> flags = {"--gas",         "--target-pressure", "--barometer",
                                                            "--temperature", "--altitude",        "--humidity"};
    for (std::size_t f = 0; f < field_count; ++f) {
        app.add_option(flags[f], s.fields[f], std::string(field_labels[f]))->capture_default_str()->group("Reading");
    }
    app.add_option("--temperature-unit", s.temperature_unit, "F or C")->capture_default_str()->group("Units");
    app.add_option("--pressure-unit", s.pressure_unit, "inHg, mmHg, bar or kPa; both pressures and the gas pressure")
        ->capture_default_str()
        ->group("Units");
    app.add_option("--distance-unit", s.distance_unit, "ft or m")->capture_default_str()->group("Units");
}

// The list indices the unit names stand for; an error text names a bad one.
std::optional<UnitSelection> resolve_units(const Settings& s, std::string& error) {
    const auto t = temperature_unit_index(s.temperature_unit);
    const auto p = pressure_unit_index(s.pressure_unit);
    const auto d = distance_unit_index(s.distance_unit);
    if (!t)
        error = "unknown temperature unit \"" + s.temperature_unit + "\" (F or C)";
    else if (!p)
        error = "unknown pressure unit \"" + s.pressure_unit + "\" (inHg, mmHg, bar or kPa)";
    else if (!d)
        error = "unknown distance unit \"" + s.distance_unit + "\" (ft or m)";
    else
        return UnitSelection{*t, *p, *d};
    return std::nullopt;
}

std::optional<char> resolve_delimiter(std::string_view text) {
    if (text == "tab" || text == "\\t" || text == "\t")
        return '\t';
    if (text.size() == 1 && text[0] != '"' && text[0] != '\n' && text[0] != '\r')
        return text[0];
    return std::nullopt;
}

int report_error(std::ostream& err, const std::string& message, int status) {
    err << program_name << ": " << message << '\n';
    return status;
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
    const std::string_view pressure_unit = pressure_unit_texts[static_cast<std::size_t>(units.pressure)];
    out << calculated_gas_pct_label << ": " << r.calculated_gas_pct << '\n'
        << calculated_gas_pressure_label << ": " << r.calculated_gas_pressure << ' ' << pressure_unit << '\n'
        << vapor_pressure_pct_label << ": " << r.vapor_pressure_pct << '\n'
        << corrected_barometer_label << ": " << r.corrected_barometer << ' ' << pressure_unit_texts[0] << '\n';
    return 0;
}

// Opens path for writing unless it is "-"; the stream to write to, or nothing.
std::ostream* open_output(const std::string& path, std::ofstream& file, std::ostream& standard) {
    if (path == "-")
        return &standard;
    file.open(path, std::ios::binary | std::ios::trunc);
    return file ? &file : nullptr;
}

int run_csv(const Settings& s, UnitSelection units, std::istream& in, std::ostream& out, std::ostream& err) {
    BatchOptions options;
    options.units = units;
    options.field_texts = s.fields;
    const auto delimiter = resolve_delimiter(s.delimiter);
    if (!delimiter)
        return report_error(err, "the delimiter is one character, or \"tab\"", exit_usage);
    options.delimiter = *delimiter;

    std::ifstream input_file;
    std::istream* input = &in;
    if (s.csv_input != "-") {
        input_file.open(s.csv_input, std::ios::binary);
        if (!input_file)
            return report_error(err, "cannot read " + s.csv_input, exit_data);
        input = &input_file;
    }
    // Opening the output truncates it, so writing onto the log itself would lose it unread.
    std::error_code ec;
    if (s.csv_input != "-" && s.output != "-" && std::filesystem::equivalent(s.csv_input, s.output, ec)) {
        return report_error(err, "the output " + s.output + " is the log being read; write it elsewhere", exit_usage);
    }
    std::ofstream output_file;
    std::ostream* output = open_output(s.output, output_file, out);
    if (!output)
        return report_error(err, "cannot write " + s.output, exit_data);

    const BatchReport report = correct_csv_log(*input, *output, options);
    if (!report.ok()) {
        const std::string source = s.csv_input == "-" ? "standard input" : s.csv_input;
        return report_error(err, source + ": " + report.error, exit_data);
    }
    return 0;
}

int run_grid(const Settings& s, UnitSelection units, std::ostream& out, std::ostream& err) {
    GridOptions options;
    options.units = units;
    options.field_values = s.fields;
    options.format = s.grid_format == "csv" ? GridFormat::csv : GridFormat::text;
    std::ofstream output_file;
    std::ostream* output = open_output(s.output, output_file, out);
    if (!output)
        return report_error(err, "cannot write " + s.output, exit_data);
    std::string error;
    if (!write_grid(options, *output, error))
        return report_error(err, error, exit_data);
    return 0;
}

}  // namespace

int run_cli(int argc, const char* const* argv, std::istream& in, std::ostream& out, std::ostream& err) {
    CLI::App app{
        "Corrects a target gas concentration for barometric pressure, altitude, temperature and humidity.\n"
        "With no command, corrects one reading given by the options (the dialog's defaults otherwise).",
        program_name};
    app.footer(
        "Each field's text is read as the dialog reads it: the number at its start (\"12abc\" is 12, \"abc\" is\n"
        "refused). In grid, a field may also take a range start:stop:step or a list a,b,c.\n"
        "Exit status: 0 done, 1 reading refused, 2 command line not understood, 3 bad file, log or grid.");
    app.set_version_flag("--version", std::string(program_name) + " " + KESTRANE_VERSION);
    // One command line on every platform: on Windows CLI11 would otherwise take
    // "/logs/today.csv" for an option "/logs".
    app.allow_windows_style_options(false);
    // Options of the reading may follow a command: "kestrane-cli grid --humidity 0:100:25".
    app.fallthrough();
    app.require_subcommand(0, 1);

    Settings s;
    add_reading_options(app, s);

    CLI::App* csv = app.add_subcommand(
        "csv",
        "Correct every row of a CSV log. Columns headed with a field's name (target_gas or gas, target_pressure, "
        "barometer, temperature, altitude, humidity, or the dialog's labels) give that field; the options give the "
        "rest. Each row is written back with calculated_gas_pct, calculated_gas_pressure, vapor_pressure_pct, "
        "corrected_barometer and error added.");
    csv->add_option("input", s.csv_input, "the log, or - for standard input")->capture_default_str();
    csv->add_option("-o,--output", s.output, "where to write, or - for standard output")->capture_default_str();
    csv->add_option("-d,--delimiter", s.delimiter, "one character, or tab")->capture_default_str();

    CLI::App* grid = app.add_subcommand(
        "grid", "Tabulate the results over a grid: give fields a range start:stop:step or a list a,b,c.");
    grid->add_option("--format", s.grid_format, "text or csv")
        ->capture_default_str()
        ->check(CLI::IsMember({"text", "csv"}));
    grid->add_option("-o,--output", s.output, "where to write, or - for standard output")->capture_default_str();

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int status = app.exit(e, out, err);
        return status == 0 ? 0 : exit_usage;
    }

    std::string error;
    const std::optional<UnitSelection> units = resolve_units(s, error);
    if (!units)
        return report_error(err, error, exit_usage);
    if (csv->parsed())
        return run_csv(s, *units, in, out, err);
    if (grid->parsed())
        return run_grid(s, *units, out, err);
    return run_reading(s, *units, out, err);
}

}  // namespace kestrane::cli
