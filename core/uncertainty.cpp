#include "uncertainty.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <vector>

#include "coverage.h"
#include "formula.h"

namespace kestrane {
namespace {

constexpr auto gas = static_cast<std::size_t>(Field::target_gas);
constexpr auto target = static_cast<std::size_t>(Field::target_pressure);
constexpr auto barometer = static_cast<std::size_t>(Field::barometric_pressure);
constexpr auto temperature = static_cast<std::size_t>(Field::temperature);
constexpr auto altitude = static_cast<std::size_t>(Field::altitude);
constexpr auto humidity = static_cast<std::size_t>(Field::relative_humidity);
constexpr auto vapor_term = field_count + static_cast<std::size_t>(ModelTerm::vapor_curve);
constexpr auto altitude_term = field_count + static_cast<std::size_t>(ModelTerm::altitude_formula);

// A reading in internal units, with the parts of the formula the results are
// built from: the water-vapour pressure V = h S(t), the corrected barometer
// CB = B r - V with r = (K - Z) / (K + Z), and CB's derivative by each input in
// its own unit.
struct Point {
    double gas_pct;
    double target_inhg;                            // p_t
    double barometer_inhg;                         // B as given
    double humidity;                               // h, as a fraction
    double saturation;                             // S(t)
    double saturation_slope;                       // S'(t), per degree F
    double corrected;                              // CB
    std::array<double, field_count> corrected_by;  // dCB/dx, field order
    double per_pressure;                           // in Hg per unit of the chosen pressure unit
    double per_temperature;                        // degrees F per unit
};

Point point_of(const CorrectionInputs& in, UnitSelection selection) {
    using namespace formula;
    const Unit& pressure = selected_unit(UnitKind::pressure, selection);
    const Unit& temperature_unit = selected_unit(UnitKind::temperature, selection);
    const Unit& distance = selected_unit(UnitKind::distance, selection);
    const double t = to_internal(in.temperature, temperature_unit);
    const double b = to_internal(in.barometric_pressure, pressure);
    const double z = centimetres_per_foot * to_internal(in.altitude, distance);
    const double k = ((t - freezing_f) * height_slope + 1.0) * height_scale;
    // dr/dK = 2 Z / (K + Z)^2 and dr/dZ = -2 K / (K + Z)^2.
    const double sum = k + z;
    const double ratio = -((z - k) / sum);
    const double ratio_by_k = 2.0 * z / (sum * sum);
    const double ratio_by_z = -2.0 * k / (sum * sum);

    Point p{};
    p.gas_pct = in.gas_pct;
    p.target_inhg = to_internal(in.target_pressure, pressure);
    p.barometer_inhg = b;
    p.humidity = in.relative_humidity / 100.0;
    p.saturation = saturation_inhg(t);
    p.saturation_slope = saturation_slope_inhg(t);
    p.corrected = ratio * b - p.humidity * p.saturation;
    p.per_pressure = internal_per_unit(pressure);
    p.per_temperature = internal_per_unit(temperature_unit);
    p.corrected_by[barometer] = ratio * p.per_pressure;
    p.corrected_by[temperature] =
        (b * ratio_by_k * (height_slope * height_scale) - p.humidity * p.saturation_slope) * p.per_temperature;
    p.corrected_by[altitude] = b * ratio_by_z * centimetres_per_foot * internal_per_unit(distance);
    p.corrected_by[humidity] = -p.saturation / 100.0;
    return p;
}

// Calculated Gas G = CB / p_t * g. CB depends on neither g nor p_t, whose
// entries of corrected_by are zero and are set here. The model terms add to
// V (so to CB with a minus) and to B r, each in the chosen pressure unit.
Sensitivities gas_pct_sensitivities(const Point& p) {
    Sensitivities s{};
    for (std::size_t i = 0; i < field_count; ++i)
        s[i] = p.corrected_by[i] / p.target_inhg * p.gas_pct;
    s[gas] = p.corrected / p.target_inhg;
    s[target] = -(p.corrected / p.target_inhg * p.gas_pct) / p.target_inhg * p.per_pressure;
    s[altitude_term] = p.gas_pct / p.target_inhg * p.per_pressure;
    s[vapor_term] = -s[altitude_term];
    return s;
}

// Calculated Gas Pressure = G / 100 * p_t in the chosen unit, which is
// CB * g / 100 / (in Hg per unit): the target pressure cancels out of it, and
// as CB does not depend on it either, its coefficient is zero exactly. A model
// term in the chosen unit moves it by g / 100 of itself, whatever the unit.
Sensitivities gas_pressure_sensitivities(const Point& p) {
    Sensitivities s{};
    for (std::size_t i = 0; i < field_count; ++i)
        s[i] = p.corrected_by[i] * p.gas_pct / 100.0 / p.per_pressure;
    s[gas] = p.corrected / 100.0 / p.per_pressure;
    s[altitude_term] = p.gas_pct / 100.0;
    s[vapor_term] = -s[altitude_term];
    return s;
}

// Vapor Pressure (%) = V / B * 100 = h S(t) / B * 100, B the barometric
// pressure as given: the height formula does not enter it.
Sensitivities vapor_pct_sensitivities(const Point& p) {
    Sensitivities s{};
    s[humidity] = p.saturation / p.barometer_inhg;
    s[temperature] = p.humidity * p.saturation_slope / p.barometer_inhg * 100.0 * p.per_temperature;
    s[barometer] = -(p.humidity * p.saturation / p.barometer_inhg * 100.0) / p.barometer_inhg * p.per_pressure;
    s[vapor_term] = 100.0 / p.barometer_inhg * p.per_pressure;
    return s;
}

// Corrected Barometer = CB, in inches of mercury whatever the unit chosen.
Sensitivities barometer_sensitivities(const Point& p) {
    Sensitivities s{};
    std::copy(p.corrected_by.begin(), p.corrected_by.end(), s.begin());
    s[altitude_term] = p.per_pressure;
    s[vapor_term] = -p.per_pressure;
    return s;
}

}  // namespace

CorrectionSensitivities sensitivity_coefficients(const CorrectionInputs& values, UnitSelection selection) {
    const Point p = point_of(values, selection);
    return {gas_pct_sensitivities(p), gas_pressure_sensitivities(p), vapor_pct_sensitivities(p),
            barometer_sensitivities(p)};
}

namespace {

// The quantities' signed contributions c u, scaled by the largest magnitude
// among them, so that contributions past the square root of the largest
// double (1e154) neither overflow nor, below the smallest's, vanish when
// squared; the shares are ratios of these fractions, and u_c the largest
// times the square root of their variance. A contribution that is itself
// not finite is not scaled and stays so.
struct ScaledContributions {
    std::array<double, budget_term_count> fraction{};
    double largest = 0.0;
    bool scaled = false;

    double unscaled(double value) const { return scaled ? largest * value : value; }
};

ScaledContributions scaled_contributions(const Sensitivities& c, const std::array<double, budget_term_count>& u) {
    ScaledContributions s;
    for (std::size_t i = 0; i < budget_term_count; ++i) {
        s.fraction[i] = c[i] * u[i];
        s.largest = std::max(s.largest, std::abs(s.fraction[i]));
    }
    s.scaled = s.largest > 0.0 && std::isfinite(s.largest);
    if (s.scaled) {
        for (double& f : s.fraction)
            f /= s.largest;
    }
    return s;
}

// The variance of the fractions, sum_i f_i^2 + sum over pairs of 2 r f_a f_b
// (GUM 5.2.2). Correlations that cancel leave a sum whose last digits are
// the rounding of its terms: a sum within that rounding of zero (or below
// it) is no variance at all, where its sign and shares would be noise.
double scaled_variance(const ScaledContributions& s, const std::vector<CorrelationPair>& pairs) {
    double sum = 0.0;
    double magnitude = 0.0;
    for (const double f : s.fraction) {
        sum += f * f;
        magnitude += f * f;
    }
    for (const CorrelationPair& pair : pairs) {
        const double term = 2.0 * pair.r * s.fraction[static_cast<std::size_t>(pair.first)] *
                            s.fraction[static_cast<std::size_t>(pair.second)];
        sum += term;
        magnitude += std::abs(term);
    }
    if (!std::isfinite(sum))
        return sum;
    return sum > 64.0 * std::numeric_limits<double>::epsilon() * magnitude ? sum : 0.0;
}

// Welch-Satterthwaite (GUM G.4.1): u_c^4 / sum (c_i u_i)^4 / nu_i over the
// inputs, in the scaled fractions; a quantity that contributes nothing, or
// whose degrees of freedom are infinite (every model term's), adds nothing.
// Truncated to an integer (G.4.1's note), at least 1; infinite when nothing
// with finite degrees of freedom contributes.
double effective_degrees_of_freedom(const ScaledContributions& s, double variance, const UncertaintyInputs& inputs) {
    double denominator = 0.0;
    for (std::size_t i = 0; i < field_count; ++i) {
        const double f = s.fraction[i];
        const double nu = inputs.inputs[i].degrees_of_freedom;
        if (f != 0.0 && std::isfinite(nu))
            denominator += f * f * f * f / nu;
    }
    if (!(denominator > 0.0))
        return infinite_degrees_of_freedom;
    return std::max(1.0, std::floor(variance * variance / denominator));
}

}  // namespace

UncertaintyBudget uncertainty_budget(const Sensitivities& sensitivities,
                                     const UncertaintyRequest& request,
                                     const ModelTermUncertainties& model_terms) {
    std::array<double, budget_term_count> u{};
    for (std::size_t i = 0; i < field_count; ++i)
        u[i] = request.inputs.inputs[i].standard();
    std::copy(model_terms.begin(), model_terms.end(), u.begin() + field_count);
    const ScaledContributions s = scaled_contributions(sensitivities, u);
    const double variance = scaled_variance(s, request.inputs.correlations);
    const auto share = [variance](double part) { return variance > 0.0 ? part / variance * 100.0 : 0.0; };

    UncertaintyBudget budget;
    for (std::size_t i = 0; i < budget_term_count; ++i) {
        BudgetLine& line = budget.lines[i];
        line.standard_uncertainty = u[i];
        line.sensitivity = sensitivities[i];
        line.contribution = std::abs(sensitivities[i] * u[i]);
        line.variance_share_pct = share(s.fraction[i] * s.fraction[i]);
    }
    for (const CorrelationPair& pair : request.inputs.correlations) {
        const double term = 2.0 * pair.r * s.fraction[static_cast<std::size_t>(pair.first)] *
                            s.fraction[static_cast<std::size_t>(pair.second)];
        budget.correlations.push_back({pair, share(term)});
    }
    UncertaintyResult& result = budget.uncertainty;
    result.standard = s.unscaled(std::sqrt(variance));
    result.effective_degrees_of_freedom = effective_degrees_of_freedom(s, variance, request.inputs);
    if (request.coverage_probability)
        result.coverage_factor =
            coverage_factor_for(*request.coverage_probability, result.effective_degrees_of_freedom);
    result.expanded = result.coverage_factor * result.standard;
    return budget;
}

CorrectionUncertainty propagate_uncertainty(const CorrectionInputs& values,
                                            UnitSelection selection,
                                            const UncertaintyRequest& request) {
    const Unit& pressure = selected_unit(UnitKind::pressure, selection);
    const ModelTermHalfWidths widths = model_term_half_widths(values, selection);
    CorrectionUncertainty uncertainty;
    ModelTermUncertainties model_u{};
    for (const ModelTermInfo& term : model_term_table) {
        const auto i = static_cast<std::size_t>(term.term);
        uncertainty.model_half_widths[i] = from_internal(widths[term.term], pressure);
        model_u[i] = uncertainty.model_half_widths[i] / info(Shape::rectangular).divisor;
    }
    const CorrectionSensitivities s = sensitivity_coefficients(values, selection);
    for (std::size_t r = 0; r < result_count; ++r)
        uncertainty.results[r] = uncertainty_budget(s[r], request, model_u);
    return uncertainty;
}

bool stated(const CorrectionUncertainty& uncertainty) {
    return std::all_of(uncertainty.results.begin(), uncertainty.results.end(),
                       [](const UncertaintyBudget& budget) { return std::isfinite(budget.uncertainty.expanded); });
}

}  // namespace kestrane
