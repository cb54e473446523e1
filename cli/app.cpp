#include "app.h"

#include <CLI/CLI.hpp>

#include <array>
#include <bitset>
#include <optional>
#include <string>

#include "batch.h"
#include "core/correction_run.h"
#include "reading.h"
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

// Everything the command line can set, with the dialog's defaults.
struct Settings {
    std::array<std::string, field_count> fields = default_field_values();
    std::array<std::string, 3> units = {"F", "inHg", "ft"};
    bool lenient = false;
    std::string csv;
    std::string rejects;
    std::string rows;
    std::string columns;
    std::string result = std::string(table_result_names[0]);
    std::string format = std::string(table_format_names[0]);

    ReadingMode mode() const { return lenient ? ReadingMode::lenient : ReadingMode::strict; }
};

// The options a reading, a log and a table share, on the main command.
struct CommonOptions {
    std::array<CLI::Option*, field_count> fields{};
    std::array<CLI::Option*, 3> units{};
    CLI::Option* csv = nullptr;
    CLI::Option* rejects = nullptr;
};

// The first of an option's names: "--barometric-pressure" of "--barometric-pressure,--barometer".
std::string first_name(const char* names) {
    const std::string all(names);
    return all.substr(0, all.find(','));
}

CommonOptions add_common_options(CLI::App& app, Settings& s) {
    CommonOptions options;
    for (std::size_t f = 0; f < field_count; ++f) {
        const std::string label(field_labels[f]);
        options.fields[f] = app.add_option(field_options[f], s.fields[f],
                                           "The " + label + " field's text; e.g. " + first_name(field_options[f]) +
                                               " " + field_examples[f])
                                ->capture_default_str()
                                ->type_name("TEXT")
                                ->group("Reading");
    }
    app.add_flag("--lenient", s.lenient,
                 "Read each text as the dialog does: the number at its start, the rest ignored (\"20,95\" reads 20); "
                 "e.g. --lenient")
        ->group("Reading");
    for (std::size_t k = 0; k < unit_options.size(); ++k) {
        options.units[k] = app.add_option(unit_options[k], s.units[k],
                                          std::string("The ") + std::string(unit_kind_name(unit_kinds[k])) +
                                              " unit: " + accepted_unit_names(unit_kinds[k]) + " (any case); e.g. " +
                                              unit_options[k] + " " + unit_examples[k])
                               ->capture_default_str()
                               ->type_name("UNIT")
                               ->group("Units");
    }
    options.csv = app.add_option("--csv", s.csv,
                                 "Correct every row of a CSV log (- for standard input) and write it, with the "
                                 "results, to standard output; e.g. --csv readings.csv > corrected.csv")
                      ->type_name("FILE")
                      ->group("Log");
    options.rejects = app.add_option("--rejects", s.rejects,
                                     "With --csv: write each malformed record of the log to FILE as it stood, and "
                                     "leave its row's cells empty; e.g. --rejects rejected.csv")
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
            report_error(err, unknown_unit_message(unit_kinds[k], s.units[k]), exit_usage);
            return std::nullopt;
        }
        indices[k] = *index;
    }
    return UnitSelection{indices[0], indices[1], indices[2]};
}

// The dialog's defaults are in the first unit of each list: a field left at its
// default under another unit would be read in a unit it was never meant in.
// Altitude is spared, as its default 0 is the same in feet and metres. Prints
// what to give and returns false when that happens.
bool defaults_fit_units(const Settings& s,
                        const CommonOptions& common,
                        UnitSelection units,
                        std::bitset<field_count> given,
                        std::ostream& err) {
    struct Dependent {
        std::size_t unit;
        int index;
        std::array<Field, 2> fields;
        std::size_t count;
    };
    const Dependent dependents[] = {
        {0, units.temperature, {Field::temperature, Field::temperature}, 1},
        {1, units.pressure, {Field::target_pressure, Field::barometric_pressure}, 2},
    };
    bool fit = true;
    for (const Dependent& d : dependents) {
        std::vector<std::size_t> missing;
        for (std::size_t i = 0; i < d.count; ++i) {
            const auto f = static_cast<std::size_t>(d.fields[i]);
            if (d.index != 0 && common.fields[f]->count() == 0 && !given.test(f))
                missing.push_back(f);
        }
        if (missing.empty())
            continue;
        fit = false;
        std::string names;
        std::string defaults;
        for (std::size_t i = 0; i < missing.size(); ++i) {
            names.append(i == 0 ? "" : " and ").append(first_name(field_options[missing[i]]));
            defaults.append(i == 0 ? "" : " and ").append(trim_blanks(default_field_texts[missing[i]]));
        }
        const bool one = missing.size() == 1;
        report_error(err,
                     std::string("with ") + unit_options[d.unit] + " " + s.units[d.unit] + ", give " + names +
                         " as well: " + (one ? "its default, " : "their defaults, ") + defaults +
                         (one ? ", is in " : ", are in ") + std::string(unit_text(unit_kinds[d.unit], 0)),
                     exit_usage);
    }
    return fit;
}

int write_failed(std::ostream& out, std::ostream& err) {
    return report_error(err, "write error: " + write_failure(out), exit_io);
}

void print_warnings(CorrectionWarnings warnings, std::ostream& err) {
    for (const std::string_view text : warning_texts(warnings))
        err << program_name << ": warning: " << text << '\n';
}

int run_reading(const Settings& s, UnitSelection units, std::ostream& out, std::ostream& err) {
    FieldTexts texts;
    for (std::size_t f = 0; f < field_count; ++f)
        texts[f] = s.fields[f];
    const Correction c = correct(texts, units, s.mode());
    if (!c.corrected()) {
        err << refusal_message(c, texts) << '\n';
        return exit_refused;
    }
    const ResultTexts t = c.texts();
    out << calculated_gas_pct_label << ": " << t.calculated_gas_pct << '\n'
        << calculated_gas_pressure_label << ": " << t.calculated_gas_pressure << '\n'
        << vapor_pressure_pct_label << ": " << t.vapor_pressure_pct << '\n'
        << corrected_barometer_label << ": " << t.corrected_barometer << '\n';
    if (!out.flush())
        return write_failed(out, err);
    print_warnings(c.warnings, err);
    return 0;
}

// The summary of a log: "4 rows read, 2 corrected, 1 refused, 1 malformed".
std::string log_summary(const LogReport& report) {
    std::string text = std::to_string(report.rows) + " rows read, " + std::to_string(report.corrected) +
                       " corrected, " + std::to_string(report.refused) + " refused";
    if (report.malformed != 0)
        text += ", " + std::to_string(report.malformed) + " malformed";
    if (report.blank != 0)
        text += ", " + std::to_string(report.blank) + " blank";
    if (report.warned != 0)
        text += ", " + std::to_string(report.warned) + " with warnings";
    return text;
}

int run_log(const Settings& s, UnitSelection units, InputSource& in, std::ostream& out, std::ostream& err) {
    const bool standard_input = s.csv == "-";
    const std::string source = standard_input ? "standard input" : quoted_name(s.csv);
    std::string reason;
    std::unique_ptr<InputSource> file;
    if (!standard_input && !(file = open_input(s.csv, reason)))
        return report_error(err, "cannot read " + source + ": " + reason, exit_io);
    std::unique_ptr<OutputBuffer> rejects_buffer;
    std::optional<std::ostream> rejects;
    if (!s.rejects.empty()) {
        if (!(rejects_buffer = open_output(s.rejects, reason)))
            return report_error(err, "cannot write " + quoted_name(s.rejects) + ": " + reason, exit_io);
        rejects.emplace(rejects_buffer.get());
    }
    LogOptions options;
    options.units = units;
    options.mode = s.mode();
    options.rejects = rejects ? &*rejects : nullptr;
    const LogReport report = correct_log(file ? *file : in, out, options);
    switch (report.failure) {
        case LogFailure::none: break;
        case LogFailure::bad_header:
            return report_error(err, (standard_input ? source : s.csv) + ": " + report.message, exit_usage);
        case LogFailure::read_failed:
            return report_error(err, "cannot read " + source + ": " + report.message, exit_io);
        case LogFailure::write_failed: return report_error(err, "write error: " + report.message, exit_io);
        case LogFailure::rejects_failed:
            return report_error(err, "write error: " + quoted_name(s.rejects) + ": " + report.message, exit_io);
    }
    err << program_name << ": " << log_summary(report) << '\n';
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
    options.mode = s.mode();
    std::string error;
    const auto rows = parse_sweep(s.rows, error);
    if (!rows)
        return report_error(err, "--rows: " + error, exit_usage);
    const auto columns = parse_sweep(s.columns, error);
    if (!columns)
        return report_error(err, "--columns: " + error, exit_usage);
    std::bitset<field_count> swept;
    for (const Sweep* sweep : {&*rows, &*columns}) {
        const auto f = static_cast<std::size_t>(sweep->field);
        swept.set(f);
        if (common.fields[f]->count() != 0) {
            return report_error(err,
                                common.fields[f]->get_name() + " is swept by " +
                                    (sweep == &*rows ? "--rows" : "--columns") + "; leave it out",
                                exit_usage);
        }
    }
    if (!defaults_fit_units(s, common, units, swept, err))
        return exit_usage;
    // A fixed text that is no number would refuse every cell: say so once instead.
    for (std::size_t f = 0; f < field_count; ++f) {
        if (!swept.test(f) && s.mode() == ReadingMode::strict && !is_whole_number(static_cast<Field>(f), s.fields[f])) {
            err << not_a_number_message(static_cast<Field>(f), s.fields[f]) << '\n';
            return exit_refused;
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
    TableWarnings warnings;
    if (!write_table(options, out, error, &warnings))
        return report_error(err, error, exit_usage);
    if (!out)
        return write_failed(out, err);
    const std::pair<std::size_t, std::string_view> counts[] = {
        {warnings.no_dry_gas, no_dry_gas_warning},
        {warnings.temperature_outside_fit, temperature_outside_fit_warning},
    };
    for (const auto& [count, text] : counts) {
        if (count != 0) {
            err << program_name << ": warning: " << count << " of " << warnings.cells << " cells: " << text << '\n';
        }
    }
    return 0;
}

}  // namespace

int run_cli(int argc, const char* const* argv, InputSource& in, std::ostream& out, std::ostream& err) {
    CLI::App app{
        "Corrects a target gas concentration for barometric pressure, altitude, temperature and humidity, as the "
        "Kestrane dialog does. With no options it corrects the dialog's default reading and prints the four "
        "results.",
        program_name};
    app.footer(
        "A field's text must be one number; blanks around it are ignored, and the target gas and the humidity\n"
        "may have a % after it (\"20.95\", \" 50 %\"). Anything else is refused with the field's label and the\n"
        "text (\"20,95\", \"12abc\", \"12e\", an empty text). A number too large for single precision (\"1e39\") gets\n"
        "the field's range message. --lenient reads a text as the dialog does: the number at its start, the\n"
        "rest ignored (\"12abc\" is 12; \"abc\" is refused).\n"
        "\n"
        "With --pressure-unit or --temperature-unit other than the first, give the fields whose defaults are in\n"
        "the first unit (the pressures, the temperature) too. A result that no real gas could give (no dry gas\n"
        "left, or a temperature outside 0 to 50 C) is still printed, with a warning on standard error.\n"
        "\n"
        "A log for --csv has a header row with the columns target_gas, target_pressure, barometric_pressure,\n"
        "temperature, altitude and relative_humidity, optionally temperature_unit, pressure_unit and distance_unit,\n"
        "in any order, and any others (copied through). Each row comes back with calculated_gas_pct,\n"
        "calculated_gas_pressure, vapor_pressure_pct, corrected_barometer, error and warning (filled in place when\n"
        "the log has them already). A malformed record comes back with its text whole in its first column, or\n"
        "in the file of --rejects. Rows are written as they are read, so a live log can be followed.\n"
        "\n"
        "Examples:\n"
        "  kestrane-cli\n"
        "  kestrane-cli --temperature 25 --temperature-unit C --humidity 80\n"
        "  kestrane-cli --pressure-unit mmHg --target-pressure 760 --barometric-pressure 748\n"
        "  kestrane-cli --csv readings.csv > corrected.csv\n"
        "  tail -f live.csv | kestrane-cli --csv - --rejects rejected.csv\n"
        "  kestrane-cli table --rows altitude=0:10000:1000 --columns temperature=32:104:9 --humidity 50\n"
        "\n"
        "Exit status: 0 done; 1 the reading, or a row of the log, was refused or malformed; 2 usage error\n"
        "(unknown option or unit, a log header without a required column, a bad range, a unit without the\n"
        "fields it needs); 3 a file, or the output, could not be read or written.");
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
        "The options of a reading (--gas ... --humidity, --lenient, --temperature-unit, --pressure-unit,\n"
        "--distance-unit) fix the other inputs and the units; a swept field counts as given. Warnings go to\n"
        "standard error under the table, with the number of cells they concern.\n"
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

    int status = 0;
    try {
        app.parse(argc, argv);
        status = -1;
    } catch (const CLI::ParseError& e) {
        status = app.exit(e, out, err) == 0 ? 0 : exit_usage;
    }
    if (status == -1) {
        status = [&] {
            // A file option whose value looks like an option was almost certainly meant as one.
            for (CLI::Option* option : {common.csv, common.rejects}) {
                const std::string& value = option == common.csv ? s.csv : s.rejects;
                if (option->count() != 0 && value.size() > 1 && value[0] == '-') {
                    return report_error(err,
                                        option->get_name() + " needs a file name, not the option \"" + value +
                                            "\" (for a file of that name, write ./" + value + ")",
                                        exit_usage);
                }
            }
            if (common.rejects->count() != 0 && common.csv->count() == 0)
                return report_error(err, "--rejects goes with --csv", exit_usage);
            const std::optional<UnitSelection> units = resolve_units(s, err);
            if (!units)
                return exit_usage;
            if (table->parsed())
                return run_table(s, common, *units, out, err);
            if (common.csv->count() != 0) {
                for (const CLI::Option* option : common.fields) {
                    if (option->count() != 0) {
                        return report_error(
                            err,
                            option->get_name() + " does not go with --csv: the log gives every field in its columns",
                            exit_usage);
                    }
                }
                return run_log(s, *units, in, out, err);
            }
            if (!defaults_fit_units(s, common, *units, {}, err))
                return exit_usage;
            return run_reading(s, *units, out, err);
        }();
    }
    // Whatever was written must have reached its place: a full disk or a closed
    // output is a failure, whatever else happened.
    if (!out.flush() && status != exit_io)
        status = write_failed(out, err);
    if (!err.flush())
        status = exit_io;
    return status;
}

int run_cli(int argc, const char* const* argv, std::istream& in, std::ostream& out, std::ostream& err) {
    StreamSource source(in);
    return run_cli(argc, argv, source, out, err);
}

}  // namespace kestrane::cli
