#include "command_line.h"

#include <CLI/CLI.hpp>

#include <memory>
#include <span>
#include <vector>

#include "commands.h"
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
constexpr std::array<std::string_view, 3> unit_examples = {"C", "hPa", "m"};

// The groups of the main help, in order; the table command and its options go under "Table".
constexpr std::array<std::string_view, 5> help_groups = {"Reading", "Units", "Log", "Table", "Output"};
constexpr std::string_view table_group = help_groups[3];

constexpr std::string_view table_example =
    "kestrane-cli table --rows altitude=0:10000:1000 --columns temperature=32:104:9 --humidity 50";

// The options a parse reports on, besides the settings they fill.
struct Options {
    std::array<CLI::Option*, field_count> fields{};
    CLI::Option* csv = nullptr;
    CLI::Option* log = nullptr;
    CLI::Option* rejects = nullptr;
    CLI::Option* delimiter = nullptr;
    CLI::Option* format = nullptr;
    CLI::Option* output = nullptr;
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

// The main help in the groups of help_groups, the table command with its
// options under "Table"; a command's own help as CLI11 writes it.
class GroupedHelp : public CLI::Formatter {
public:
    std::string make_help(const CLI::App* app, std::string name, CLI::AppFormatMode mode) const override {
        if (app->get_parent() != nullptr)
            return Formatter::make_help(app, std::move(name), mode);
        std::string text = make_description(app) + make_usage(app, name);
        for (const std::string_view group : help_groups) {
            text.append("\n").append(group).append(":\n");
            for (const CLI::App* command : app->get_subcommands({})) {
                if (command->get_group() != group)
                    continue;
                text += make_subcommand(command);
                for (const CLI::Option* option : command->get_options()) {
                    if (option != command->get_help_ptr())
                        text += make_option(option, false);
                }
            }
            for (const CLI::Option* option : app->get_options()) {
                if (option->get_group() == group)
                    text += make_option(option, option->get_positional());
            }
        }
        return text + "\n" + make_footer(app);
    }
};

std::string main_footer() {
    std::array<std::string_view, 3> unit_columns{};
    for (std::size_t k = 0; k < unit_kinds.size(); ++k)
        unit_columns[k] = unit_kinds[k].column;
    return "A field's text must be one number; blanks around it are ignored, and the target gas and the humidity\n"
           "may have a % after it (\"" +
           default_text(Field::target_gas) + "\", \"" + default_text(Field::relative_humidity) +
           " %\"). Anything else is refused with the field's label and the\n"
           "text (\"20,95\", \"12abc\", \"12e\", an empty text). A number too large for single precision (\"1e39\") "
           "gets\nthe field's range message.\n"
           "\n"
           "With a --pressure-unit or --temperature-unit other than the first, give the fields whose defaults are in\n"
           "the first unit (the pressures, the temperature) too. A result that no real gas could give (no dry gas\n"
           "left, or a temperature outside 0 to 50 C) is still printed, with a warning on standard error.\n"
           "\n"
           "A log has a header row with the columns " +
           listed(field_column_names, " and ", 2) + ", optionally " + listed(unit_columns, " and ") +
           ",\nin any order, and any others (copied through); a header with semicolons and no comma is read as\n"
           "semicolon-separated. Each row comes back, in the log's delimiter, with " +
           listed(result_column_names, " and ", 1) +
           ".\nA malformed record comes back with its text whole in its first column, or in the file of --rejects.\n"
           "Rows are written as they are read, so a live log can be followed.\n"
           "\n"
           "Exit status: 0 done; 1 the reading, or a row of the log, was refused or malformed; 2 usage error\n"
           "(unknown option or unit, a log header without a required column, a bad range, a unit without the\n"
           "fields it needs); 3 a file, or the output, could not be read or written.\n"
           "\n"
           "Examples:\n"
           "  kestrane-cli --pressure-unit hPa --target-pressure 1013.25 --barometric-pressure 1002 --format json\n"
           "  kestrane-cli --decimal-comma readings.csv -o corrected.csv\n"
           "  " +
           std::string(table_example);
}

void add_reading_options(CLI::App& app, Settings& s, Options& options) {
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
                                ->group(std::string(help_groups[0]));
    }
    app.add_flag("--lenient", s.lenient,
                 "Read each text as the dialog does: the number at its start, the rest ignored (\"20,95\" reads 20); "
                 "e.g. --lenient")
        ->group(std::string(help_groups[0]));
    app.add_flag("--decimal-comma", s.decimal_comma,
                 "Numbers have a decimal comma, as spreadsheets write them in much of Europe: \"20,95\" reads 20.95 "
                 "(and \"20.95\" is refused), and the results are written so (\"20,64\"); e.g. --decimal-comma")
        ->group(std::string(help_groups[0]));
}

void add_unit_options(CLI::App& app, Settings& s) {
    for (std::size_t k = 0; k < unit_kinds.size(); ++k) {
        const std::string option = "--" + std::string(unit_kinds[k].option);
        app.add_option(option, s.units[k],
                       "The " + std::string(unit_kinds[k].name) + " unit: " + accepted_unit_names(unit_kinds[k].kind) +
                           " (any case); e.g. " + option + " " + std::string(unit_examples[k]))
            ->capture_default_str()
            ->type_name("UNIT")
            ->group(std::string(help_groups[1]));
    }
}

void add_log_options(CLI::App& app, Settings& s, std::string& log, Options& options) {
    const std::string group(help_groups[2]);
    options.log = app.add_option("LOG", log,
                                 "Correct every row of the CSV log in the file LOG (- for standard input) and write "
                                 "it, with the results, to standard output; e.g. kestrane-cli readings.csv")
                      ->type_name("")
                      ->group(group);
    options.csv = app.add_option("--csv", s.csv, "The same: the log in FILE; e.g. --csv readings.csv")
                      ->type_name("FILE")
                      ->group(group);
    options.rejects = app.add_option("--rejects", s.rejects,
                                     "With a log: write each malformed record of the log to FILE as it stood, and "
                                     "leave its row's cells empty; e.g. --rejects rejected.csv")
                          ->type_name("FILE")
                          ->group(group);
    options.delimiter =
        app.add_option("--delimiter", s.delimiter,
                       "The delimiter of a log and of CSV output: " + std::string(delimiter_names) +
                           "; by default a comma, or a semicolon for a log whose header has semicolons and no "
                           "comma; e.g. --delimiter tab")
            ->type_name("CHAR")
            ->group(group);
}

void add_output_options(CLI::App& app, Settings& s, Options& options) {
    const std::string group(help_groups[4]);
    options.format =
        app.add_option("--format", s.format,
                       "How one reading is written: text (the labelled results), json, or csv (the "
                       "header and row a log with the reading gives); e.g. --format json")
            ->capture_default_str()
            ->type_name("FORMAT")
            ->check(CLI::IsMember(std::vector<std::string>(reading_format_names.begin(), reading_format_names.end())))
            ->group(group);
    options.output = app.add_option("-o,--output", s.output,
                                    "Write the results to FILE instead of standard output, whole or not at all: FILE "
                                    "is replaced only when the run succeeds; e.g. -o corrected.csv")
                         ->type_name("FILE")
                         ->group(group);
    app.add_flag("--quiet", s.quiet,
                 "Leave out the summary of a log and the titles and legend of a CSV table (never an error or a "
                 "warning); e.g. --quiet")
        ->group(group);
}

CLI::App* add_table_command(CLI::App& app, Settings& s) {
    CLI::App* table = app.add_subcommand(
        std::string(table_command),
        "Print a table of one result over two inputs swept across ranges, the other inputs fixed by the reading's "
        "options. Every cell is the text a single reading with those inputs prints; a refused reading shows E and "
        "the number of the refused field (E1 target gas ... E6 relative humidity), explained under the table.");
    table->group(std::string(table_group));
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
    table
        ->add_option("--format", s.table_format,
                     "text (aligned columns), csv (the grid alone; its titles go to standard error), md (Markdown) "
                     "or long (CSV, one row per cell); e.g. --format long")
        ->capture_default_str()
        ->type_name("FORMAT")
        ->check(CLI::IsMember(std::vector<std::string>(table_format_names.begin(), table_format_names.end())));
    table->footer(
        "A range is START:STOP:STEP in plain decimals; it ends at STOP when a whole number of steps reaches it, "
        "and each value\nhas the decimals of START and STEP. A table has at most 10000 cells.\n"
        "\n"
        "The options of a reading (--gas ... --humidity, --lenient, --decimal-comma, --temperature-unit,\n"
        "--pressure-unit, --distance-unit) fix the other inputs and the units; a swept field counts as given.\n"
        "--delimiter, -o and --quiet apply to a table too.\n"
        "Warnings go to standard error under the table, with the number of cells they concern.\n"
        "\n"
        "Examples:\n"
        "  " +
        std::string(table_example) +
        "\n"
        "  kestrane-cli table --rows humidity=0:100:10 --columns temperature=0:40:5 --temperature-unit C "
        "--format csv");
    return table;
}

// Every name an app's options answer to, with their dashes.
std::vector<std::string> option_names(const CLI::App& app) {
    std::vector<std::string> names;
    for (const CLI::Option* option : app.get_options()) {
        for (const std::string& name : option->get_lnames())
            names.push_back("--" + name);
        for (const std::string& name : option->get_snames())
            names.push_back("-" + name);
    }
    return names;
}

// The long names of an app's options, for a message naming what is accepted.
std::string long_option_list(const CLI::App& app) {
    std::string names;
    for (const CLI::Option* option : app.get_options()) {
        if (!option->get_lnames().empty())
            names.append(names.empty() ? "" : ", ").append("--").append(option->get_lnames()[0]);
    }
    return names;
}

// "did you mean --humidity?" for the first of the words a parse could not
// place that is near an option (the table command's options after the main
// command's, and the other way round within the command), or near the command
// itself; empty when none is.
std::string nearest_option(const CLI::App& failed, const CLI::App& main_app, const CLI::App& table) {
    // Within the command, an option it does not know falls through to the main command, which reports it.
    const bool in_table = &failed == &table || table.parsed();
    const std::vector<std::string> main_names = option_names(main_app);
    const std::vector<std::string> table_names = option_names(table);
    const std::vector<std::string_view> main_views(main_names.begin(), main_names.end());
    const std::vector<std::string_view> table_views(table_names.begin(), table_names.end());
    for (const std::string& word : failed.remaining()) {
        const std::string_view typed = std::string_view(word).substr(0, word.find('='));
        if (typed.empty() || typed[0] != '-') {
            if (!in_table && !nearest_name(typed, std::span(&table_command, 1)).empty())
                return "did you mean " + std::string(table_command) + "?";
            continue;
        }
        const std::string_view near_own = nearest_name(typed, in_table ? table_views : main_views);
        const std::string_view near_other = nearest_name(typed, in_table ? main_views : table_views);
        if (!near_own.empty() || (in_table && !near_other.empty()))
            return "did you mean " + std::string(near_own.empty() ? near_other : near_own) + "?";
        if (!near_other.empty()) {
            return "did you mean " + std::string(table_command) + " " + std::string(near_other) + "? (" +
                   std::string(near_other) + " is the " + std::string(table_command) + " command's)";
        }
    }
    return {};
}

// The whole command line: the main command's options, the table command, and
// what a failed parse says.
void define(CLI::App& app, Settings& s, std::string& log, Options& options) {
    app.formatter(std::make_shared<GroupedHelp>());
    app.footer(main_footer());
    // One command line on every platform: on Windows CLI11 would otherwise take
    // "/logs/today.csv" for an option "/logs".
    app.allow_windows_style_options(false);
    // The reading's options may follow the command: "kestrane-cli table ... --humidity 0".
    app.fallthrough();
    app.require_subcommand(0, 1);
    add_reading_options(app, s, options);
    add_unit_options(app, s);
    add_log_options(app, s, log, options);
    add_output_options(app, s, options);
    app.set_version_flag("-V,--version", std::string(program_name) + " " + KESTRANE_VERSION,
                         "Print the program's version and exit; e.g. --version")
        ->group(std::string(help_groups[4]));
    app.set_help_flag("-h,--help", "Print this help and exit; e.g. --help (or table --help)")
        ->group(std::string(help_groups[4]));
    options.table = add_table_command(app, s);
    app.failure_message([&app, table = options.table](const CLI::App* failed, const CLI::Error& e) {
        std::string text = std::string(program_name) + ": " + e.what() + "\n";
        if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::ExtrasError)) {
            const std::string near = nearest_option(*failed, app, *table);
            text += near.empty() ? "Accepted: " + long_option_list(*failed) + "; the command table with " +
                                       long_option_list(*table) + "\n"
                                 : std::string(program_name) + ": " + near + "\n";
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
    s.format = reading_format_names[0];
    s.table_format = table_format_names[0];
    std::string log;
    Options options;
    define(app, s, log, options);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e, out, err) == 0 ? 0 : exit_usage;
    }
    for (std::size_t f = 0; f < field_count; ++f) {
        request.fields_given.set(f, options.fields[f]->count() != 0);
        // A default is read as the user's own texts are: with a decimal comma, "30,00".
        if (s.decimal_comma && !request.fields_given.test(f))
            s.fields[f] = swap_decimal_marks(s.fields[f]);
    }
    if (options.log->count() != 0 && options.csv->count() != 0)
        return report_error(err, "give the log once: as --csv " + s.csv + " or as " + log + " alone", exit_usage);
    if (options.log->count() != 0)
        s.csv = log;
    request.csv = options.csv->count() != 0 || options.log->count() != 0;
    request.rejects = options.rejects->count() != 0;
    request.delimiter = options.delimiter->count() != 0;
    request.format = options.format->count() != 0;
    request.output = options.output->count() != 0;
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
