// Correcting a whole CSV log: every row is one reading, and the output is the
// log itself with the four results and an error column added to each row.
#pragma once

#include <array>
#include <cstddef>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>

#include "core/correction_run.h"
#include "csv.h"

namespace kestrane::cli {

struct LogOptions {
    // The units of rows with no unit column, or an empty unit cell.
    UnitSelection units{};
    // The longest line read whole; a longer one becomes a malformed row.
    std::size_t max_line = CsvReader::default_max_line;
};

// Why a log could not be corrected to its end.
enum class LogFailure {
    none,
    bad_header,    // no header row, a required column missing or doubled, or a header line that does not read
    read_failed,   // the input stream failed
    write_failed,  // the output stream failed
};

// What a pass over a log did.
struct LogReport {
    std::size_t rows = 0;       // data rows read, each written back whatever became of it
    std::size_t corrected = 0;  // rows with four results
    std::size_t refused = 0;    // rows whose run ended with one of its messages
    std::size_t malformed = 0;  // rows that could not be read as a reading (fields, quoting, units)
    LogFailure failure = LogFailure::none;
    std::string message;  // why, when failure is not none
};

// Reads a log whose first non-blank line is its header, which must name the
// six field columns (field_column_names) and may name the unit columns
// (unit_column_names) and any others, in any order. Writes every row as it is
// read: its fields unchanged, then calculated_gas_pct, calculated_gas_pressure,
// vapor_pressure_pct, corrected_barometer and error. A refused row carries its
// message and no results; a malformed row its line number and what is wrong.
// With a bad header nothing is written.
LogReport correct_log(std::istream& in, std::ostream& out, const LogOptions& options);

// The four result texts of a run, gas per cent, gas pressure, vapour per cent,
// corrected barometer (the order of the log's columns); all empty when it was refused.
std::array<std::string_view, 4> shown_results(const RunOutcome& outcome);

}  // namespace kestrane::cli
