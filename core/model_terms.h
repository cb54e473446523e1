// The correction's own error as two quantities of an uncertainty budget: its
// vapour curve against the saturation line of water (IAPWS-95, with the
// enhancement factor of water vapour in air), and its height formula against
// the standard atmosphere. Each is a rectangular distribution around zero,
// added to the water-vapour pressure and to the altitude-corrected pressure
// respectively, whose half-width bounds the formula's difference from its
// reference at the reading.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "fields.h"
#include "units.h"

namespace kestrane {

enum class ModelTerm { vapor_curve, altitude_formula };
inline constexpr std::size_t model_term_count = 2;

struct ModelTermInfo {
    ModelTerm term;
    std::string_view label;  // a budget's line
    std::string_view key;    // JSON's name
};

inline constexpr std::array<ModelTermInfo, model_term_count> model_term_table = {{
    {ModelTerm::vapor_curve, "Vapor pressure curve", "vapor_pressure_curve"},
    {ModelTerm::altitude_formula, "Altitude formula", "altitude_formula"},
}};

inline const ModelTermInfo& info(ModelTerm term) { return model_term_table[static_cast<std::size_t>(term)]; }

// The half-widths of the two terms at a reading, in inches of mercury.
struct ModelTermHalfWidths {
    // Relative humidity / 100 times the largest |f p_sat - S| of the curve over
    // the temperatures it was fitted for (0 to 50 C) and, for a reading outside
    // them, over those up to the reading's: it never shrinks where the curve
    // happens to cross the reference.
    double vapor_curve = 0.0;
    // B |r_standard(h) - (K - Z) / (K + Z)|: the barometric pressure as given
    // times the difference of the two pressure ratios at the altitude; zero at
    // altitude 0.
    double altitude_formula = 0.0;

    double operator[](ModelTerm term) const { return term == ModelTerm::vapor_curve ? vapor_curve : altitude_formula; }
};

// The half-widths at values in the units of selection (values that passed the field checks).
ModelTermHalfWidths model_term_half_widths(const CorrectionInputs& values, UnitSelection selection);

// The saturation vapour pressure of water over liquid water at t_kelvin, in
// pascals (IAPWS's equation for the saturation line, consistent with IAPWS-95):
// supercooled below the triple point, the temperature held at -100 C below
// that and at the critical point above it.
double saturation_pressure_pa(double t_kelvin);

// The enhancement factor of water vapour in moist air at p_pa and t_celsius.
double enhancement_factor(double p_pa, double t_celsius);

// The standard atmosphere's ratio of the pressure at h_metres (geopotential)
// to that at sea level: its troposphere to 11 km, its isothermal layer above.
double standard_atmosphere_ratio(double h_metres);

}  // namespace kestrane
