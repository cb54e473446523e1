// How kestrane-cli speaks to its user: its exit statuses, and the program's
// name before each of its own messages (a refusal's message stands alone, as
// the dialog shows it).
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>

namespace kestrane::cli {

inline constexpr std::string_view program_name = "kestrane-cli";

// Exit statuses besides 0 (success).
inline constexpr int exit_refused = 1;  // a reading, or a row of a log, was refused or could not be read
inline constexpr int exit_usage = 2;    // the command line, a log's header or a table's ranges were not understood
inline constexpr int exit_io = 3;       // a file could not be read, or the output could not be written

// Prints "kestrane-cli: message" and returns status.
int report_error(std::ostream& err, std::string_view message, int status);

// Prints why out could not be written ("kestrane-cli: write error: No space
// left on device") and returns exit_io.
int report_write_failure(const std::ostream& out, std::ostream& err);

// Prints "kestrane-cli: warning: " and the text.
void report_warning(std::ostream& err, std::string_view text);

// A count and its noun, singular for one: "1 row", "3 rows".
std::string counted(std::size_t count, std::string_view one, std::string_view many);

}  // namespace kestrane::cli
