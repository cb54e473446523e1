// The file of --record: the record's fields, under those its options give.
#pragma once

#include <optional>

#include "request.h"
#include "streams.h"

namespace kestrane::cli {

// Reads the request's record file, when it names one, into its record where
// no option gave a field; the exit status when it cannot be read (3) or is
// no record file (2), said on err.
std::optional<int> read_record_file(Request& r, ByteSink& err);

}  // namespace kestrane::cli
