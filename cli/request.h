// What one run of kestrane-cli is asked to do: the command line parsed into
// one value, handed to the command that does it.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/analyzer_inputs.h"
#include "core/monte_carlo.h"
#include "core/reading.h"
#include "core/record.h"
#include "table/calibration_table.h"

namespace kestrane::cli {

// The things kestrane-cli does: correct one reading, correct a log, print a
// table, or print its help.
enum class Command { reading, log, table, help };

// How one reading is written: the labelled results, a JSON object, or the
// header and row a log with that reading gives.
enum class ReadingFormat { text, json, csv };
inline constexpr std::array<std::string_view, 3> reading_format_names = {"text", "json", "csv"};

struct Request {
    Command command = Command::reading;
    // The six field texts, the dialog's defaults where not given.
    std::array<std::string, field_count> fields;
    std::bitset<field_count> fields_given;
    UnitSelection units;
    std::array<std::string, unit_kind_count> unit_names;  // as given, for messages
    ReadingRules rules;
    // The uncertainties' texts, in field order, and which were given.
    std::array<std::string, field_count> uncertainties;
    std::bitset<field_count> uncertainties_given;
    // The inputs' degrees of freedom and correlations (their uncertainties'
    // values come from the texts), and the coverage probability asked for.
    UncertaintyInputs known;
    std::optional<double> coverage_probability;
    // Monte Carlo's run, when asked for: its draws, seed and interval (its
    // coverage probability is the one asked for, or 95 %).
    std::optional<MonteCarloRequest> monte_carlo;
    // The analyzer's check: its inputs' texts, which were given, and the rule.
    std::array<std::string, check_input_count> check_texts;
    std::bitset<check_input_count> check_given;
    DecisionRule decision_rule = DecisionRule::simple;
    bool decision_rule_given = false;
    // The record: its fields as given by options (over those of the file, once read), and its file.
    Record record;
    std::optional<std::string> record_file;
    std::optional<char> delimiter;
    std::string log;  // a file name, or "-" for standard input
    std::optional<std::string> rejects;
    // The threads a log file is corrected on; 0: as many as the machine has.
    std::size_t threads = 0;
    std::optional<std::string> output;
    ReadingFormat format = ReadingFormat::text;
    bool format_given = false;
    // The table command's.
    std::string rows;
    std::string columns;
    Result result = Result::calculated_gas_pct;
    TableFormat table_format = TableFormat::text;
    bool quiet = false;
    // Whether any setting of an uncertainty was given, for the commands that state none.
    bool uncertainty_settings_given = false;
    // The command whose help to print, for help.
    std::string help_of;
};

}  // namespace kestrane::cli
