#include "uncertainty.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>

#include "formula.h"

namespace kestrane {
namespace {

using namespace formula;
constexpr double c4 = saturation_c4;
constexpr double c3 = saturation_c3;
constexpr double c2 = saturation_c2;
constexpr double c1 = saturation_c1;
constexpr double c0 = saturation_c0;
constexpr double k_slope = height_slope;
constexpr double k_base = height_scale;
constexpr double cm_per_foot = centimetres_per_foot;

// The corrected barometer (in Hg) and its derivative by each input in its own
// unit. The results are built from it: gas = CB / p_t * g.
struct Barometer {
    double value;
    double target_inhg;                  // p_t
    std::array<double, field_count> by;  // dCB/dx, field order
};

Barometer corrected_barometer(const CorrectionInputs& in, UnitSelection selection) {
    const Unit& pressure = selected_unit(UnitKind::pressure, selection);
    const Unit& temperature = selected_unit(UnitKind::temperature, selection);
    const Unit& distance = selected_unit(UnitKind::distance, selection);
    const double t = to_internal(in.temperature, temperature);
    const double b = to_internal(in.barometric_pressure, pressure);
    const double z = cm_per_foot * to_internal(in.altitude, distance);

    const double saturation = (((c4 * t + c3) * t + c2) * t + c1) * t + c0;
    const double saturation_slope = ((4.0 * c4 * t + 3.0 * c3) * t + 2.0 * c2) * t + c1;
    const double humidity = in.relative_humidity / 100.0;
    const double k = ((t - freezing_f) * k_slope + 1.0) * k_base;
    // The pressure at altitude is B r with r = (K - Z) / (K + Z):
    // dr/dK = 2 Z / (K + Z)^2 and dr/dZ = -2 K / (K + Z)^2.
    const double sum = k + z;
    const double ratio = -((z - k) / sum);
    const double ratio_by_k = 2.0 * z / (sum * sum);
    const double ratio_by_z = -2.0 * k / (sum * sum);

    Barometer cb{};
    cb.value = ratio * b - humidity * saturation;
    cb.target_inhg = to_internal(in.target_pressure, pressure);
    cb.by[static_cast<std::size_t>(Field::barometric_pressure)] = ratio * internal_per_unit(pressure);
    cb.by[static_cast<std::size_t>(Field::temperature)] =
        (b * ratio_by_k * (k_slope * k_base) - humidity * saturation_slope) * internal_per_unit(temperature);
    cb.by[static_cast<std::size_t>(Field::altitude)] = b * ratio_by_z * cm_per_foot * internal_per_unit(distance);
    cb.by[static_cast<std::size_t>(Field::relative_humidity)] = -saturation / 100.0;
    return cb;
}

}  // namespace

CorrectionSensitivities sensitivity_coefficients(const CorrectionInputs& in, UnitSelection selection) {
    const Barometer cb = corrected_barometer(in, selection);
    const double pressure_per_unit = internal_per_unit(selected_unit(UnitKind::pressure, selection));
    const double p_t = cb.target_inhg;
    const auto gas = static_cast<std::size_t>(Field::target_gas);
    const auto target = static_cast<std::size_t>(Field::target_pressure);

    // Calculated Gas G = CB / p_t * g; CB depends on neither g nor p_t, whose
    // entries of cb.by are zero and are set here.
    CorrectionSensitivities s{};
    for (std::size_t i = 0; i < field_count; ++i)
        s.calculated_gas_pct[i] = cb.by[i] / p_t * in.gas_pct;
    s.calculated_gas_pct[gas] = cb.value / p_t;
    s.calculated_gas_pct[target] = -(cb.value / p_t * in.gas_pct) / p_t * pressure_per_unit;

    // Calculated Gas Pressure = G / 100 * p_t in the chosen unit, which is
    // CB * g / 100 / (in Hg per unit): the target pressure cancels out of it,
    // and as CB does not depend on it either, its coefficient is zero exactly.
    for (std::size_t i = 0; i < field_count; ++i)
        s.calculated_gas_pressure[i] = cb.by[i] * in.gas_pct / 100.0 / pressure_per_unit;
    s.calculated_gas_pressure[gas] = cb.value / 100.0 / pressure_per_unit;
    return s;
}

namespace {

// The squares are summed as fractions of the largest contribution, so that
// contributions past the square root of the largest double (1e200) neither
// overflow nor, below the smallest's, vanish; each share is then a ratio of
// these fractions. A contribution that is itself not finite stays so.
struct ScaledVariance {
    double largest = 0.0;
    bool scalable = false;
    double sum = 0.0;  // the sum of the squared fractions, in field order

    double fraction(double contribution) const { return scalable ? contribution / largest : contribution; }
    UncertaintyResult result() const {
        UncertaintyResult u;
        u.standard = scalable ? largest * std::sqrt(sum) : std::sqrt(sum);
        u.expanded = coverage_factor * u.standard;
        return u;
    }
};

template <typename Contributions>
ScaledVariance scaled_variance(const Contributions& contributions) {
    ScaledVariance v;
    for (const double c : contributions)
        v.largest = std::max(v.largest, c);
    v.scalable = v.largest > 0.0 && std::isfinite(v.largest);
    for (const double c : contributions)
        v.sum += v.fraction(c) * v.fraction(c);
    return v;
}

std::array<double, field_count> contributions(const Sensitivities& sensitivities,
                                              const UncertaintyInputs& uncertainties) {
    std::array<double, field_count> c{};
    for (std::size_t i = 0; i < field_count; ++i)
        c[i] = std::abs(sensitivities[i] * uncertainties.standard[i]);
    return c;
}

}  // namespace

UncertaintyBudget uncertainty_budget(const Sensitivities& sensitivities, const UncertaintyInputs& uncertainties) {
    const std::array<double, field_count> c = contributions(sensitivities, uncertainties);
    const ScaledVariance variance = scaled_variance(c);
    UncertaintyBudget budget;
    for (std::size_t i = 0; i < field_count; ++i) {
        BudgetLine& line = budget.lines[i];
        line.standard_uncertainty = uncertainties.standard[i];
        line.sensitivity = sensitivities[i];
        line.contribution = c[i];
        const double f = variance.fraction(c[i]);
        line.variance_share_pct = variance.sum > 0.0 ? f * f / variance.sum * 100.0 : 0.0;
    }
    budget.uncertainty = variance.result();
    return budget;
}

UncertaintyResult combined_uncertainty(const Sensitivities& sensitivities, const UncertaintyInputs& uncertainties) {
    return scaled_variance(contributions(sensitivities, uncertainties)).result();
}

CorrectionUncertainty propagate_uncertainty(const CorrectionInputs& values,
                                            UnitSelection selection,
                                            const UncertaintyInputs& uncertainties) {
    const CorrectionSensitivities s = sensitivity_coefficients(values, selection);
    return {uncertainty_budget(s.calculated_gas_pct, uncertainties),
            uncertainty_budget(s.calculated_gas_pressure, uncertainties)};
}

bool stated(const CorrectionUncertainty& uncertainty) {
    return std::isfinite(uncertainty.calculated_gas_pct.uncertainty.expanded) &&
           std::isfinite(uncertainty.calculated_gas_pressure.uncertainty.expanded);
}

}  // namespace kestrane
