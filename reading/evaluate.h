// One reading, evaluated once for every front end: the command line's options,
// the page's form and each row of a log become a ReadingQuery, and evaluate
// gives its whole outcome. The writers (reading_text.h, reading_json.h) turn
// an outcome into the bytes each front end shows.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/monte_carlo.h"
#include "core/reading.h"
#include "core/uncertainty.h"

namespace kestrane {

// What a reading is asked for: its six texts, their units, how they are read,
// and the standard uncertainties and Monte Carlo draws that go with it.
struct ReadingQuery {
    // The six field texts, in field order.
    std::array<std::string, field_count> fields;
    UnitSelection units{};
    ReadingRules rules{};
    // The standard uncertainties' texts, in field order; nothing where none is given.
    std::array<std::optional<std::string>, field_count> uncertainties;
    // Monte Carlo's draws, when asked for, and its seed.
    std::optional<std::size_t> monte_carlo;
    std::uint64_t seed = default_monte_carlo_seed;

    // A query of the dialog's defaults, written in the mark its rules read.
    static ReadingQuery defaults(ReadingRules rules = {});
    bool uncertainty_asked() const;
    FieldTexts texts() const;
};

// Everything one reading gives: the correction of its texts (the values read,
// the results or the refused field, the warnings), the message that refused
// it, and its uncertainty when one was asked for.
struct ReadingOutcome {
    ReadingQuery query;
    Correction correction;
    // The refusal, as the front ends state it: a field's, or one of the
    // standard uncertainties'; nothing when the reading was corrected.
    std::optional<std::string> refusal;
    // Whether the refusal is of an uncertainty's text, which no reading was made of.
    bool uncertainty_refused = false;
    std::vector<std::string> warnings;
    std::optional<CorrectionUncertainty> uncertainty;
    std::optional<MonteCarloResult> monte_carlo;

    bool corrected() const { return !refusal.has_value(); }
};

// The words a refused text gets when the other decimal mark would have made it
// a number, in the words of the front end that asked.
ReadingOutcome evaluate(const ReadingQuery& query, const MarkHints& hints);

}  // namespace kestrane
