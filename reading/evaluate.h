// One reading, evaluated once for every front end: the command line's options,
// the page's form and each row of a log become a ReadingQuery, and evaluate
// gives its whole outcome. The writers (reading_text.h, reading_json.h, and a
// log's row) turn an outcome into the bytes each front end shows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/analyzer_check.h"
#include "core/analyzer_inputs.h"
#include "core/monte_carlo.h"
#include "core/reading.h"
#include "core/record.h"
#include "core/uncertainty.h"

namespace kestrane {

// What a reading is asked for: its six texts, their units, how they are read,
// and the uncertainties and Monte Carlo draws that go with it. The texts are
// the caller's, which keeps them while the query and its outcome live.
struct ReadingQuery {
    FieldTexts texts{};
    UnitSelection units{};
    ReadingRules rules{};
    // Whether the results' uncertainty is asked for. The inputs'
    // uncertainties, degrees of freedom and correlations are `known`, each
    // input's value and shape overridden by its text where one is given.
    bool uncertainty = false;
    UncertaintyInputs known{};
    UncertaintyTexts uncertainties{};
    // The coverage probability the expanded uncertainties are stated for;
    // none: k = 2.
    std::optional<double> coverage_probability;
    // Monte Carlo's run, when asked for (its coverage probability is the
    // query's, or 95 %).
    std::optional<MonteCarloRequest> monte_carlo;
    // The analyzer's check against the Calculated Gas (% Vol), asked for by
    // its reading as found; its texts are the caller's, as the fields' are.
    CheckSettings check{};
    // The record the reading is filed with (no field given: none).
    Record record;
};

// Whether the results' uncertainty is worked out: asked for, or needed by the
// analyzer's check.
inline bool uncertainty_asked(const ReadingQuery& query) {
    return query.uncertainty || query.check.asked();
}

// Why a reading has no results.
enum class Refusal {
    none,
    request,                // the request itself, before any reading: a front end's own check
    correlation,            // correlations no inputs can have together: no reading was made
    uncertainty_text,       // a standard uncertainty's text: no reading was made
    field,                  // a field's text: out of its range, or no number
    uncertainty_too_large,  // the results' uncertainty is past any number
    check,                  // the analyzer's check: a text of it, or what it needs; no reading was made
};

// Everything one reading gives: the correction of its texts (the values read,
// the results or the refused field, the warnings), the message that refused
// it, and its uncertainty when one was asked for.
struct ReadingOutcome {
    Correction correction;
    Refusal refusal = Refusal::none;
    std::string message;  // the refusal's, as the front end states it
    // The inputs' uncertainties the reading was evaluated with (its texts
    // read over the query's).
    UncertaintyInputs uncertainties;
    std::optional<CorrectionUncertainty> uncertainty;
    std::optional<MonteCarloResult> monte_carlo;
    // The analyzer's checks, when asked for: as found, and as left when its reading is given.
    std::optional<AnalyzerCheck> as_found_check;
    std::optional<AnalyzerCheck> as_left_check;

    bool corrected() const { return refusal == Refusal::none; }
    // Whether the fields' texts were read at all.
    bool read() const {
        return refusal != Refusal::request && refusal != Refusal::uncertainty_text && refusal != Refusal::correlation &&
               refusal != Refusal::check;
    }
};

// The outcome of a request refused before any reading, with its message.
ReadingOutcome refused_request(std::string message);

// The words a refusal adds when the other decimal mark would have made a
// number, as the command line says them. A corrected log is the same file
// whichever front end wrote it, so it speaks of the command line's option too.
inline constexpr MarkHints command_line_hints = {"for a decimal comma, give --decimal-comma",
                                                 "with --decimal-comma, a decimal point is a comma: "};

// What an outcome's refusal and warnings are called, as a JSON key and as a log's column.
inline constexpr std::string_view error_key = "error";
inline constexpr std::string_view warning_key = "warning";

// The reading of query; a refused text's message carries hints, the words of
// the front end that asked for the other decimal mark.
ReadingOutcome evaluate(const ReadingQuery& query, const MarkHints& hints);

// The refusal of correlations that no inputs can have together, naming the
// first pair that makes them so as the options write it:
// Error: the correlations cannot hold together: barometric-pressure,target-pressure=0.9 with those before it
// Nothing when they can.
std::optional<std::string> correlation_refusal(const std::vector<CorrelationPair>& pairs);

// A pair as an option writes it: "barometric-pressure,target-pressure=0.9".
std::string correlation_text(const CorrelationPair& pair);

// What a Monte Carlo run of a corrected reading with uncertainty is checked
// against: the Calculated Gas (% Vol), its combined standard uncertainty and
// the expanded uncertainty at the run's coverage probability and the
// budget's effective degrees of freedom.
BudgetForValidation validation_budget(const ReadingOutcome& outcome, double coverage_probability);

// The run a query asks for over a corrected reading with uncertainty, to be
// stepped by the caller (evaluate runs it whole when the query asks for one;
// the page evaluates without and steps the run in a worker).
MonteCarloRun monte_carlo_run(const ReadingQuery& query, const ReadingOutcome& outcome);

}  // namespace kestrane
