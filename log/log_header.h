// A log's header row: which of its columns hold the six fields and the units,
// where the results go, and why a header that will not do is refused.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/fields.h"
#include "core/units.h"
#include "log_columns.h"

namespace kestrane {

// The delimiters a log may have, in the order the header is tried with them,
// and their names in messages and on the command line.
struct DelimiterName {
    char delimiter;
    std::string_view name;
};
inline constexpr std::array<DelimiterName, 4> log_delimiters = {{{',', "\",\""}, {';', "\";\""}, {'|', "\"|\""},
                                                                 {'\t', "tab"}}};

// The names of log_delimiters, for messages and help: ",", ";", "|" or tab.
std::string delimiter_list(std::string_view last_separator);

// The character a delimiter's name stands for: "," ";" "|" or a tab ("tab",
// "\t" or the character itself); nothing for any other.
std::optional<char> delimiter_from_name(std::string_view name);

// Where each named column sits in the header, and what each output column holds.
struct LogColumns {
    std::array<std::size_t, field_count> fields{};
    std::array<std::optional<std::size_t>, unit_kind_count> units;
    bool any_units = false;
    std::array<std::optional<std::size_t>, rule_columns.size()> rules;  // the columns of rule_columns
    // Each field's uncertainty column, and whether the expanded uncertainties
    // are added (asked for, or a column of uncertainties there), and with
    // them the coverage factor (a coverage probability asked for).
    std::array<std::optional<std::size_t>, field_count> uncertainties;
    bool uncertainty = false;
    bool coverage = false;
    // The analyzer's check's columns, and the decision rule's; whether its
    // columns are added (an analyzer_reading column: the uncertainties' too),
    // and those of the check as left (an as_left column besides).
    std::array<std::optional<std::size_t>, check_input_count> check_inputs;
    std::optional<std::size_t> decision_rule;
    bool check = false;
    bool as_left = false;
    std::size_t width = 0;  // the input's columns
    // Each output column: an input column (>= 0) or added column k (-1 - k).
    std::vector<int> plan;
    // The log is one kestrane-cli wrote: its added columns are at the end of
    // its header, and are filled in place.
    bool own_output = false;
    std::optional<std::size_t> error_at;  // in a log of its own: the input column of the error
    std::size_t raw_column = 0;           // the column that carries a malformed record's text
};

// How many of the six field columns a header names, to choose its delimiter.
std::size_t field_columns_named(const std::vector<std::string_view>& header);

// How the header was split, for the message of one that misses a column.
struct DelimiterNote {
    char delimiter = ',';
    bool detected = false;  // chosen among log_delimiters, not given
};

// Maps a header row: the columns, or the reason the header will not do (a
// required column missing, a column named twice, a column named as one the
// correction adds in a log that is not its own output), with line as its line.
// With uncertainty, the expanded uncertainties are added whatever the columns;
// with coverage, the coverage factor after them whenever they are.
std::optional<std::string> map_header(const std::vector<std::string_view>& header,
                                      std::size_t line,
                                      DelimiterNote note,
                                      bool uncertainty,
                                      bool coverage,
                                      LogColumns& columns);

// Whether a row of a log of its own is a malformed record that an earlier run
// carried: its error names a line, and its cells are empty but the one that
// carries the record's text.
bool carried_malformed(const std::vector<std::string_view>& row, const LogColumns& columns);

}  // namespace kestrane
