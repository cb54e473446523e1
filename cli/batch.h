// Correcting a whole CSV log: every row is one reading, and the output is the
// log itself with the results, an error and a warning column for each row.
#pragma once

#include <cstddef>
#include <istream>
#include <ostream>
#include <string>

#include "core/correction_run.h"
#include "csv.h"
#include "io.h"
#include "reading.h"

namespace kestrane::cli {

struct LogOptions {
    // The units of rows with no unit column, or an empty unit cell.
    UnitSelection units{};
    ReadingMode mode = ReadingMode::strict;
    // Whether numbers are written with a decimal comma, read and written so.
    bool decimal_comma = false;
    // The log's delimiter, which its output keeps; CsvReader::detect_delimiter
    // lets the header decide.
    char delimiter = ',';
    // The longest record read whole; a longer one becomes a malformed row.
    std::size_t max_record = CsvReader::default_max_record;
    // Where each malformed record's text goes, as it stood in the log with its
    // line break; with none, the record's text is carried in its output row.
    std::ostream* rejects = nullptr;
};

// Why a log could not be corrected to its end.
enum class LogFailure {
    none,
    bad_header,     // no header row, a required column missing or doubled, or a header that does not read
    read_failed,    // the input failed
    write_failed,   // the output failed
    rejects_failed  // the rejects file failed
};

// What a pass over a log did.
struct LogReport {
    std::size_t rows = 0;       // data rows read, each written back whatever became of it
    std::size_t corrected = 0;  // rows with four results
    std::size_t refused = 0;    // rows whose reading was refused (a range, a text that is no number, a unit)
    std::size_t malformed = 0;  // records that could not be read as a row (fields, quoting, length)
    std::size_t blank = 0;      // rows whose cells are all empty, passed through
    std::size_t warned = 0;     // corrected rows with a warning
    LogFailure failure = LogFailure::none;
    std::string message;  // why, when failure is not none
};

// Reads a log whose first record is its header, which must name the six field
// columns (field_column_names) and may name the unit columns
// (unit_kinds) and any others, in any order. Writes every row as soon
// as it is read: its fields unchanged, then the result columns
// (result_column_names). A log that has the result columns already (one
// corrected before) gets them filled in place. A refused row carries its
// message and no results; a malformed record its line and what is wrong, and
// its text in its first column that is not a result (unless it goes to
// rejects). With a bad header nothing is written.
LogReport correct_log(InputSource& in, std::ostream& out, const LogOptions& options);
LogReport correct_log(std::istream& in, std::ostream& out, const LogOptions& options);

}  // namespace kestrane::cli
