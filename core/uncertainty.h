// The uncertainty of a correction's four results by the GUM's law of
// propagation (JCGM 100:2008, 5.1 and, for correlated inputs, 5.2), with the
// correction's own model terms as quantities of the budget, the effective
// degrees of freedom (Welch-Satterthwaite, G.4) and the coverage factor that
// goes with them.
#pragma once

#include <array>
#include <cstddef>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

#include "fields.h"
#include "correlation.h"
#include "model_terms.h"
#include "results.h"
#include "units.h"

namespace kestrane {

// The coverage factor stated when no coverage probability is asked for: about
// 95 % coverage for a result whose distribution is close to normal.
inline constexpr double coverage_factor = 2.0;

// The shape of an input's distribution. A normal input is given by its
// standard uncertainty; the others by their half-width a, whose standard
// uncertainty is a divided by the shape's divisor.
enum class Shape { normal, rectangular, triangular, arcsine };
inline constexpr std::size_t shape_count = 4;

struct ShapeInfo {
    Shape shape;
    std::string_view name;  // as an option's text writes it after the value: "0.05:rectangular"
    double divisor;         // u = a / divisor
};

inline constexpr std::array<ShapeInfo, shape_count> shape_table = {{
    {Shape::normal, "normal", 1.0},
    {Shape::rectangular, "rectangular", 1.7320508075688772},  // sqrt(3)
    {Shape::triangular, "triangular", 2.449489742783178},     // sqrt(6)
    {Shape::arcsine, "arcsine", 1.4142135623730951},          // sqrt(2)
}};

inline const ShapeInfo& info(Shape shape) { return shape_table[static_cast<std::size_t>(shape)]; }

// Degrees of freedom of an input known exactly enough to have none to state.
inline constexpr double infinite_degrees_of_freedom = std::numeric_limits<double>::infinity();

// One input's uncertainty: its value as given (a standard uncertainty for a
// normal input, a half-width for the other shapes), in the field's own unit
// under the selection the values are in (a per cent for the gas and the
// humidity), its shape and its degrees of freedom. Zero, the default, takes
// the value as exact.
struct InputUncertainty {
    double value = 0.0;
    Shape shape = Shape::normal;
    double degrees_of_freedom = infinite_degrees_of_freedom;

    double standard() const { return value / info(shape).divisor; }
};

// The uncertainties of the six inputs, in field order, and the correlations
// between them (none: uncorrelated, as each pair not named is).
struct UncertaintyInputs {
    std::array<InputUncertainty, field_count> inputs{};
    std::vector<CorrelationPair> correlations;  // checked by impossible_correlation (correlation.h)

    InputUncertainty& operator[](Field field) { return inputs[static_cast<std::size_t>(field)]; }
    const InputUncertainty& operator[](Field field) const { return inputs[static_cast<std::size_t>(field)]; }
    double standard(Field field) const { return (*this)[field].standard(); }
};


// The quantities of a budget: the six inputs in field order, then the
// correction's two model terms in ModelTerm order.
inline constexpr std::size_t budget_term_count = field_count + model_term_count;

// The sensitivity coefficients of one result: its partial derivative by each
// quantity, in the result's unit per the quantity's unit (a model term's unit
// is the pressure unit chosen).
using Sensitivities = std::array<double, budget_term_count>;

// The four results' sensitivities, in Result order.
using CorrectionSensitivities = std::array<Sensitivities, result_count>;

// The sensitivity coefficients of the four results at values in the units of
// selection: the exact derivatives of compute_correction's formula, through
// the unit conversions, the saturation curve and the height formula. Only for
// values that passed the field checks. At the height formula's pole the
// coefficients are not finite, as the results are not.
CorrectionSensitivities sensitivity_coefficients(const CorrectionInputs& values, UnitSelection selection);

// One quantity's line in a budget.
struct BudgetLine {
    double standard_uncertainty = 0.0;  // u(x), in the quantity's unit
    double sensitivity = 0.0;           // c = df/dx
    double contribution = 0.0;          // |c u(x)|, in the result's unit
    double variance_share_pct = 0.0;    // c^2 u(x)^2 / u_c^2 * 100; 0 when u_c is 0
};

// A correlated pair's term of the combined variance: 2 c_i c_j u_i u_j r, as a
// share of it (negative when it takes variance away), so that the lines' and
// the pairs' shares add up to 100 %.
struct CorrelationLine {
    CorrelationPair pair;
    double variance_share_pct = 0.0;
};

struct UncertaintyResult {
    double standard = 0.0;  // the combined standard uncertainty u_c
    double expanded = 0.0;  // U = k u_c
    double coverage_factor = kestrane::coverage_factor;
    // Welch-Satterthwaite's effective degrees of freedom, truncated to an
    // integer (at least 1); infinite when every contributing input's are.
    double effective_degrees_of_freedom = infinite_degrees_of_freedom;
};

// The budget of one result: a line per quantity (inputs, then model terms), a
// line per correlated pair, and the result's uncertainty.
struct UncertaintyBudget {
    std::array<BudgetLine, budget_term_count> lines{};
    std::vector<CorrelationLine> correlations;
    UncertaintyResult uncertainty;
};

// The budgets of the four results, in Result order, and the half-widths a
// of the two model terms the budgets hold, in the chosen pressure unit (each
// term's standard uncertainty is a / sqrt 3).
struct CorrectionUncertainty {
    std::array<UncertaintyBudget, result_count> results{};
    std::array<double, model_term_count> model_half_widths{};

    const UncertaintyBudget& operator[](Result result) const { return results[static_cast<std::size_t>(result)]; }
    UncertaintyBudget& operator[](Result result) { return results[static_cast<std::size_t>(result)]; }
};

// What a reading's uncertainty is asked with: the inputs' uncertainties and,
// when one is given, the coverage probability whose coverage factor comes from
// Student's t at the effective degrees of freedom (coverage.h); without one,
// k is coverage_factor.
struct UncertaintyRequest {
    UncertaintyInputs inputs;
    std::optional<double> coverage_probability;
};

// The standard uncertainties of the two model terms, in ModelTerm order, in
// the unit their sensitivities are per.
using ModelTermUncertainties = std::array<double, model_term_count>;

// One result's budget from its sensitivity coefficients: the inputs'
// uncertainties, degrees of freedom and correlations from the request, then
// the model terms', whose degrees of freedom are infinite. With the request's
// coverage probability k is coverage_factor_for(p, nu_eff), else coverage_factor.
UncertaintyBudget uncertainty_budget(const Sensitivities& sensitivities,
                                     const UncertaintyRequest& request,
                                     const ModelTermUncertainties& model_terms);

// The budgets of the four results of a reading. As sensitivity_coefficients,
// only for values that passed the field checks; the uncertainties must be
// non-negative and finite and the correlations possible (the caller checks
// them as it checks the values). The model terms are those of model_terms.h
// at the values.
CorrectionUncertainty propagate_uncertainty(const CorrectionInputs& values,
                                            UnitSelection selection,
                                            const UncertaintyRequest& request);

// Whether every expanded uncertainty is a number: inputs' uncertainties near
// the largest double can give a result's uncertainty past it, which no text
// can state; such a reading is refused with uncertainty_too_large_message.
bool stated(const CorrectionUncertainty& uncertainty);
inline constexpr std::string_view uncertainty_too_large_message =
    "Error: the uncertainty of the results is too large to state: check the standard uncertainties";

}  // namespace kestrane
