// One reading as a JSON object, for scripts: the inputs as they were given and
// read, the units, the four results as the dialog's texts and as numbers, and
// the message that refused the reading or the warnings of its results.
#pragma once

#include <string>

#include "core/reading.h"

namespace kestrane::cli {

// The object, indented, with a line break at its end. A value that is not
// finite is written as null; its text says what it is ("inf").
std::string reading_json(const FieldTexts& texts, UnitSelection units, const Correction& correction, bool decimal_comma);

}  // namespace kestrane::cli
