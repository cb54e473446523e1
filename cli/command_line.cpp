#include "command_line.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <span>
#include <sstream>

#include "core/analyzer_inputs.h"
#include "core/monte_carlo.h"
#include "core/names.h"
#include "core/uncertainty.h"
#include "log/log_columns.h"
#include "log/log_header.h"
#include "log/parallel_log.h"
#include "check_options.h"
#include "messages.h"
#include "option_kit.h"
#include "reading/uncertainty_settings.h"

#ifndef KESTRANE_VERSION
#error "KESTRANE_VERSION is set by the build"
#endif

namespace kestrane::cli {
namespace {

// The commands besides the reading and the log.
constexpr std::string_view table_command = "table";
constexpr std::string_view help_command = "help";

// Example values of each field's option, of its standard uncertainty's and of each unit option, for their help.
constexpr std::array<std::string_view, field_count> field_examples = {"20.9", "760", "29.5", "25", "1500", "80"};
constexpr std::array<std::string_view, field_count> uncertainty_examples = {"0.05", "0.1", "0.3:rectangular",
                                                                            "0.2",  "10",  "2"};
constexpr std::array<std::string_view, field_count> degrees_of_freedom_examples = {"9", "12", "50", "4", "20", "8"};
constexpr std::array<std::string_view, unit_kind_count> unit_examples = {"C", "hPa", "m"};

// The groups of the main help, in order; the table command and its options go under "Table".
constexpr std::array<std::string_view, 8> help_groups = {"Reading", "Units",  "Uncertainty", "Analyzer check",
                                                          "Record",  "Log",    "Table",       "Output"};

constexpr std::string_view table_example =
    "kestrane-cli table --rows altitude=0:10000:1000 --columns temperature=32:104:9 --humidity 50";

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

// "--gas ... --humidity": the options of the first and the last field, their names after prefix.
std::string field_option_span(std::string_view prefix) {
    const std::string first = std::string(prefix).append(field_table.front().option);
    return dashed(first) + " ... " + dashed(std::string(prefix).append(field_table.back().option));
}

// "k = 2", as an expanded uncertainty names its coverage factor.
std::string coverage_text() {
    std::array<char, 32> digits{};
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), coverage_factor).ptr;
    return "k = " + std::string(digits.data(), end);
}

// A unit option's: the unit's index in its table, from any of its names; the
// name as typed is kept in `typed`, for the messages that name it.
CLI::Validator unit_of(UnitKind kind, std::string& typed) {
    const auto find = [kind, &typed](const std::string& value) -> std::optional<std::size_t> {
        typed = value;
        const std::optional<int> index = unit_index(kind, value);
        return index ? std::optional<std::size_t>(*index) : std::nullopt;
    };
    return index_of(find, [kind](const std::string& value) -> std::string {
        throw OwnUsageError{unknown_unit_message(kind, value)};
    });
}

CLI::Validator delimiter_of() {
    const auto find = [](const std::string& value) -> std::optional<std::size_t> {
        const std::optional<char> delimiter = delimiter_from_name(value);
        return delimiter ? std::optional<std::size_t>(static_cast<unsigned char>(*delimiter)) : std::nullopt;
    };
    return index_of(find, [](const std::string& value) -> std::string {
        throw OwnUsageError{"unknown delimiter \"" + value + "\"; use " + delimiter_list(" or ")};
    });
}

// What the main help lists under a group, in order: the group's commands,
// each followed by its options, then the main command's options of the group.
std::vector<std::pair<const CLI::App*, const CLI::Option*>> listed_in(const CLI::App& app, std::string_view group) {
    std::vector<std::pair<const CLI::App*, const CLI::Option*>> items;
    for (const CLI::App* command : app.get_subcommands({})) {
        if (command->get_group() != group)
            continue;
        items.emplace_back(command, nullptr);
        for (const CLI::Option* option : command->get_options()) {
            if (option != command->get_help_ptr())
                items.emplace_back(command, option);
        }
    }
    for (const CLI::Option* option : app.get_options()) {
        if (option->get_group() == group)
            items.emplace_back(&app, option);
    }
    return items;
}

// The main help in the groups of help_groups, the table command with its
// options under "Table" (whose REQUIRED is the command's, not the main
// command's); a command's own help as CLI11 writes it.
class GroupedHelp : public CLI::Formatter {
public:
    std::string make_help(const CLI::App* app, std::string name, CLI::AppFormatMode mode) const override {
        if (app->get_parent() != nullptr)
            return Formatter::make_help(app, std::move(name), mode);
        std::string text = make_description(app) + make_usage(app, name);
        for (const std::string_view group : help_groups) {
            text.append("\n").append(group).append(":\n");
            for (const auto& [command, option] : listed_in(*app, group)) {
                text += option == nullptr ? make_subcommand(command)
                        : command != app  ? without_required(make_option(option, false))
                                          : make_option(option, option->get_positional());
            }
        }
        return text + "\n" + make_footer(app);
    }

    // Which options exclude which is checked, and said in kestrane-cli's own
    // words when it happens, not listed beside every option.
    std::string make_option_opts(const CLI::Option* option) const override {
        std::string text = Formatter::make_option_opts(option);
        if (const std::size_t at = text.find(" Excludes:"); at != std::string::npos)
            text.erase(at);
        return text;
    }

private:
    static std::string without_required(std::string text) {
        const std::string_view mark = " REQUIRED";
        if (const std::size_t at = text.find(mark); at != std::string::npos)
            text.erase(at, mark.size());
        return text;
    }
};

// The parsed options a request is finished from after the parse.
struct Options {
    CLI::Option* log = nullptr;
    CLI::Option* csv = nullptr;
    CLI::Option* delimiter = nullptr;
    CLI::Option* format = nullptr;
    CLI::App* table = nullptr;
    CLI::App* help = nullptr;
    std::string log_name;
    std::string csv_name;
    int delimiter_code = 0;
    // The uncertainty settings' texts, read once the whole line is parsed:
    // the draws' fewest depend on the coverage, and a pair on those before it.
    std::array<std::string, field_count> degrees_of_freedom;
    std::string coverage;
    std::vector<std::string> correlations;
    std::string draws;
    std::string interval;
    std::uint64_t seed = default_monte_carlo_seed;
    CheckOptionTexts check;
    CLI::Option* monte_carlo = nullptr;
    std::vector<CLI::Option*> uncertainty_settings;
};

std::string reading_footer() {
    return "A field's text must be one number; blanks around it are ignored, and the target gas and the humidity\n"
           "may have a % after it (\"" +
           default_text(Field::target_gas) + "\", \"" + default_text(Field::relative_humidity) +
           " %\"). Anything else is refused with the field's label and the\n"
           "text (\"20,95\", \"12abc\", \"12e\", an empty text). A number too large for single precision (\"1e39\") "
           "gets\nthe field's range message.\n"
           "\n"
           "An uncertainty (" +
           field_option_span(uncertainty_option_prefix) +
           ") is in its field's own unit, read strictly and not below 0. VALUE\n"
           "alone is a standard uncertainty, one standard deviation (a certificate's U divided by its k);\n"
           "VALUE:rectangular, VALUE:triangular or VALUE:arcsine is the half-width a of that distribution, whose\n"
           "standard uncertainty is a divided by the square root of 3, 6 or 2 (a tolerance of +/- a is rectangular).\n"
           "Each budget also holds the correction's own model terms: its vapor pressure curve and its altitude "
           "formula.\nThe inputs are uncorrelated unless " +
           dashed(correlation_setting) +
           " pairs them; correlations that no inputs can have together\nare refused. The expanded uncertainty "
           "beside a result is " +
           coverage_text() +
           " times its combined standard uncertainty, an\ninterval of about 95 % coverage, two digits rounded up, "
           "with the result rounded to its last digit; with\n" +
           dashed(coverage_setting) +
           " P, k is Student's t for P at the effective degrees of freedom (Welch-Satterthwaite).\n" +
           dashed(monte_carlo_setting) + " N takes at least 10^4/(1 - p) draws for coverage p (" +
           std::to_string(monte_carlo_fewest_draws(0.95)) + " at 95 %) and at most " +
           std::to_string(monte_carlo_most_draws) + ";\n" + dashed(monte_carlo_setting) + " " +
           std::string(adaptive_draws) + " draws blocks of " + std::to_string(monte_carlo_block) +
           " until its results are stable (JCGM 101, 7.9), at most " + std::to_string(monte_carlo_most_draws) +
           ".\n"
           "\n"
           "With a " +
           dashed(info(UnitKind::pressure).option) + " or " + dashed(info(UnitKind::temperature).option) +
           " other than the first, give the fields whose defaults are in\n"
           "the first unit (the pressures, the temperature) too. A result that no real gas could give (no dry gas\n"
           "left, a temperature outside 0 to 50 C, a gas outside 0 to 100 %, a barometric pressure no weather gives)\n"
           "is still printed, with a warning on standard error.\n";
}

// The analyzer's check and the record, in a paragraph each.
std::string check_footer() {
    const std::string found = dashed(info(CheckInput::as_found).option);
    const std::string tolerance = dashed(info(CheckInput::tolerance).option);
    return found + " X checks the analyzer against the " + std::string(info(Result::calculated_gas_pct).label) +
           " G: its error e = X - G, with\nu(e) = sqrt(u_c^2 + u_a^2) (u_a from " +
           dashed(info(CheckInput::standard_uncertainty).option) +
           ") expanded as the results' are, is decided against " + tolerance + " T by\n" +
           dashed(decision_rule_option) +
           " (ILAC-G8:09/2019): simple passes |e| <= T, guarded |e| <= T - U(e). The probability that the error\n"
           "lies within +/- T (JCGM 106, Student's t at the degrees of freedom of u(e)) is stated beside; " +
           dashed(info(CheckInput::as_left).option) + " X\nchecks the reading after adjustment alike. A check needs " +
           tolerance + "; guarded acceptance needs some uncertainty given.\n"
           "\n"
           "--record-FIELD TEXT, or --record FILE of FIELD = TEXT lines, files the reading with a calibration record\n"
           "(ISO/IEC 17025): the text begins with its fields and the method, and --format json adds \"record\".\n";
}

// What a log's check columns add.
std::string log_check_footer() {
    const auto column = [](CheckInput input) { return std::string(info(input).column); };
    const auto added = [](std::size_t first) {
        return std::string(added_columns[first]) + ", " + std::string(added_columns[first + 1]) + " and " +
               std::string(added_columns[first + 2]);
    };
    return "With a column " + column(CheckInput::as_found) + " (and " + column(CheckInput::as_left) +
           "), each row also gets\n" + added(first_check_column) + "\n(and " + added(first_as_left_column) +
           ") after them;\ncolumns " + column(CheckInput::standard_uncertainty) + ", " + column(CheckInput::tolerance) +
           " and " + std::string(decision_rule_column) + " hold for their rows over " +
           dashed(info(CheckInput::standard_uncertainty).option) + ", " + dashed(info(CheckInput::tolerance).option) +
           "\nand " + dashed(decision_rule_option) + ", and the summary counts the passed and failed.\n";
}

std::string log_footer() {
    std::vector<std::string_view> added;
    for (const std::size_t k : plain_column_order)
        added.push_back(added_columns[k]);
    std::vector<std::string_view> expanded;
    for (const Result result : all_results)
        expanded.push_back(added_columns[expanded_column(result)]);
    std::array<std::string_view, unit_kind_count> unit_columns{};
    for (std::size_t k = 0; k < unit_kind_count; ++k)
        unit_columns[k] = unit_kinds[k].column;
    return "A log has a header row with the columns " + listed(field_column<&FieldInfo::column>(), " and ", 2) +
           ", optionally " + listed(unit_columns, " and ") +
           ",\nin any order and any case, and any others (copied through); its delimiter is the one of " +
           delimiter_list(" or ") + "\nthat gives these columns. Each row comes back, in the log's delimiter, with " +
           listed(added, " and ", 1) + ".\nWith uncertainties (options, or columns " +
           uncertainty_columns().front() + " ... " + uncertainty_columns().back() +
           ", VALUE[:SHAPE]), each row also\ngets " + listed(expanded, " and ", 1) + " (" + coverage_text() +
           ") after the results, and with\n" + dashed(coverage_setting) + " " +
           std::string(added_columns[coverage_factor_column]) + " after them; " +
           dashed(std::string(degrees_of_freedom_option_prefix) + "*") + ", " + dashed(coverage_setting) + " and " +
           dashed(correlation_setting) + " apply to every row.\n" + log_check_footer() +
           "A malformed record comes back with its text whole in its first column, or in the file of --rejects.\n"
           "A log file is corrected in blocks on every core (--threads N), the same bytes whatever N; standard\n"
           "input is written row by row as it is read, so a live log can be followed. A log that kestrane-cli\n"
           "wrote is corrected in place; any other with a column named as one of those it adds is refused.\n";
}

std::string main_footer() {
    return reading_footer() + "\n" + check_footer() + "\n" + log_footer() +
           "\n"
           "Exit status: 0 done; 1 the reading, or a row of the log, was refused or malformed, or every cell of a\n"
           "table was refused; 2 usage error (unknown option or unit, a log header without a required column, a bad\n"
           "range, a unit without the fields it needs, an output that is the log); 3 a file, or the output, could\n"
           "not be read or written.\n"
           "\n"
           "Examples:\n"
           "  kestrane-cli --pressure-unit hPa --target-pressure 1013.25 --barometric-pressure 1002 --format json\n"
           "  kestrane-cli " +
           dashed(decimal_comma_option) + " readings.csv -o corrected.csv\n  " + std::string(table_example);
}

void add_reading_options(CLI::App& app, Request& r) {
    for (const Field field : all_fields) {
        const auto f = static_cast<std::size_t>(field);
        const std::string option = field_option(field);
        const std::string names = field == Field::barometric_pressure ? option + "," + dashed(barometer_alias) : option;
        add(app, names, r.fields[f], "The " + std::string(info(field).label) + " field's text",
            option + " " + std::string(field_examples[f]), "TEXT", help_groups[0])
            ->capture_default_str();
    }
    const std::string lenient = dashed(lenient_option);
    const std::string comma = dashed(decimal_comma_option);
    app.add_flag_callback(
           lenient, [&r] { r.rules.mode = ReadingMode::lenient; },
           described(
               "Read each text as the dialog does: the number at its start, the rest ignored (\"20,95\" reads 20)",
               lenient))
        ->group(std::string(help_groups[0]));
    app.add_flag(
           comma, r.rules.decimal_comma,
           described("Numbers have a decimal comma, as spreadsheets write them in much of Europe: \"20,95\" reads "
                     "20.95 (and \"20.95\" is refused), and the results are written so (\"20,64\")",
                     comma))
        ->group(std::string(help_groups[0]));
}

void add_unit_options(CLI::App& app, Request& r) {
    for (const UnitKind kind : all_unit_kinds) {
        const auto k = static_cast<std::size_t>(kind);
        const UnitKindInfo& unit = info(kind);
        const std::string option = dashed(unit.option);
        add(app, option, r.units.*unit.selection,
            "The " + std::string(unit.name) + " unit: " + accepted_unit_names(kind) + " (any case)",
            option + " " + std::string(unit_examples[k]), "UNIT", help_groups[1])
            ->transform(unit_of(kind, r.unit_names[k]))
            ->default_str(std::string(unit.units[0].short_name()));
    }
}

// An input's option of its uncertainty's, named with prefix: the field's
// option after it, and for the barometric pressure its second name too
// ("--u-barometric-pressure,--u-barometer").
std::string input_option_names(std::string_view prefix, Field field) {
    const std::string option = dashed(std::string(prefix).append(info(field).option));
    return field == Field::barometric_pressure ? option + "," + dashed(std::string(prefix).append(barometer_alias))
                                               : option;
}

// The inputs' uncertainties, then their degrees of freedom.
void add_input_uncertainty_options(CLI::App& app, Request& r, Options& options) {
    for (const Field field : all_fields) {
        const auto f = static_cast<std::size_t>(field);
        const std::string u = dashed(std::string(uncertainty_option_prefix).append(info(field).option));
        options.uncertainty_settings.push_back(
            add(app, input_option_names(uncertainty_option_prefix, field), r.uncertainties[f],
                "The uncertainty of the " + std::string(info(field).label) +
                    " in its unit: VALUE alone is a standard uncertainty (a certificate's U divided by its k); "
                    "VALUE:rectangular, VALUE:triangular or VALUE:arcsine is the half-width a of that distribution",
                u + " " + std::string(uncertainty_examples[f]), "VALUE[:SHAPE]", help_groups[2]));
    }
    for (const Field field : all_fields) {
        const auto f = static_cast<std::size_t>(field);
        const std::string dof = dashed(std::string(degrees_of_freedom_option_prefix).append(info(field).option));
        options.uncertainty_settings.push_back(
            add(app, input_option_names(degrees_of_freedom_option_prefix, field), options.degrees_of_freedom[f],
                "The degrees of freedom of the " + std::string(info(field).label) +
                    "'s uncertainty: 1 or more (left out, infinitely many)",
                dof + " " + std::string(degrees_of_freedom_examples[f]), "N", help_groups[2])
                ->check(read_with(dof, read_degrees_of_freedom)));
    }
}

void add_uncertainty_options(CLI::App& app, Request& r, Options& options) {
    add_input_uncertainty_options(app, r, options);
    const std::string_view group = help_groups[2];
    const std::string coverage = dashed(coverage_setting);
    options.uncertainty_settings.push_back(
        add(app, coverage, options.coverage,
            "State the expanded uncertainties for coverage probability P (" + std::string(coverage_bounds) +
                "), k from Student's t at their effective degrees of freedom, instead of " + coverage_text(),
            coverage + " 0.95", "P", group)
            ->check(read_with(coverage, read_coverage)));
    options.uncertainty_settings.push_back(
        add(app, dashed(correlation_setting), options.correlations,
            "Correlate the uncertainties of two inputs, A and B named as their options are, with coefficient R (-1 to "
            "1); give it once for each pair",
            dashed(correlation_setting) + " target-pressure,barometric-pressure=1", "A,B=R", group)
            ->allow_extra_args(false)
            ->take_all());
    options.monte_carlo =
        add(app, dashed(monte_carlo_setting), options.draws,
            "Check the uncertainty of the " + std::string(info(Result::calculated_gas_pct).label) +
                " with N draws of the inputs through the correction itself, from 10^4/(1 - p) at coverage "
                "probability p (" +
                std::to_string(monte_carlo_fewest_draws(0.95)) + " at 95 %) to " +
                std::to_string(monte_carlo_most_draws) + ", or with auto as many as make its results stable",
            dashed(monte_carlo_setting) + " auto", "N|auto", group);
    options.uncertainty_settings.push_back(options.monte_carlo);
    const std::string interval = dashed(interval_setting);
    add(app, interval, options.interval,
        "Monte Carlo's coverage interval: symmetric (probabilistically symmetric) or shortest", interval + " shortest",
        "KIND", group)
        ->check(read_with(interval, read_interval))
        ->default_str(std::string(interval_name(CoverageInterval::symmetric)))
        ->needs(options.monte_carlo);
    const std::string seed = dashed(seed_setting);
    add(app, seed, options.seed, "The seed of Monte Carlo's draws, to vary them", seed + " 7", "N", group)
        ->default_str(std::to_string(default_monte_carlo_seed))
        ->check(read_with(seed, read_seed))
        ->needs(options.monte_carlo);
}

void add_log_options(CLI::App& app, Request& r, Options& options) {
    const std::string_view group = help_groups[5];
    options.log = add(app, "LOG", options.log_name,
                      "Correct every row of the CSV log in the file LOG (- for standard input) and write it, with the "
                      "results, to standard output",
                      "kestrane-cli readings.csv", "", group);
    options.csv = add(app, "--csv", options.csv_name, "The same: the log in FILE", "--csv readings.csv", "FILE", group);
    options.log->excludes(options.csv);
    add(app, "--rejects", r.rejects,
        "With a log: write each malformed record of the log to FILE as it stood, and leave its row's cells empty; FILE "
        "is written whole or not at all, as with -o",
        "--rejects rejected.csv", "FILE", group);
    const std::string threads = "--threads";
    add(app, threads, r.threads,
        "Correct a log file on N threads, 1 to " + std::to_string(most_log_threads) +
            "; by default as many as the machine has (standard input is read on one, row by row)",
        threads + " 1", "N", group)
        ->check(read_with(threads, [](std::string_view name, std::string_view text, std::string& problem) {
            return read_whole_number(name, text, 1, most_log_threads, problem);
        }));
    options.delimiter = add(app, "--delimiter", options.delimiter_code,
                            "The delimiter of a log and of CSV output: " + delimiter_list(" or ") +
                                "; by default a comma, or for a log the one of these that gives its header the "
                                "columns it needs",
                            "--delimiter tab", "CHAR", group)
                            ->transform(delimiter_of());
}

void add_output_options(CLI::App& app, Request& r, Options& options) {
    const std::string_view group = help_groups[7];
    options.format = add(app, "--format", r.format,
                         "How one reading is written: text (the labelled results), json, or csv (the header and row "
                         "a log with the reading gives)",
                         "--format json", "FORMAT", group)
                         ->transform(choice_of({reading_format_names.begin(), reading_format_names.end()}))
                         ->default_str(std::string(reading_format_names[0]));
    add(app, "-o,--output", r.output,
        "Write the results to FILE instead of standard output, whole or not at all: FILE is replaced only when "
        "everything was written (refused rows included), and a run that fails leaves it as it was",
        "-o corrected.csv", "FILE", group);
    app.add_flag("--quiet", r.quiet,
                 described("Leave out the summary of a log and the titles and legend of a CSV table (never an error "
                           "or a warning)",
                           "--quiet"))
        ->group(std::string(group));
    app.set_version_flag("-V,--version", std::string(program_name) + " " + KESTRANE_VERSION,
                         described("Print the program's version and exit", "--version"))
        ->group(std::string(group));
    app.set_help_flag("-h,--help", described("Print this help and exit", "--help (or table --help, or help table)"))
        ->group(std::string(group));
}

// The --result names, and their help: "gas-pct (Calculated Gas (% Vol)), ... or barometer (...)".
std::vector<std::string_view> result_option_names(std::string* help = nullptr) {
    std::vector<std::string_view> names;
    for (const ResultInfo& result : result_table) {
        if (help)
            help->append(names.empty() ? "" : names.size() + 1 == result_count ? " or " : ", ")
                .append(result.option_name).append(" (").append(result.label).append(")");
        names.push_back(result.option_name);
    }
    return names;
}

std::string table_description() {
    const auto mark = [](Field field) { return refused_mark(field) + " " + field_words(field); };
    return "Print a table of one result over two inputs swept across ranges, the other inputs fixed by the reading's "
           "options. Every cell is the text a single reading with those inputs prints; a refused reading shows E and "
           "the number of the refused field (" +
           mark(all_fields.front()) + " ... " + mark(all_fields.back()) + "), explained under the table.";
}

std::string table_footer() {
    std::vector<std::string> units;
    for (const UnitKindInfo& unit : unit_kinds)
        units.push_back(dashed(unit.option));
    return "A range is START:STOP:STEP in plain decimals; it ends at STOP when a whole number of steps reaches it, "
           "and each value\nhas the decimals of START and STEP. A table has at most " +
           std::to_string(max_table_cells) + " cells.\n\nThe options of a reading (" + field_option_span("") + ", " +
           dashed(lenient_option) + ", " + dashed(decimal_comma_option) + ", " + units[0] + ",\n" + units[1] + ", " +
           units[2] +
           ") fix the other inputs and the units; a swept field counts as given.\n"
           "--delimiter, -o and --quiet apply to a table too.\n"
           "Warnings go to standard error under the table, with the number of cells they concern; a table whose\n"
           "every cell is refused exits with status 1.\n"
           "\n"
           "Examples:\n  " +
           std::string(table_example) +
           "\n  kestrane-cli table --rows humidity=0:100:10 --columns temperature=0:40:5 " + units[0] +
           " C --format csv";
}

CLI::App* add_table_command(CLI::App& app, Request& r) {
    CLI::App* table = app.add_subcommand(std::string(table_command), table_description());
    table->group(std::string(help_groups[6]));
    table->set_help_flag("-h,--help", "Print this help and exit");
    const std::string range = "FIELD=START:STOP:STEP";
    add(*table, "--rows", r.rows,
        "The input down the table and its range; FIELD is " + listed(field_column<&FieldInfo::column>(), " or ") +
            " (or the option's name, such as " + std::string(info(Field::relative_humidity).option) + ")",
        "--rows altitude=0:10000:1000", range)
        ->required();
    add(*table, "--columns", r.columns, "The input across the table and its range", "--columns temperature=32:104:9",
        range)
        ->required();
    std::string results;
    result_option_names(&results);
    add(*table, "--result", r.result, "The result in the cells: " + results, "--result gas-pressure", "NAME")
        ->transform(choice_of(result_option_names()))
        ->default_str(std::string(result_table[0].option_name));
    add(*table, "--format", r.table_format,
        "text (aligned columns), csv (the grid alone; its titles go to standard error), md (Markdown) or long (CSV, "
        "one row per cell)",
        "--format long", "FORMAT")
        ->transform(choice_of({table_format_names.begin(), table_format_names.end()}))
        ->default_str(std::string(table_format_names[0]));
    table->footer(table_footer());
    return table;
}

CLI::App* add_help_command(CLI::App& app, Request& r) {
    CLI::App* help = app.add_subcommand(std::string(help_command), "Print this help, or a command's: help table");
    help->group("");  // not listed: --help says the same
    help->add_option("COMMAND", r.help_of, "The command whose help to print")->type_name("");
    return help;
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

// Two options that do not go together, said as kestrane-cli says it; empty
// for a pair it has no words of its own for.
std::string conflict_message(const std::string& first, const std::string& second, const Options& options) {
    const auto is = [&](const std::string& name) { return first == name || second == name; };
    const bool log = is(options.log->get_name()) || is(options.csv->get_name());
    if (is(options.log->get_name()) && is(options.csv->get_name()))
        return "give the log once: as --csv " + options.csv_name + " or as " + options.log_name + " alone";
    if (log && is(std::string(table_command)))
        return "a log and table do not go together: run them separately";
    for (const Field field : all_fields) {
        if (log && is(field_option(field)))
            return field_option(field) + " does not go with a log: the log gives every field in its columns";
    }
    return {};
}

// Words a parse could not place, and the option or command nearest them (or,
// when none is near, the list of all).
std::string extras_message(const CLI::App& failed, const CLI::App& app, const Options& options, const std::string& what) {
    std::string text = std::string(program_name) + ": " + what + "\n";
    const std::string near = nearest_option(failed, app, *options.table);
    text += near.empty() ? "Accepted: " + long_option_list(failed) + "; the command table with " +
                               long_option_list(*options.table) + "\n"
                         : std::string(program_name) + ": " + near + "\n";
    return text + "Run with --help for more information.\n";
}

// What a failed parse says: kestrane-cli's own words where it has them, CLI11's otherwise.
std::string failure_text(const CLI::App& app, const CLI::App& failed, const CLI::Error& e, const Options& options) {
    const std::string what = e.what();
    // Words the parse could not place say more than two options that clash.
    if (dynamic_cast<const CLI::ExcludesError*>(&e) && !app.remaining(true).empty())
        return extras_message(failed, app, options, CLI::ExtrasError(app.remaining(true)).what());
    if (const std::size_t at = what.find(" excludes "); at != std::string::npos) {
        const std::string own = conflict_message(what.substr(0, at), what.substr(at + 10), options);
        if (!own.empty())
            return std::string(program_name) + ": " + own + "\n";
    }
    if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::ExtrasError))
        return extras_message(failed, app, options, what);
    return std::string(program_name) + ": " + what + "\nRun with --help for more information.\n";
}

// The whole command line: the main command's options, the commands, and
// what a failed parse says.
void define(CLI::App& app, Request& r, Options& options) {
    app.formatter(std::make_shared<GroupedHelp>());
    app.footer(main_footer());
    // One command line on every platform: on Windows CLI11 would otherwise take
    // "/logs/today.csv" for an option "/logs".
    app.allow_windows_style_options(false);
    // The reading's options may follow the command: "kestrane-cli table ... --humidity 0".
    app.fallthrough();
    app.require_subcommand(0, 1);
    add_reading_options(app, r);
    add_unit_options(app, r);
    add_uncertainty_options(app, r, options);
    add_check_options(app, r, help_groups[3]);
    add_record_options(app, r, options.check, help_groups[4]);
    add_log_options(app, r, options);
    add_output_options(app, r, options);
    options.table = add_table_command(app, r);
    options.help = add_help_command(app, r);
    for (const Field field : all_fields)
        app.get_option(field_option(field))->excludes(options.log)->excludes(options.csv);
    options.table->excludes(options.log)->excludes(options.csv);
    app.failure_message([&app, &options](const CLI::App* failed, const CLI::Error& e) {
        return failure_text(app, *failed, e, options);
    });
}

// The program's own CLI11 app, with its description.
std::unique_ptr<CLI::App> make_app() {
    return std::make_unique<CLI::App>(
        "Corrects a target gas concentration for barometric pressure, altitude, temperature and humidity, as the "
        "Kestrane dialog does. With no options it corrects the dialog's default reading and prints the four "
        "results.",
        std::string(program_name));
}

// A request before the parse: the dialog's default texts.
void set_defaults(Request& r) {
    for (const Field field : all_fields)
        r.fields[static_cast<std::size_t>(field)] = default_text(field);
}

// The command line defined over a request of its own, for its help.
struct Defined {
    Request request;
    Options options;
    std::unique_ptr<CLI::App> app = make_app();
    Defined() {
        set_defaults(request);
        define(*app, request, options);
    }
};

// "--gas=" is an empty text, as "--gas ''" is: CLI11 would take the next
// argument instead. Such an argument of an option that takes a value is split
// into the option and an empty argument.
std::vector<std::string> with_empty_values(const std::vector<std::string>& args, const CLI::App& app) {
    std::vector<std::string> out;
    bool options_ended = false;
    for (const std::string& arg : args) {
        options_ended = options_ended || arg == "--";
        const bool empty_value = !options_ended && arg.size() > 3 && arg.rfind("--", 0) == 0 && arg.back() == '=' &&
                                 arg.find('=') == arg.size() - 1;
        const CLI::Option* option = nullptr;
        const std::string name = arg.substr(0, arg.size() - 1);
        const CLI::App* table = app.get_subcommand_ptr(std::string(table_command)).get();
        for (const CLI::App* where : {&app, table}) {
            if (empty_value && option == nullptr)
                option = where->get_option_no_throw(name);
        }
        if (option != nullptr && option->get_type_size() > 0) {
            out.push_back(name);
            out.emplace_back();
        } else {
            out.push_back(arg);
        }
    }
    return out;
}

// The uncertainty settings read from their texts into the request, once the
// parse has checked those it could alone; the problem of the first refused.
std::optional<std::string> read_uncertainty_settings(Request& r, const Options& options) {
    std::string problem;
    for (std::size_t f = 0; f < field_count; ++f) {
        if (!options.degrees_of_freedom[f].empty())
            r.known.inputs[f].degrees_of_freedom = *read_degrees_of_freedom("", options.degrees_of_freedom[f], problem);
    }
    if (!options.coverage.empty())
        r.coverage_probability = read_coverage("", options.coverage, problem);
    for (const std::string& text : options.correlations) {
        const std::optional<CorrelationPair> pair = read_correlation(dashed(correlation_setting), text,
                                                                     r.known.correlations, problem);
        if (!pair)
            return problem;
        r.known.correlations.push_back(*pair);
    }
    if (options.monte_carlo->count() == 0)
        return std::nullopt;
    MonteCarloRequest& run = r.monte_carlo.emplace();
    const double p = r.coverage_probability.value_or(run.coverage_probability);
    const auto draws = read_draws(dashed(monte_carlo_setting), options.draws, p, problem);
    if (!draws)
        return problem;
    run.draws = *draws;
    run.seed = options.seed;
    if (!options.interval.empty())
        run.interval = *read_interval("", options.interval, problem);
    return std::nullopt;
}

// Fills in what the parse left: which fields were given, the defaults read
// with the decimal mark asked for, the command, the files.
void finish_request(Request& r, const CLI::App& app, const Options& options) {
    for (std::size_t f = 0; f < field_count; ++f) {
        const std::string option(field_table[f].option);
        r.uncertainties_given.set(f, app.count(dashed(std::string(uncertainty_option_prefix) + option)) != 0);
        r.fields_given.set(f, app.count(dashed(option)) != 0);
        if (!r.fields_given.test(f))
            r.fields[f] = default_text(all_fields[f], r.rules);
    }
    for (std::size_t k = 0; k < unit_kind_count; ++k) {
        if (app.count(dashed(unit_kinds[k].option)) == 0)
            r.unit_names[k] = unit_kinds[k].units[0].short_name();
    }
    if (options.delimiter->count() != 0)
        r.delimiter = static_cast<char>(options.delimiter_code);
    r.format_given = options.format->count() != 0;
    const bool log = options.log->count() != 0 || options.csv->count() != 0;
    r.log = options.log->count() != 0 ? options.log_name : options.csv_name;
    for (const CLI::Option* setting : options.uncertainty_settings)
        r.uncertainty_settings_given = r.uncertainty_settings_given || setting->count() != 0;
    r.command = options.help->parsed() ? Command::help
                : options.table->parsed() ? Command::table
                : log ? Command::log
                : Command::reading;
}

}  // namespace

std::string field_option(Field field) {
    return dashed(info(field).option);
}

std::optional<int> parse_command_line(const std::vector<std::string>& args, Request& request, Streams& streams) {
    const std::unique_ptr<CLI::App> app = make_app();
    set_defaults(request);
    Options options;
    define(*app, request, options);
    std::vector<std::string> argv = with_empty_values(args, *app);
    std::reverse(argv.begin(), argv.end());  // CLI11 takes the arguments from the back
    try {
        app->parse(argv);
    } catch (const OwnUsageError& e) {
        return report_error(streams.err, e.message, exit_usage);
    } catch (const CLI::ParseError& e) {
        std::ostringstream out;
        std::ostringstream err;
        const int status = app->exit(e, out, err) == 0 ? 0 : exit_usage;
        streams.out.write(out.str());
        streams.err.write(err.str());
        return status;
    }
    finish_request(request, *app, options);
    if (const std::optional<std::string> problem = read_uncertainty_settings(request, options))
        return report_error(streams.err, *problem, exit_usage);
    if (const std::optional<std::string> problem = finish_check_options(request, *app, options.check))
        return report_error(streams.err, *problem, exit_usage);
    return std::nullopt;
}

std::string help_text(const std::string& command) {
    const Defined defined;
    if (command.empty())
        return defined.app->help();
    return defined.app->get_subcommand(command)->help(std::string(program_name));
}

void visit_listed(
    const std::function<void(std::string_view group, const CLI::App& command, const CLI::Option* option)>& visit) {
    const Defined defined;
    for (const std::string_view group : help_groups) {
        for (const auto& [command, option] : listed_in(*defined.app, group))
            visit(group, *command, option);
    }
}

}  // namespace kestrane::cli
