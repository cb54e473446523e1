// A calibration table: one result over two inputs swept across ranges, the
// other inputs fixed, every cell the text a single reading would print.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/reading.h"

namespace kestrane {

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

// The field a table axis names: a column name ("relative_humidity") or the
// name of the field's option without its dashes ("humidity", "barometric-pressure", "barometer").
std::optional<Field> field_from_axis_name(std::string_view name);

// Parses "FIELD=START:STOP:STEP" (FIELD as field_from_axis_name takes it).
std::optional<Sweep> parse_sweep(std::string_view text, std::string& error, char mark = '.');

// The column name of a field, with words for a title: "relative humidity".
std::string field_words(Field field);

// Aligned text; a CSV grid alone (one header row); Markdown; or long CSV, one
// row per cell. The names are those of the table's --format option.
enum class TableFormat { text, csv, md, long_csv };
inline constexpr std::array<std::string_view, 4> table_format_names = {"text", "csv", "md", "long"};

struct TableOptions {
    Sweep rows;
    Sweep columns;
    // The fixed inputs; the swept fields' texts here are not used.
    std::array<std::string, field_count> field_texts;
    UnitSelection units{};
    Result result = Result::calculated_gas_pct;
    TableFormat format = TableFormat::text;
    ReadingRules rules{};  // the cells, and the swept texts, with a decimal comma when it says so
    char delimiter = ',';  // of the CSV formats
};

// What the cells of a written table came to: how many there are, how many
// were refused, and how many carry each warning, by its text.
struct TableSummary {
    std::size_t cells = 0;
    std::size_t refused = 0;
    std::vector<std::pair<std::string, std::size_t>> warnings;
};

// The mark a cell shows when its reading is refused: "E" and the refused
// field's number in the dialog's order ("E6" for relative humidity). A legend
// under the table gives each mark's message.
std::string refused_mark(Field field);

// Writes the table: title lines naming the result, the sweeps, the fixed inputs
// and the units; a header row of the column values; a row per row value; and
// the legend of any refused marks. The CSV formats write the data alone to
// out, and the titles and legend to notes (unless it is null), which come first. False, with
// error set and nothing written, when both sweeps are of one field or the table
// has more than max_table_cells cells. The fixed texts must be numbers for the
// options' reading mode.
bool write_table(const TableOptions& options,
                 std::string& out,
                 std::string* notes,
                 std::string& error,
                 TableSummary* summary = nullptr);

}  // namespace kestrane
