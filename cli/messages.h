// How kestrane-cli speaks to its user: its exit statuses, and the program's
// name before each of its own messages (a refusal's message stands alone, as
// the dialog shows it).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "streams.h"

namespace kestrane::cli {

inline constexpr std::string_view program_name = "kestrane-cli";

// Exit statuses besides 0 (success).
inline constexpr int exit_refused = 1;  // a reading, or a row of a log or table, was refused or could not be read
inline constexpr int exit_usage = 2;    // the command line, a log's header or a table's ranges were not understood
inline constexpr int exit_io = 3;       // a file could not be read, or the output could not be written

// Writes "kestrane-cli: message" and returns status.
int report_error(ByteSink& err, std::string_view message, int status);

// Writes why out could not be written ("kestrane-cli: write error: No space
// left on device") and returns exit_io.
int report_write_failure(const ByteSink& out, ByteSink& err, std::string_view name = {});

// Writes "kestrane-cli: warning: " and the text.
void report_warning(ByteSink& err, std::string_view text);

// A name as a user sees it in a message: in single quotes, as coreutils quotes
// a file name.
std::string quoted_name(std::string_view name);

}  // namespace kestrane::cli
