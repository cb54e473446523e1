#include "uncertainty.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>

#include "number_text.h"

namespace kestrane {
namespace {

// The coefficients of compute_correction's saturation curve, S(t) = c4 t^4 +
// c3 t^3 + c2 t^2 + c1 t + c0 in inches of mercury at t degrees F, and of its
// height formula: K = ((t - 32) * k_slope + 1) * k_base centimetres, Z =
// cm_per_foot * altitude. They are correction_run.cpp's own numbers; the
// coefficients' test against central differences of compute_correction fails
// the moment the two part.
constexpr double c4 = 1.54854e-8;
constexpr double c3 = -9.76951e-7;
constexpr double c2 = 0.000126819;
constexpr double c1 = 0.000385377;
constexpr double c0 = 0.0538397;
constexpr double k_slope = 0.0022222;
constexpr double k_base = 1600000.0;
constexpr double cm_per_foot = 30.48;

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
    const double k = ((t - 32.0) * k_slope + 1.0) * k_base;
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

UncertaintyBudget uncertainty_budget(const Sensitivities& sensitivities, const UncertaintyInputs& uncertainties) {
    UncertaintyBudget budget;
    double variance = 0.0;
    for (std::size_t i = 0; i < field_count; ++i) {
        BudgetLine& line = budget.lines[i];
        line.standard_uncertainty = uncertainties.standard[i];
        line.sensitivity = sensitivities[i];
        line.contribution = std::abs(line.sensitivity * line.standard_uncertainty);
        variance += line.contribution * line.contribution;
    }
    for (BudgetLine& line : budget.lines)
        line.variance_share_pct = variance > 0.0 ? line.contribution * line.contribution / variance * 100.0 : 0.0;
    budget.uncertainty.standard = std::sqrt(variance);
    budget.uncertainty.expanded = coverage_factor * budget.uncertainty.standard;
    return budget;
}

CorrectionUncertainty propagate_uncertainty(const CorrectionInputs& values,
                                            UnitSelection selection,
                                            const UncertaintyInputs& uncertainties) {
    const CorrectionSensitivities s = sensitivity_coefficients(values, selection);
    return {uncertainty_budget(s.calculated_gas_pct, uncertainties),
            uncertainty_budget(s.calculated_gas_pressure, uncertainties)};
}

namespace {

// A decimal number as its digits and the number of them before the point:
// "0.0612" is {"00612", 1}.
struct Digits {
    std::string digits;
    std::size_t integer_count;
};

// The exact decimal expansion of a finite non-negative double: no double has
// more than 1074 digits after the point, so this precision rounds nothing.
Digits exact_digits(double magnitude) {
    FixedFormat exact;
    exact.precision = 1074;
    std::string text = format_value(magnitude, exact);
    const std::size_t point = text.find('.');
    text.erase(point, 1);
    return {text, point};
}

// Increments a string of decimal digits by one in its last place; true when
// the carry runs out of its first digit (every digit was a 9).
bool increment(std::string& digits) {
    for (std::size_t i = digits.size(); i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return false;
        }
        digits[i] = '0';
    }
    return true;
}

// The two significant digits of d, rounded up when any digit after them is not zero.
Digits two_digits_up(Digits d) {
    const std::size_t first = d.digits.find_first_not_of('0');
    const std::size_t end = first + 2;
    const bool inexact = d.digits.find_first_not_of('0', end) != std::string::npos;
    d.digits.resize(end);
    if (inexact && increment(d.digits)) {
        d.digits.insert(0, 1, '1');
        ++d.integer_count;
    }
    // A carry into the place before the first digit (0.0995 to 0.100) leaves a
    // third significant digit, a zero: two are kept.
    d.digits.resize(d.digits.find_first_not_of('0') + 2);
    return d;
}

// The text of d: no leading zeros before the units, zeros up to the point.
std::string text_of(Digits d) {
    if (d.digits.size() < d.integer_count)
        d.digits.append(d.integer_count - d.digits.size(), '0');
    std::string text = d.digits.substr(0, d.integer_count);
    text.erase(0, std::min(text.find_first_not_of('0'), text.size() - 1));
    if (d.digits.size() > d.integer_count)
        text.append(".").append(d.digits, d.integer_count);
    return text;
}

}  // namespace

CertificateText certificate_text(double expanded_uncertainty) {
    if (!std::isfinite(expanded_uncertainty))
        return {format_value(expanded_uncertainty, "%f"), 0};
    const Digits exact = exact_digits(std::abs(expanded_uncertainty));
    if (exact.digits.find_first_not_of('0') == std::string::npos)
        return {"0", 0};
    const Digits rounded = two_digits_up(exact);
    const std::string sign = expanded_uncertainty < 0.0 ? "-" : "";
    const std::size_t decimals =
        rounded.digits.size() > rounded.integer_count ? rounded.digits.size() - rounded.integer_count : 0;
    return {sign + text_of(rounded), static_cast<int>(decimals)};
}

}  // namespace kestrane
