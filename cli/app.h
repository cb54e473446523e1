// The command line of kestrane-cli, apart from the process around it, so that
// tests can run it with their own arguments and streams.
#pragma once

#include <istream>
#include <ostream>

#include "io.h"
#include "messages.h"

namespace kestrane::cli {

// Runs the command line argv (argv[0] the program's name, the others UTF-8),
// reading a log from in when it is given as "-", writing results to out and
// messages to err. Returns the exit status.
int run_cli(int argc, const char* const* argv, InputSource& in, std::ostream& out, std::ostream& err);
int run_cli(int argc, const char* const* argv, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace kestrane::cli
