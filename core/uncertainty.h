// The uncertainty of a correction's results by the GUM's law of propagation
// (JCGM 100:2008) for uncorrelated inputs, and the text a calibration
// certificate gives an expanded uncertainty in.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "fields.h"
#include "units.h"

namespace kestrane {

// The coverage factor of an expanded uncertainty: about 95 % coverage for a
// result whose distribution is close to normal.
inline constexpr double coverage_factor = 2.0;

// The standard uncertainty of each of the six inputs, in field order, each in
// the field's own unit under the selection the values are in (a per cent for
// the gas and the humidity). Zero, the default, takes a value as exact.
struct UncertaintyInputs {
    std::array<double, field_count> standard{};

    double& operator[](Field field) { return standard[static_cast<std::size_t>(field)]; }
    double operator[](Field field) const { return standard[static_cast<std::size_t>(field)]; }
};

// The sensitivity coefficients of one result: its partial derivative by each
// input, in field order, in the result's unit per the field's unit.
using Sensitivities = std::array<double, field_count>;

// The two results an uncertainty is stated for.
struct CorrectionSensitivities {
    Sensitivities calculated_gas_pct;       // % Vol per field unit
    Sensitivities calculated_gas_pressure;  // the chosen pressure unit per field unit
};

// One input's line in a budget.
struct BudgetLine {
    double standard_uncertainty = 0.0;  // u(x), in the field's unit
    double sensitivity = 0.0;           // c = df/dx
    double contribution = 0.0;          // |c u(x)|, in the result's unit
    double variance_share_pct = 0.0;    // c^2 u(x)^2 / u_c^2 * 100; 0 when u_c is 0
};

struct UncertaintyResult {
    double standard = 0.0;  // the combined standard uncertainty u_c
    double expanded = 0.0;  // U = coverage_factor * u_c
};

// The budget of one result: a line per input, in field order, and the result's uncertainty.
struct UncertaintyBudget {
    std::array<BudgetLine, field_count> lines{};
    UncertaintyResult uncertainty;
};

struct CorrectionUncertainty {
    UncertaintyBudget calculated_gas_pct;
    UncertaintyBudget calculated_gas_pressure;
};

// The sensitivity coefficients of Calculated Gas (% Vol) and Calculated Gas
// Pressure at values in the units of selection (the whole unit tables): the
// exact derivatives of compute_correction's formula, through the unit
// conversions, the saturation curve and the height formula. Only for values
// that passed the field checks (refused_field gives nothing): a reading the
// core refuses has no results, so no uncertainty either. At the height
// formula's pole the coefficients are not finite, as the results are not.
CorrectionSensitivities sensitivity_coefficients(const CorrectionInputs& values, UnitSelection selection);

// The budget of one result from its sensitivities and the inputs' standard
// uncertainties: u_c = sqrt(sum (c_i u_i)^2), summed in field order.
UncertaintyBudget uncertainty_budget(const Sensitivities& sensitivities, const UncertaintyInputs& uncertainties);

// The same result's uncertainty alone, with no budget lines: what a log
// writes on each row.
UncertaintyResult combined_uncertainty(const Sensitivities& sensitivities, const UncertaintyInputs& uncertainties);

// The budgets of both results of a reading. As sensitivity_coefficients, only
// for values that passed the field checks; the uncertainties must be
// non-negative and finite (the caller checks them as it checks the values).
CorrectionUncertainty propagate_uncertainty(const CorrectionInputs& values,
                                            UnitSelection selection,
                                            const UncertaintyInputs& uncertainties);

// Whether both expanded uncertainties are numbers: inputs' uncertainties near
// the largest double can give a result's uncertainty past it, which no text
// can state; such a reading is refused with uncertainty_too_large_message.
bool stated(const CorrectionUncertainty& uncertainty);
inline constexpr std::string_view uncertainty_too_large_message =
    "Error: the uncertainty of the results is too large to state: check the standard uncertainties";


}  // namespace kestrane
