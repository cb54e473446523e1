#include "evaluate.h"

#include "core/coverage.h"
#include "decimal_text.h"

namespace kestrane {
namespace {

bool any_text(const UncertaintyTexts& texts) {
    for (const auto& text : texts) {
        if (text)
            return true;
    }
    return false;
}

// Whether any uncertainty was given at all: an input's (its text, or a value
// the query knows) or the analyzer's own.
bool uncertainty_given(const ReadingQuery& q) {
    if (any_text(q.uncertainties) || q.check[CheckInput::standard_uncertainty])
        return true;
    for (const InputUncertainty& u : q.known.inputs) {
        if (u.value != 0.0)
            return true;
    }
    return false;
}

// The check's requests, or the refusal of its texts or of what it lacks.
CheckRequestsRead check_requests(const ReadingQuery& q, const MarkHints& hints) {
    CheckRequestsRead read = read_check_settings(q.check, q.rules, hints);
    if (!read.refused && q.check.rule == DecisionRule::guarded && !uncertainty_given(q))
        read.refused = std::string(guarded_without_uncertainty_message);
    return read;
}

// The checks of a corrected reading with uncertainty, against its Calculated Gas (% Vol).
void make_checks(const ReadingQuery& q, const CheckRequestsRead& requests, ReadingOutcome& outcome) {
    const UncertaintyResult& u = (*outcome.uncertainty)[Result::calculated_gas_pct].uncertainty;
    const CheckReference reference{outcome.correction.values.calculated_gas_pct, u.standard,
                                   u.effective_degrees_of_freedom, q.coverage_probability};
    outcome.as_found_check = check_analyzer(reference, requests.as_found);
    if (requests.as_left)
        outcome.as_left_check = check_analyzer(reference, *requests.as_left);
}

// The probability the budget states its expanded uncertainty for, and a Monte Carlo run its interval.
double probability_of(const ReadingQuery& q) {
    return q.coverage_probability.value_or(MonteCarloRequest{}.coverage_probability);
}

}  // namespace

ReadingOutcome refused_request(std::string message) {
    ReadingOutcome outcome;
    outcome.refusal = Refusal::request;
    outcome.message = std::move(message);
    return outcome;
}

std::string correlation_text(const CorrelationPair& pair) {
    return std::string(info(pair.first).option) + "," + std::string(info(pair.second).option) + "=" +
           plain_decimal_text(pair.r);
}

std::optional<std::string> correlation_refusal(const std::vector<CorrelationPair>& pairs) {
    // A set may be possible whole though some of its first pairs are not
    // with the others at 0: only a set impossible whole is refused, naming
    // the pair that first makes it so.
    if (pairs.empty() || cholesky_factor(correlation_matrix(pairs)))
        return std::nullopt;
    const std::optional<std::size_t> impossible = impossible_correlation(pairs);
    if (!impossible)
        return std::nullopt;
    return "Error: the correlations cannot hold together: " + correlation_text(pairs[*impossible]) +
           (*impossible == 0 ? "" : " with those before it");
}

BudgetForValidation validation_budget(const ReadingOutcome& o, double coverage_probability) {
    const UncertaintyResult& u = (*o.uncertainty)[Result::calculated_gas_pct].uncertainty;
    return {o.correction.values.calculated_gas_pct, u.standard,
            coverage_factor_for(coverage_probability, u.effective_degrees_of_freedom) * u.standard};
}

MonteCarloRun monte_carlo_run(const ReadingQuery& q, const ReadingOutcome& o) {
    MonteCarloRequest request = q.monte_carlo.value_or(MonteCarloRequest{});
    request.coverage_probability = probability_of(q);
    return MonteCarloRun(o.correction.inputs, q.units, o.uncertainties,
                         model_term_half_widths(o.correction.inputs, q.units), request);
}

namespace {

// Refuses the outcome with message; false, so that a caller returns it.
bool refuse(ReadingOutcome& outcome, Refusal refusal, std::string message) {
    outcome.refusal = refusal;
    outcome.message = std::move(message);
    return false;
}

// The inputs' uncertainties the reading is evaluated with (their texts over
// the query's), unless a text or the correlations refuse them.
bool take_uncertainties(const ReadingQuery& q, const MarkHints& hints, ReadingOutcome& outcome) {
    outcome.uncertainties = q.known;
    if (any_text(q.uncertainties)) {
        UncertaintiesRead read = read_uncertainties(q.uncertainties, q.known, q.rules, hints);
        if (read.refused)
            return refuse(outcome, Refusal::uncertainty_text, std::move(*read.refused));
        outcome.uncertainties = read.values;
    }
    if (std::optional<std::string> refused = correlation_refusal(q.known.correlations))
        return refuse(outcome, Refusal::correlation, std::move(*refused));
    return true;
}

}  // namespace

ReadingOutcome evaluate(const ReadingQuery& q, const MarkHints& hints) {
    ReadingOutcome outcome;
    const bool uncertainty = uncertainty_asked(q);
    if (uncertainty && !take_uncertainties(q, hints, outcome))
        return outcome;
    CheckRequestsRead checks;
    if (q.check.asked() || q.check[CheckInput::as_left]) {
        checks = check_requests(q, hints);
        if (checks.refused && !refuse(outcome, Refusal::check, std::move(*checks.refused)))
            return outcome;
    }
    outcome.correction = correct(q.texts, q.units, q.rules);
    const Correction& c = outcome.correction;
    if (!c.corrected()) {
        refuse(outcome, Refusal::field, refusal_message(c, q.texts, q.rules, hints));
        return outcome;
    }
    if (!uncertainty)
        return outcome;
    outcome.uncertainty = propagate_uncertainty(c.inputs, q.units, {outcome.uncertainties, q.coverage_probability});
    if (!stated(*outcome.uncertainty)) {
        refuse(outcome, Refusal::uncertainty_too_large, std::string(uncertainty_too_large_message));
        outcome.uncertainty.reset();
        return outcome;
    }
    if (q.check.asked())
        make_checks(q, checks, outcome);
    if (q.monte_carlo) {
        MonteCarloRun run = monte_carlo_run(q, outcome);
        while (!run.done())
            run.step();
        outcome.monte_carlo = run.result(validation_budget(outcome, probability_of(q)));
    }
    return outcome;
}

}  // namespace kestrane
