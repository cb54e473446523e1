#include "command_line.h"

#include <CLI/CLI.hpp>

#include <span>
#include <vector>

#include "messages.h"
#include "table.h"

#ifndef KESTRANE_VERSION
#error "KESTRANE_VERSION is set by the build"
#endif

namespace kestrane::cli {
namespace {

// An example value of each field's option, for its help.
constexpr std::array<std::string_view, field_count> field_examples = {"20.9", "760", "29.5", "25", "1500", "80"};
// An example unit of each unit option, for its help.
constexpr std::array<std::string_view, 3> unit_examples = {"C", "mmHg", "m"};

constexpr std::string_view table_example =
    "kestrane-cli table --rows altitude=0:10000:1000 --columns temperature=32:104:9 --humidity 50";

// The options every run has, on the main command.
struct Options {
    std::array<CLI::Option*, field_count> fields{};
    CLI::Option* csv = nullptr;
    CLI::Option* rejects = nullptr;
    CLI::App* table = nullptr;
};

// "a, b, c and d", with a line break after the item `break_after` (none past the end).
std::string listed(std::span<const std::string_view> names, std::string_view last, std::size_t break_after = 99) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i != 0)
            text += i + 1 == names.size() ? last : i == break_after + 1 ? ",\n" : ", ";
        text += names[i];
    }
    return text;
}

std::string main_footer() {
    std::array<std::string_view, 3> unit_columns{};
    for (std::size_t k = 0; k < unit_kinds.size(); ++k)
        unit_columns[k] = unit_kinds[k].column;
    return "A field's text must be one number; blanks around it are ignored, and the target gas and the humidity\n"
           "may have a % after it (\"" +
           default_text(Field::target_gas) + "\", \"" + default_text(Field::relative_humidity) +
           " %\"). Anything else is refused with the field's label and the\n"
           "text (\"20,95\", \"12abc\", \"12e\", an empty text). A number too large for single precision (\"1e39\") "
           "gets\nthe field's range message. --lenient reads a text as the dialog does: the number at its start, "
           "the\nrest ignored (\"12abc\" is 12; \"abc\" is refused).\n"
           "\n"
           "With --pressure-unit or --temperature-unit other than the first, give the fields whose defaults are in\n"
           "the first unit (the pressures, the temperature) too. A result that no real gas could give (no dry gas\n"
           "left, or a temperature outside 0 to 50 C) is still printed, with a warning on standard error.\n"
           "\n"
           "A log for --csv has a header row with the columns " +
           listed(field_column_names, " and ", 2) + ", optionally " + listed(unit_columns, " and ") +
           ",\nin any order, and any others (copied through). Each row comes back with " +
           listed(result_column_names, " and ", 0) +
           " (filled in place when\nthe log has them already). A malformed record comes back with its text whole "
           "in its first column, or\nin the file of --rejects. Rows are written as they are read, so a live log "
           "can be followed.\n"
           "\n"
           "Examples:\n"
           "  kestrane-cli\n"
           "  kestrane-cli --temperature 25 --temperature-unit C --humidity 80\n"
           "  kestrane-cli --pressure-unit mmHg --target-pressure 760 --barometric-pressure 748\n"
           "  kestrane-cli --csv readings.csv > corrected.csv\n"
           "  tail -f live.csv | kestrane-cli --csv - --rejects rejected.csv\n"
           "  " +
           std::string(table_example) +
           "\n\n"
           "Exit status: 0 done; 1 the reading, or a row of the log, was refused or malformed; 2 usage error\n"
           "(unknown option or unit, a log header without a required column, a bad range, a unit without the\n"
           "fields it needs); 3 a file, or the output, could not be read or written.";
}

Options add_main_options(CLI::App& app, Settings& s) {
    Options options;
    for (std::size_t f = 0; f < field_count; ++f) {
        const auto field = static_cast<Field>(f);
        std::string names = field_option(field);
        if (field == Field::barometric_pressure)
            names.append(",--").append(barometer_alias);
        options.fields[f] = app.add_option(names, s.fields[f],
                                           "The " + std::string(field_labels[f]) + " field's text; e.g. " +
                                               field_option(field) + " " + std::string(field_examples[f]))
                                ->capture_default_str()
                                ->type_name("TEXT")
                                ->group("Reading");
    }
    app.add_flag("--lenient", s.lenient,
                 "Read each text as the dialog does: the number at its start, the rest ignored (\"20,95\" reads 20); "
                 "e.g. --lenient")
        ->group("Reading");
    for (std::size_t k = 0; k < unit_kinds.size(); ++k) {
        const std::string option = "--" + std::string(unit_kinds[k].option);
        app.add_option(option, s.units[k],
                       "The " + std::string(unit_kinds[k].name) + " unit: " + accepted_unit_names(unit_kinds[k].kind) +
                           " (any case); e.g. " + option + " " + std::string(unit_examples[k]))
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

CLI::App* add_table_command(CLI::App& app, Settings& s) {
    CLI::App* table = app.add_subcommand(
        "table",
        "Print a table of one result over two inputs swept across ranges, the other inputs fixed by the reading's "
        "options. Every cell is the text a single reading with those inputs prints; a refused reading shows E and "
        "the number of the refused field (E1 target gas ... E6 relative humidity), explained under the table.");
    table->set_help_flag("-h,--help", "Print this help and exit");
    table
        ->add_option("--rows", s.rows,
                     "The input down the table and its range; FIELD is " + listed(field_column_names, " or ") +
                         " (or the option's name, such as " + std::string(info(Field::relative_humidity).option) +
                         "); e.g. --rows altitude=0:10000:1000")
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
        "  " +
        std::string(table_example) +
        "\n"
        "  kestrane-cli table --rows humidity=0:100:10 --columns temperature=0:40:5 --temperature-unit C "
        "--format csv");
    return table;
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

// The whole command line: the main command's options, the table command, and
// what a failed parse says.
void define(CLI::App& app, Settings& s, Options& options) {
    app.footer(main_footer());
    app.set_version_flag("--version", std::string(program_name) + " " + KESTRANE_VERSION,
                         "Print the program's version and exit; e.g. --version");
    app.set_help_flag("-h,--help", "Print this help and exit; e.g. --help (or table --help)");
    // One command line on every platform: on Windows CLI11 would otherwise take
    // "/logs/today.csv" for an option "/logs".
    app.allow_windows_style_options(false);
    // The reading's options may follow the command: "kestrane-cli table ... --humidity 0".
    app.fallthrough();
    app.require_subcommand(0, 1);
    options = add_main_options(app, s);
    options.table = add_table_command(app, s);
    app.failure_message([table = options.table](const CLI::App* failed, const CLI::Error& e) {
        std::string text = std::string(program_name) + ": " + e.what() + "\n";
        if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::ExtrasError)) {
            text += "Accepted: " + option_names(*failed) + "; the command table with " + option_names(*table) + "\n";
        }
        return text + "Run with --help for more information.\n";
    });
}

}  // namespace

std::string field_option(Field field) {
    return "--" + std::string(info(field).option);
}

std::optional<int> parse_command_line(int argc,
                                      const char* const* argv,
                                      Request& request,
                                      std::ostream& out,
                                      std::ostream& err) {
    CLI::App app{
        "Corrects a target gas concentration for barometric pressure, altitude, temperature and humidity, as the "
        "Kestrane dialog does. With no options it corrects the dialog's default reading and prints the four "
        "results.",
        std::string(program_name)};
    Settings& s = request.settings;
    s.result = table_result_names[0];
    s.format = table_format_names[0];
    Options options;
    define(app, s, options);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e, out, err) == 0 ? 0 : exit_usage;
    }
    for (std::size_t f = 0; f < field_count; ++f)
        request.fields_given.set(f, options.fields[f]->count() != 0);
    request.csv = options.csv->count() != 0;
    request.rejects = options.rejects->count() != 0;
    request.table = options.table->parsed();
    return std::nullopt;
}

std::optional<UnitSelection> resolve_units(const Settings& settings, std::ostream& err) {
    UnitSelection units;
    for (std::size_t k = 0; k < unit_kinds.size(); ++k) {
        const auto index = unit_index(unit_kinds[k].kind, settings.units[k]);
        if (!index) {
            report_error(err, unknown_unit_message(unit_kinds[k].kind, settings.units[k]), exit_usage);
            return std::nullopt;
        }
        units.*unit_kinds[k].selection = *index;
    }
    return units;
}

bool defaults_fit_units(const Request& request,
                        UnitSelection units,
                        std::bitset<field_count> given,
                        std::ostream& err) {
    struct Dependent {
        UnitKind kind;
        std::vector<Field> fields;
    };
    const Dependent dependents[] = {
        {UnitKind::temperature, {Field::temperature}},
        {UnitKind::pressure, {Field::target_pressure, Field::barometric_pressure}},
    };
    bool fit = true;
    for (const Dependent& d : dependents) {
        std::string names;
        std::string defaults;
        std::size_t missing = 0;
        for (const Field field : d.fields) {
            const auto f = static_cast<std::size_t>(field);
            if (units.*info(d.kind).selection == 0 || request.fields_given.test(f) || given.test(f))
                continue;
            names.append(missing == 0 ? "" : " and ").append(field_option(field));
            defaults.append(missing++ == 0 ? "" : " and ").append(trim_blanks(default_text(field)));
        }
        if (missing == 0)
            continue;
        fit = false;
        const bool one = missing == 1;
        report_error(err,
                     "with --" + std::string(info(d.kind).option) + " " +
                         request.settings.units[static_cast<std::size_t>(d.kind)] + ", give " + names +
                         " as well: " + (one ? "its default, " : "their defaults, ") + defaults +
                         (one ? ", is in " : ", are in ") + std::string(unit_text(d.kind, 0)),
                     exit_usage);
    }
    return fit;
}

}  // namespace kestrane::cli
