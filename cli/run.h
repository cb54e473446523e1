// A run of kestrane-cli apart from the process around it, so that tests can
// run it with their own arguments and streams.
#pragma once

#include <string>
#include <vector>

#include "streams.h"

namespace kestrane::cli {

// Runs the command line args (UTF-8, the program's name not among them), reading
// a log given as "-" from the streams' input, writing results to its output and
// messages to its error. Returns the exit status.
int run_cli(const std::vector<std::string>& args, Streams& streams);

}  // namespace kestrane::cli
