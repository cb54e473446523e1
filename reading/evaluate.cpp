#include "evaluate.h"

namespace kestrane {
namespace {

// The uncertainty of a corrected reading: its budgets, or only its totals.
CorrectionUncertainty uncertainty_of(const Correction& c, const ReadingQuery& q, const UncertaintyInputs& u) {
    if (q.detail == UncertaintyDetail::budgets)
        return propagate_uncertainty(c.inputs, q.units, u);
    const CorrectionSensitivities s = sensitivity_coefficients(c.inputs, q.units);
    CorrectionUncertainty totals;
    totals.calculated_gas_pct.uncertainty = combined_uncertainty(s.calculated_gas_pct, u);
    totals.calculated_gas_pressure.uncertainty = combined_uncertainty(s.calculated_gas_pressure, u);
    return totals;
}

bool any_text(const UncertaintyTexts& texts) {
    for (const auto& text : texts) {
        if (text)
            return true;
    }
    return false;
}

}  // namespace

ReadingOutcome refused_request(std::string message) {
    ReadingOutcome outcome;
    outcome.refusal = Refusal::request;
    outcome.message = std::move(message);
    return outcome;
}

ReadingOutcome evaluate(const ReadingQuery& q, const MarkHints& hints) {
    ReadingOutcome outcome;
    UncertaintyInputs uncertainties = q.known;
    if (q.uncertainty && any_text(q.uncertainties)) {
        UncertaintiesRead read = read_uncertainties(q.uncertainties, q.known, q.rules, hints);
        if (read.refused) {
            outcome.refusal = Refusal::uncertainty_text;
            outcome.message = std::move(*read.refused);
            return outcome;
        }
        uncertainties = read.values;
    }
    outcome.correction = correct(q.texts, q.units, q.rules);
    const Correction& c = outcome.correction;
    if (!c.corrected()) {
        outcome.refusal = Refusal::field;
        outcome.message = refusal_message(c, q.texts, q.rules, hints);
        return outcome;
    }
    if (!q.uncertainty)
        return outcome;
    outcome.uncertainty = uncertainty_of(c, q, uncertainties);
    if (!stated(*outcome.uncertainty)) {
        outcome.refusal = Refusal::uncertainty_too_large;
        outcome.message = uncertainty_too_large_message;
        outcome.uncertainty.reset();
        return outcome;
    }
    if (q.monte_carlo)
        outcome.monte_carlo = monte_carlo_calculated_gas(c.inputs, q.units, uncertainties, *q.monte_carlo, q.seed);
    return outcome;
}

}  // namespace kestrane
