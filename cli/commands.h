// The three things kestrane-cli does, each over a parsed command line and its
// units: correct one reading, correct a log, print a table. Each returns the
// exit status.
#pragma once

#include <array>
#include <optional>
#include <ostream>
#include <string_view>

#include "command_line.h"
#include "io.h"

namespace kestrane::cli {

// How one reading is written: the four labelled results, a JSON object, or
// the header and row a log with that reading gives. The names are those of --format.
enum class ReadingFormat { text, json, csv };
inline constexpr std::array<std::string_view, 3> reading_format_names = {"text", "json", "csv"};

// Corrects the reading the options give and writes it in its format (CSV
// with the delimiter given, or commas).
int run_reading(const Request& request,
                UnitSelection units,
                std::optional<char> delimiter,
                std::ostream& out,
                std::ostream& err);

// Corrects the log (standard input for "-", read from in), in the delimiter
// given or the one its header shows.
int run_log(const Request& request,
            UnitSelection units,
            std::optional<char> delimiter,
            InputSource& in,
            std::ostream& out,
            std::ostream& err);

// Prints the table of the table command (its CSV with the delimiter given, or commas).
int run_table(const Request& request,
              UnitSelection units,
              std::optional<char> delimiter,
              std::ostream& out,
              std::ostream& err);

}  // namespace kestrane::cli
