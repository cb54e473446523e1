#include "monte_carlo.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "monte_carlo_draw.h"
#include "monte_carlo_statistics.h"

namespace kestrane {

std::size_t monte_carlo_fewest_draws(double coverage_probability) {
    constexpr std::uint64_t least = 10000;  // JCGM 101 7.2.2: M at least 10^4 / (1 - p)
    std::uint64_t draws = 0;
    if (const auto p = decimal_fraction(coverage_probability)) {
        // 10^4 / (1 - p) = 10^4 d / (d - n), rounded up in integers: exactly 200000 at 95 %.
        const std::uint64_t gap = p->denominator - p->numerator;
        draws = (least * p->denominator + gap - 1) / gap;
    } else if (coverage_probability < 1.0) {
        draws = static_cast<std::uint64_t>(std::ceil(static_cast<double>(least) / (1.0 - coverage_probability)));
    } else {
        return std::numeric_limits<std::size_t>::max();
    }
    draws = (draws + monte_carlo_block - 1) / monte_carlo_block * monte_carlo_block;
    return static_cast<std::size_t>(std::min<std::uint64_t>(draws, std::numeric_limits<std::size_t>::max()));
}

// The run's draws so far: the accepted values in the order drawn, and the
// statistics of each whole block of monte_carlo_block of them.
struct MonteCarloRun::State {
    State(ReadingSampler s, const MonteCarloRequest& r)
        : sampler(s), random(r.seed), request(r), most(r.draws.value_or(monte_carlo_most_draws)) {
        values.reserve(r.draws.value_or(monte_carlo_block));
    }

    ReadingSampler sampler;
    PortableRandom random;
    MonteCarloRequest request;
    std::size_t most;  // the draws of a fixed run, or the most an adaptive one makes
    std::size_t draws = 0;
    std::size_t refused = 0;
    std::size_t not_finite = 0;
    std::vector<double> values;
    std::vector<SampleStatistics> blocks;
    std::vector<double> block_scratch;
    bool converged = false;  // an adaptive run's stop

    void summarise_whole_blocks();
};

void MonteCarloRun::State::summarise_whole_blocks() {
    while ((blocks.size() + 1) * monte_carlo_block <= values.size()) {
        const auto first = values.begin() + static_cast<std::ptrdiff_t>(blocks.size() * monte_carlo_block);
        block_scratch.assign(first, first + static_cast<std::ptrdiff_t>(monte_carlo_block));
        blocks.push_back(sample_statistics(block_scratch, request.coverage_probability, request.interval));
    }
}

MonteCarloRun::MonteCarloRun(const CorrectionInputs& values,
                             UnitSelection selection,
                             const UncertaintyInputs& uncertainties,
                             const ModelTermHalfWidths& model_terms,
                             const MonteCarloRequest& request)
    : state_(std::make_shared<State>(ReadingSampler(values, selection, uncertainties, model_terms), request)) {}

bool MonteCarloRun::step() {
    State& s = *state_;
    if (done())
        return false;
    const std::size_t count = std::min(monte_carlo_block, s.most - s.draws);
    for (std::size_t i = 0; i < count; ++i) {
        const ReadingSampler::Drawn drawn = s.sampler.draw(s.random);
        if (!s.sampler.accepted(drawn.inputs)) {
            ++s.refused;
            continue;
        }
        const double gas = s.sampler.calculated_gas(drawn);
        if (std::isfinite(gas))
            s.values.push_back(gas);
        else
            ++s.not_finite;
    }
    s.draws += count;
    const std::size_t blocks_before = s.blocks.size();
    s.summarise_whole_blocks();
    // JCGM 101 7.9.3: after each new block, from the second on, stop once the
    // blocks' statistics are within the tolerance of u(y) of their values to two digits.
    if (!s.request.draws && s.blocks.size() > blocks_before && s.blocks.size() >= 2)
        s.converged = stated_digits(s.blocks, pooled_standard_deviation(s.blocks), s.blocks[0].mean).converged;
    return true;
}

bool MonteCarloRun::done() const {
    return state_->draws >= state_->most || state_->converged;
}

double MonteCarloRun::progress() const {
    return done() ? 1.0 : static_cast<double>(state_->draws) / static_cast<double>(state_->most);
}

MonteCarloResult MonteCarloRun::result(const BudgetForValidation& budget) const {
    const State& s = *state_;
    MonteCarloResult r;
    r.draws = s.draws;
    r.refused = s.refused;
    r.not_finite = s.not_finite;
    r.adaptive = !s.request.draws;
    r.coverage_probability = s.request.coverage_probability;
    r.interval = s.request.interval;
    // JCGM 101 7.9.4: the results are of all the values, not of the blocks.
    std::vector<double> values = s.values;
    const SampleStatistics all = sample_statistics(values, r.coverage_probability, r.interval);
    r.mean = all.mean;
    r.standard_deviation = all.standard_deviation;
    r.coverage_low = all.low;
    r.coverage_high = all.high;
    // The tolerance is that of u(y) of the blocks' values, as the adaptive
    // run's stop had it: values past the last whole block do not move it.
    const double u = s.blocks.size() >= 2 ? pooled_standard_deviation(s.blocks) : all.standard_deviation;
    const StatedDigits digits = stated_digits(s.blocks, u, all.mean);
    r.decimal_exponent = digits.decimal_exponent;
    r.converged = digits.converged;
    r.tolerance = power_of_ten(digits.decimal_exponent) / 2.0;
    r.validation = validate_budget(budget, all.low, all.high);
    return r;
}

MonteCarloResult monte_carlo_calculated_gas(const CorrectionInputs& values,
                                            UnitSelection selection,
                                            const UncertaintyInputs& uncertainties,
                                            const ModelTermHalfWidths& model_terms,
                                            const MonteCarloRequest& request,
                                            const BudgetForValidation& budget) {
    MonteCarloRun run(values, selection, uncertainties, model_terms, request);
    while (run.step()) {
    }
    return run.result(budget);
}

}  // namespace kestrane
