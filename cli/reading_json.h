// One reading as a JSON object, for scripts: the inputs as they were given and
// read, the units, the four results as the dialog's texts and as numbers, and
// the message that refused the reading or the warnings of its results.
#pragma once

#include <optional>
#include <string>

#include "core/monte_carlo.h"
#include "core/reading.h"
#include "core/uncertainty.h"

namespace kestrane::cli {

// The uncertainty of a reading, when standard uncertainties or Monte Carlo were asked for.
struct ReadingUncertainty {
    std::optional<CorrectionUncertainty> propagated;
    std::optional<MonteCarloResult> monte_carlo;
    // Whether they were asked for: a refused reading keeps their keys, as null,
    // so that its JSON has the shape of a corrected one.
    bool propagated_asked = false;
    bool monte_carlo_asked = false;
};

// The object, indented, with a line break at its end. A value that is not
// finite is written as null; its text says what it is ("inf").
// With an uncertainty, an "uncertainty" object (and a "monte_carlo" one) after the warnings.
std::string reading_json(const FieldTexts& texts,
                         UnitSelection units,
                         const Correction& correction,
                         bool decimal_comma,
                         const ReadingUncertainty& uncertainty = {});

}  // namespace kestrane::cli
