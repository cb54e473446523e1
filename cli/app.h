// The command line of kestrane-cli, apart from the process around it, so that
// tests can run it with their own arguments and streams.
#pragma once

#include <istream>
#include <ostream>

#include "io.h"

namespace kestrane::cli {

// Exit statuses besides 0 (success).
inline constexpr int exit_refused = 1;  // a reading, or a row of a log, was refused or could not be read
inline constexpr int exit_usage = 2;    // the command line, a log's header or a table's ranges were not understood
inline constexpr int exit_io = 3;       // a file could not be read, or the output could not be written

// Runs the command line argv (argv[0] the program's name, the others UTF-8),
// reading a log from in when it is given as "-", writing results to out and
// messages to err. Returns the exit status.
int run_cli(int argc, const char* const* argv, InputSource& in, std::ostream& out, std::ostream& err);
int run_cli(int argc, const char* const* argv, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace kestrane::cli
