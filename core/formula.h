// The numbers of the correction's formula: the saturation curve of water
// vapour and the barometric height formula. The run computes with them and
// the uncertainty of its results differentiates them, so they are written once.
#pragma once

namespace kestrane::formula {

// Saturation vapour pressure in inches of mercury at t degrees Fahrenheit:
// S = (((c4 t + c3) t + c2) t + c1) t + c0.
inline constexpr double saturation_c4 = 1.54854e-8;
inline constexpr double saturation_c3 = -9.76951e-7;
inline constexpr double saturation_c2 = 0.000126819;
inline constexpr double saturation_c1 = 0.000385377;
inline constexpr double saturation_c0 = 0.0538397;

// S at t degrees Fahrenheit, in inches of mercury, in the order the run computes it.
constexpr double saturation_inhg(double t) {
    return (((saturation_c4 * t + saturation_c3) * t + saturation_c2) * t + saturation_c1) * t + saturation_c0;
}

// dS/dt, in inches of mercury per degree Fahrenheit.
constexpr double saturation_slope_inhg(double t) {
    return ((4.0 * saturation_c4 * t + 3.0 * saturation_c3) * t + 2.0 * saturation_c2) * t + saturation_c1;
}

// The temperatures, in degrees Fahrenheit (0 to 50 degrees C), that the curve was fitted to.
inline constexpr double fit_low_f = 32.0;
inline constexpr double fit_high_f = 122.0;

// The height constant in centimetres: K = ((t - 32) * height_slope + 1) * height_scale.
inline constexpr double freezing_f = 32.0;
inline constexpr double height_slope = 0.0022222;
inline constexpr double height_scale = 1600000.0;
// The altitude in centimetres: Z = centimetres_per_foot * feet.
inline constexpr double centimetres_per_foot = 30.48;

}  // namespace kestrane::formula
