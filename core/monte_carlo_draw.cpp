#include "monte_carlo_draw.h"

#include "correction_run.h"

namespace kestrane {
namespace {

constexpr double absolute_zero_f = -459.67;

// Absolute zero in a temperature unit, rounded to single precision as a
// field's value is, so that absolute zero typed in its unit is not taken for
// a little below it.
double absolute_zero(const Unit& unit) {
    double zero = absolute_zero_f;
    if (unit.conversion == Conversion::celsius)
        zero = -kelvin_at_freezing;
    else if (unit.conversion == Conversion::kelvin)
        zero = 0.0;
    return static_cast<double>(static_cast<float>(zero));
}

// L eps for the lower triangular L, each sum in column order.
std::array<double, field_count> mixed(const CorrelationMatrix& l, const std::array<double, field_count>& eps) {
    std::array<double, field_count> z{};
    for (std::size_t i = 0; i < field_count; ++i) {
        double sum = 0.0;
        for (std::size_t j = 0; j <= i; ++j)
            sum += l[i][j] * eps[j];
        z[i] = sum;
    }
    return z;
}

}  // namespace

double standardised_deviate(Shape shape, PortableRandom& random) {
    switch (shape) {
        case Shape::normal: return random.standard_normal();
        case Shape::rectangular: return random.symmetric_uniform() * info(shape).divisor;
        case Shape::triangular: return random.triangular() * info(shape).divisor;
        case Shape::arcsine: return random.arcsine() * info(shape).divisor;
    }
    return random.standard_normal();
}

ReadingSampler::ReadingSampler(const CorrectionInputs& values,
                               UnitSelection selection,
                               const UncertaintyInputs& uncertainties,
                               const ModelTermHalfWidths& model_terms)
    : values_(values),
      selection_(selection),
      model_terms_(model_terms),
      absolute_zero_(absolute_zero(selected_unit(UnitKind::temperature, selection))) {
    for (const Field field : all_fields) {
        const auto i = static_cast<std::size_t>(field);
        shapes_[i] = uncertainties[field].shape;
        standard_[i] = uncertainties.standard(field);
    }
    // Uncorrelated inputs need no mixing: their deviates are used as drawn.
    if (!uncertainties.correlations.empty())
        mixing_ = cholesky_factor(correlation_matrix(uncertainties.correlations));
}

ReadingSampler::Drawn ReadingSampler::draw(PortableRandom& random) const {
    std::array<double, field_count> eps{};
    for (std::size_t i = 0; i < field_count; ++i)
        eps[i] = standardised_deviate(shapes_[i], random);
    // Mixed by L, correlated inputs have the stated correlations exactly; each
    // keeps unit variance, and normal inputs stay normal (other shapes become
    // a blend of the shapes mixed into them).
    if (mixing_)
        eps = mixed(*mixing_, eps);
    Drawn drawn{values_};
    for (const Field field : all_fields) {
        const auto i = static_cast<std::size_t>(field);
        // An exact input keeps its value bit for bit (even a -0, which + 0 would lose).
        if (standard_[i] != 0.0)
            drawn.inputs.*info(field).value = values_.*info(field).value + standard_[i] * eps[i];
    }
    drawn.vapor_curve = model_terms_.vapor_curve * random.symmetric_uniform();
    drawn.altitude_formula = model_terms_.altitude_formula * random.symmetric_uniform();
    return drawn;
}

bool ReadingSampler::accepted(const CorrectionInputs& x) const {
    // Written so that a value that is not a number is refused.
    return x.gas_pct > 0.0 && x.target_pressure > 0.0 && x.barometric_pressure > 0.0 &&
           x.temperature >= absolute_zero_ && x.relative_humidity >= 0.0 && x.relative_humidity <= 100.0;
}

double ReadingSampler::calculated_gas(const Drawn& drawn) const {
    // The model terms move the water-vapour pressure V and the pressure at the
    // altitude B_c; the Calculated Gas (B_c - V) / P_t G moves by their
    // difference times G / P_t, so the formula itself is written once.
    const double target_inhg = to_internal(drawn.inputs.target_pressure, selected_unit(UnitKind::pressure, selection_));
    return compute_correction(drawn.inputs, selection_).calculated_gas_pct +
           (drawn.altitude_formula - drawn.vapor_curve) * drawn.inputs.gas_pct / target_inhg;
}

}  // namespace kestrane
