// Correcting a whole CSV log: every row is one reading, and the output is the
// log itself with the four results and the row's message added to each row.
#pragma once

#include <array>
#include <cstddef>
#include <istream>
#include <ostream>
#include <string>

#include "core/correction_run.h"

namespace kestrane::cli {

// The headings of the columns added to each row, in order.
inline constexpr std::array<std::string_view, 5> result_column_names = {
    "calculated_gas_pct", "calculated_gas_pressure", "vapor_pressure_pct", "corrected_barometer", "error"};

struct BatchOptions {
    char delimiter = ',';
    UnitSelection units{};
    // The text of each field that no column of the log gives.
    std::array<std::string, field_count> field_texts;
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

}  // namespace kestrane::cli
