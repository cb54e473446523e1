// One reading as a JSON object, for scripts and for the page: the inputs as
// they were given and read, the units, the four results as the dialog's texts
// and as numbers, the message that refused the reading or the warnings of its
// results, and its uncertainty when one was asked for. Texts of numbers are
// written with a decimal point, whatever mark the reading was read with.
#pragma once

#include <string>

#include "evaluate.h"

namespace kestrane {

// The object, indented by two spaces, with a line break at its end. A value
// that is not finite is written as null; its text says what it is ("inf").
std::string reading_json(const ReadingQuery& query, const ReadingOutcome& outcome);

}  // namespace kestrane
