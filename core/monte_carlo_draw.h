// One draw of Monte Carlo: a reading drawn from its inputs' distributions and
// the correction's two model terms, and the Calculated Gas (% Vol) it gives.
#pragma once

#include <array>
#include <optional>

#include "correlation.h"
#include "fields.h"
#include "model_terms.h"
#include "portable_random.h"
#include "uncertainty.h"
#include "units.h"

namespace kestrane {

// A deviate of the shape with mean 0 and variance 1: the generator's
// half-width-1 deviate times the shape's divisor.
double standardised_deviate(Shape shape, PortableRandom& random);

class ReadingSampler {
public:
    // A reading at the values (in the units of selection) with the
    // uncertainties and model terms given. The correlations must be possible
    // together (impossible_correlation finds none): a set that is not would be
    // drawn uncorrelated.
    ReadingSampler(const CorrectionInputs& values,
                   UnitSelection selection,
                   const UncertaintyInputs& uncertainties,
                   const ModelTermHalfWidths& model_terms);

    // What one draw gives: the six inputs, and the model terms' deviations in
    // inches of mercury (of the water-vapour pressure and of the pressure
    // brought down to the altitude).
    struct Drawn {
        CorrectionInputs inputs;
        double vapor_curve = 0.0;
        double altitude_formula = 0.0;
    };

    // Takes the deviates of one draw, always the same in number and order for
    // the same shapes: one per input in field order, whatever its uncertainty
    // (an exact input keeps its value bit for bit), then one per model term.
    Drawn draw(PortableRandom& random) const;

    // The Calculated Gas of a drawn reading whose inputs accepted() accepts:
    // not finite at the height formula's pole.
    double calculated_gas(const Drawn& drawn) const;

    // Whether drawn inputs have a physical meaning: a gas and pressures above
    // 0, a humidity from 0 to 100 %, a temperature not below absolute zero.
    // Nothing else is refused: an altitude below sea level is a place.
    bool accepted(const CorrectionInputs& inputs) const;

private:
    CorrectionInputs values_;
    UnitSelection selection_;
    std::array<Shape, field_count> shapes_{};
    std::array<double, field_count> standard_{};
    std::optional<CorrelationMatrix> mixing_;  // L of L L^T = R, only for correlated inputs
    ModelTermHalfWidths model_terms_;
    double absolute_zero_ = 0.0;  // in the temperature unit selected
};

}  // namespace kestrane
