// The things kestrane-cli does, each over the request the command line made:
// correct one reading, correct a log, print a table. Each writes its results
// to out and its messages to err, and returns the exit status.
#pragma once

#include "reading/evaluate.h"
#include "request.h"
#include "streams.h"

namespace kestrane::cli {

// Corrects the reading the options give and writes it in its format.
int run_reading(const Request& request, ByteSink& out, ByteSink& err);

// Corrects the log read from log, writing the malformed records' texts to
// rejects when the request has a rejects file. Stops at the first write that
// fails.
int run_log(const Request& request, ByteSource& log, ByteSink& out, ByteSink* rejects, ByteSink& err);

// Prints the table of the table command.
int run_table(const Request& request, ByteSink& out, ByteSink& err);

// The dialog's defaults are in the first unit of each list: a field left at
// its default under another unit would be read in a unit it was never meant
// in. False, with the options to give written to err, when that would happen.
// Fields in `given` count as given (a table's swept ones); altitude is spared,
// as its default 0 is the same in feet and metres.
bool defaults_fit_units(const Request& request, std::bitset<field_count> given, ByteSink& err);

// The reading the options ask for, over the request's texts.
ReadingQuery query_of(const Request& request);

}  // namespace kestrane::cli
