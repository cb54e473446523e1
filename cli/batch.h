// Correcting a whole CSV log: every row is one reading, and the output is the
// log itself with the four results and the row's message added to each row.
#pragma once

#include <array>
#include <cstddef>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>

#include "core/correction_run.h"
#include "vocabulary.h"

namespace kestrane::cli {

struct BatchOptions {
    char delimiter = ',';
    UnitSelection units{};
    // The text of each field that no column of the log gives.
    std::array<std::string, field_count> field_texts = default_field_values();
};

// What a pass over a log did.
struct BatchReport {
    std::size_t rows = 0;     // data rows corrected or refused
    std::size_t refused = 0;  // rows whose run ended with a message
    std::string error;        // why the log could not be read to its end; empty when it was

    bool ok() const { return error.empty(); }
};

// Reads a log whose first row holds column headings: those that name an input
// field (see field_from_heading) feed that field, and all columns, in their
// order, are copied through. Rows are written as they are corrected, so on an
// error the output holds every row before it.
BatchReport correct_csv_log(std::istream& in, std::ostream& out, const BatchOptions& options);

// The four result texts of a run in the form's reading order (gas per cent, gas
// pressure, vapour per cent, corrected barometer); all empty when it was refused.
std::array<std::string_view, 4> shown_results(const RunOutcome& outcome);

// Appends the headings of the five columns a corrected row gains, delimited:
// calculated_gas_pct, calculated_gas_pressure, vapor_pressure_pct, corrected_barometer, error.
void append_result_headings(std::string& line, char delimiter);

// Appends the five cells a corrected row gains: its four results and an empty
// message, or four empty results and its message.
void append_result_cells(std::string& line, const RunOutcome& outcome, char delimiter);

// Writes out what line holds and empties it once it has grown past 64 KiB, so
// long outputs go out in large writes without growing without bound.
void write_when_full(std::string& line, std::ostream& out);

}  // namespace kestrane::cli
