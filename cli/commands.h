// The three things kestrane-cli does, each over a parsed command line and its
// units: correct one reading, correct a log, print a table. Each returns the
// exit status.
#pragma once

#include <ostream>

#include "command_line.h"
#include "io.h"

namespace kestrane::cli {

// Corrects the reading the options give and prints its four results.
int run_reading(const Request& request, UnitSelection units, std::ostream& out, std::ostream& err);

// Corrects the log of --csv (standard input for "-", read from in).
int run_log(const Request& request, UnitSelection units, InputSource& in, std::ostream& out, std::ostream& err);

// Prints the table of the table command.
int run_table(const Request& request, UnitSelection units, std::ostream& out, std::ostream& err);

}  // namespace kestrane::cli
