// The command line of kestrane-cli, apart from the process around it, so that
// tests can run it with their own arguments and streams.
#pragma once

#include <istream>
#include <ostream>

namespace kestrane::cli {

// Exit statuses besides 0 (success).
inline constexpr int exit_refused = 1;  // the reading was refused with one of the run's messages
inline constexpr int exit_usage = 2;    // the command line was not understood
inline constexpr int exit_data = 3;     // a file could not be read or written, or a log or grid was bad

// Runs the command line argv (argv[0] the program's name), reading a log from
// in when it is given as "-" or not at all, writing results to out and
// messages to err. Returns the exit status.
int run_cli(int argc, const char* const* argv, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace kestrane::cli
