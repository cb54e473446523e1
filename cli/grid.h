// A table over a grid of conditions: any of the six fields may take a range or
// a list of texts, and every combination is one correction run.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "core/correction_run.h"
#include "vocabulary.h"

namespace kestrane::cli {

// Whether a field's text asks for several values: a range "start:stop:step" or
// a list "a,b,c". Any other text is one fixed condition, used as it stands.
bool is_axis(std::string_view text);

// The field texts an axis stands for. A range takes plain decimal numbers
// (sign, digits, point) and includes stop when a whole number of steps reaches
// it; each value is written with as many decimals as start and step have. A
// list's items are used as they stand. Nothing, with error set, for a bad range.
std::optional<std::vector<std::string>> axis_texts(std::string_view axis, std::string& error);

// Most points on one axis, and most rows in one table.
inline constexpr std::size_t max_axis_points = 10000;
inline constexpr std::size_t max_grid_rows = 1000000;

enum class GridFormat { text, csv };

struct GridOptions {
    UnitSelection units{};
    // Each field's text, or its range or list, in field order.
    std::array<std::string, field_count> field_values = default_field_values();
    GridFormat format = GridFormat::text;
};

// Writes one row per combination, the last field that varies changing fastest:
// the varying fields' texts, the four results and any message. Text is an
// aligned table with the form's labels and the units; CSV uses the short column
// names of the log correction. False, with error set, when no field varies, a
// range is bad or the grid is too large; nothing is written then.
bool write_grid(const GridOptions& options, std::ostream& out, std::string& error);

}  // namespace kestrane::cli
