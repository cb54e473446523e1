// The columns a corrected log gets after its own, and the words its cells use.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "core/reading.h"
#include "core/results.h"

namespace kestrane {

// The columns a corrected log gets, in their order: the four results (the
// result table's keys), then why a row was not corrected, then its warnings.
inline constexpr std::size_t added_column_count = result_count + 2;
inline constexpr std::size_t error_column = result_count;
inline constexpr std::size_t warning_column = result_count + 1;

constexpr std::array<std::string_view, added_column_count> added_column_table() {
    std::array<std::string_view, added_column_count> names{};
    for (std::size_t k = 0; k < result_count; ++k)
        names[k] = result_table[k].key;
    names[error_column] = "error";
    names[warning_column] = "warning";
    return names;
}
inline constexpr std::array<std::string_view, added_column_count> added_columns = added_column_table();

// The words a refusal adds when the other decimal mark would have made a
// number. A corrected log is the same file whichever front end wrote it, so it
// speaks of the command line's option; kestrane-cli says the same.
inline constexpr MarkHints log_mark_hints = {"for a decimal comma, give --decimal-comma",
                                             "with --decimal-comma, a decimal point is a comma: "};

}  // namespace kestrane
