// One reading as CSV: the header and the row that a log holding just this
// reading gives, corrected by the log's own code so that the two cannot differ.
#pragma once

#include <string>

#include "reading/evaluate.h"

namespace kestrane {

// The six fields, the three units as they are named, the uncertainties given
// (their texts as typed, so that the CSV read back as a log states the same
// ones), and the added columns of the row.
std::string reading_csv(const ReadingQuery& query, char delimiter);

}  // namespace kestrane
