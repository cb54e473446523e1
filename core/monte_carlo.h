// The uncertainty of the Calculated Gas by propagating the inputs'
// distributions through the correction itself, as JCGM 101:2008 does: where
// the law of propagation linearises the formula, this draws whole readings.
// The draws are the same bits on every build (portable_random.h), so a seed
// names one result everywhere.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "fields.h"
#include "portable_random.h"
#include "uncertainty.h"
#include "units.h"

namespace kestrane {

// The seed of a run that names none: "KESTRANE" in ASCII.
inline constexpr std::uint64_t default_monte_carlo_seed = 0x4b45535452414e45;

// What the draws gave for the Calculated Gas (% Vol). The statistics are of the
// accepted draws alone; with none accepted they are NaN.
struct MonteCarloResult {
    std::size_t draws = 0;
    // Draws that the field checks refuse (refused_field): a gas above 100 %, a
    // humidity above 100 %, ... They are counted and left out: the core gives
    // no result for such a reading.
    std::size_t refused = 0;
    // Accepted draws whose result is not a finite number (the height formula's
    // pole), also left out.
    std::size_t not_finite = 0;
    double mean = 0.0;
    double standard_deviation = 0.0;  // with the M - 1 divisor
    // The probabilistically symmetric 95 % coverage interval of JCGM 101:2008:
    // the 2.5 % and 97.5 % points of the sorted accepted values.
    double coverage_low = 0.0;
    double coverage_high = 0.0;

    std::size_t accepted() const { return draws - refused - not_finite; }
};

// draws readings, each input normal with its value as mean and its standard
// uncertainty (in the field's unit, as for propagate_uncertainty), an input of
// uncertainty 0 kept at its value; each reading checked as a reading's fields
// are and corrected by compute_correction in the units of selection. Every
// draw takes six deviates, one per input in field order, so a seed gives each
// input the same deviates whatever the other uncertainties are. Ask for 10^4
// draws or more: the interval's ends are single order statistics of the
// draws, and with fewer they move from seed to seed.
MonteCarloResult monte_carlo_calculated_gas(const CorrectionInputs& values,
                                            UnitSelection selection,
                                            const UncertaintyInputs& uncertainties,
                                            std::size_t draws,
                                            std::uint64_t seed = default_monte_carlo_seed);

}  // namespace kestrane
