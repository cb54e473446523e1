// A calibration table: one result over two inputs swept across ranges, the
// other inputs fixed, every cell the text a single reading would print.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "core/correction_run.h"
#include "reading.h"
#include "vocabulary.h"

namespace kestrane::cli {

// Most cells in one table.
inline constexpr std::size_t max_table_cells = 10000;

// The field texts of a range "START:STOP:STEP" of plain decimal numbers (sign,
// digits, decimal mark), computed exactly in decimal: stop is included when a
// whole number of steps reaches it, and each text has as many decimals as start
// and step, written with the same mark ("." or ","). Nothing, with error set,
// for a text that is not a range, a step of zero or one that leads away from
// stop, or more than max_table_cells values.
std::optional<std::vector<std::string>> range_texts(std::string_view range, std::string& error, char mark = '.');

// One swept input: the field and its texts.
struct Sweep {
    Field field = Field::target_gas;
    std::vector<std::string> texts;
};

// Parses "FIELD=START:STOP:STEP" (FIELD as field_from_axis_name takes it).
std::optional<Sweep> parse_sweep(std::string_view text, std::string& error, char mark = '.');

// Which result fills the cells; the names are those of the --result option.
enum class TableResult { gas_pct, gas_pressure, vapor_pct, barometer };
inline constexpr std::array<std::string_view, 4> table_result_names = {"gas-pct", "gas-pressure", "vapor-pct",
                                                                       "barometer"};

// Aligned text; a CSV grid alone (one header row); Markdown; or long CSV, one
// row per cell. The names are those of the table's --format option.
enum class TableFormat { text, csv, md, long_csv };
inline constexpr std::array<std::string_view, 4> table_format_names = {"text", "csv", "md", "long"};

struct TableOptions {
    Sweep rows;
    Sweep columns;
    // The fixed inputs; the swept fields' texts here are not used.
    std::array<std::string, field_count> field_texts = default_field_values();
    UnitSelection units{};
    TableResult result = TableResult::gas_pct;
    TableFormat format = TableFormat::text;
    ReadingMode mode = ReadingMode::strict;
    bool decimal_comma = false;  // cells, and the swept texts, with a decimal comma
    char delimiter = ',';        // of the CSV formats
};

// How many cells of a written table carry each warning.
struct TableWarnings {
    std::size_t cells = 0;
    std::size_t no_dry_gas = 0;
    std::size_t temperature_outside_fit = 0;
};

// The mark a cell shows when its reading is refused: "E" and the refused
// field's number in the dialog's order ("E6" for relative humidity). A legend
// under the table gives each mark's message.
std::string refused_mark(Field field);

// Writes the table: title lines naming the result, the sweeps, the fixed inputs
// and the units; a header row of the column values; a row per row value; and
// the legend of any refused marks. The CSV formats write the data alone to
// out, and the titles and legend to notes (unless it is null). False, with
// error set and nothing written, when both sweeps are of one field or the table
// has more than max_table_cells cells. The fixed texts must be numbers for the
// options' reading mode.
bool write_table(const TableOptions& options,
                 std::ostream& out,
                 std::ostream* notes,
                 std::string& error,
                 TableWarnings* warnings = nullptr);

}  // namespace kestrane::cli
