#include "model_terms.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <vector>

#include "formula.h"

namespace kestrane {
namespace {

// ---------------------------------------------------------------- the saturation line

// IAPWS's saturation line of water (Wagner and Pruss, the IAPWS revised
// supplementary release on saturation properties of ordinary water, 1992):
// ln(p / pc) = (Tc / T)(a1 tau + a2 tau^1.5 + a3 tau^3 + a4 tau^3.5 + a5 tau^4 + a6 tau^7.5),
// tau = 1 - T / Tc, from the triple point 273.16 K to the critical point.
constexpr double critical_k = 647.096;
constexpr double critical_pa = 22.064e6;
constexpr std::array<double, 6> wagner_pruss = {-7.85951783, 1.84408259,  -11.7866497,
                                                22.6807411,  -15.9618719, 1.80122502};

// Below the triple point the correction's curve is a vapour pressure over
// supercooled water, not over ice, so the liquid line is the reference there
// too; it is smooth down to about -100 C, below which the temperature is held
// (a colder reading's reference is the line's value there: tiny against the
// polynomial, whose own value is then the difference).
constexpr double coldest_k = 173.15;

// 1 in Hg (at 0 C) in pascals.
constexpr double pascals_per_inch_of_mercury = 3386.389;

// The international foot, exactly: the standard atmosphere is stated in
// metres, and the unit table's 3.2808 feet per metre is its own rounding.
constexpr double metres_per_foot = 0.3048;

constexpr double celsius_of(double t_f) {
    return (t_f - 32.0) / 1.8;
}

}  // namespace

double saturation_pressure_pa(double t_kelvin) {
    // Above the critical point there is no liquid: the line ends at pc.
    const double t = std::clamp(t_kelvin, coldest_k, critical_k);
    const double tau = 1.0 - t / critical_k;
    const double root = std::sqrt(tau);
    const auto& a = wagner_pruss;
    const double tau3 = tau * tau * tau;
    const double sum = a[0] * tau + a[1] * tau * root + a[2] * tau3 + a[3] * tau3 * root + a[4] * tau3 * tau +
                       a[5] * tau3 * tau3 * tau * root;
    return critical_pa * std::exp(critical_k / t * sum);
}

// The CIPM-2007 equation for the density of moist air (Picard et al.,
// Metrologia 45, 2008): f = 1.00062 + 3.14e-8 p + 5.6e-7 t^2, p in pascals, t in degrees C.
double enhancement_factor(double p_pa, double t_celsius) {
    return 1.00062 + 3.14e-8 * p_pa + 5.6e-7 * t_celsius * t_celsius;
}

// The ICAO standard atmosphere (Doc 7488): in the troposphere, to 11 km
// geopotential, p / p0 = (1 - L h / T0)^(g0 M / (R L)) with L = 0.0065 K/m and
// T0 = 288.15 K; above it the isothermal layer at 216.65 K, where the
// pressure falls by e every R T / (g0 M) = 6341.62 m. The exponential is kept
// beyond that layer's top (20 km) too: the ratio stays positive and finite,
// and the correction's own ratio is far from it there anyway.
double standard_atmosphere_ratio(double h_metres) {
    constexpr double tropopause_m = 11000.0;
    constexpr double exponent = 5.25588;
    const auto troposphere = [](double h) { return std::pow(1.0 - 0.0065 * h / 288.15, exponent); };
    if (h_metres <= tropopause_m)
        return troposphere(h_metres);
    return troposphere(tropopause_m) * std::exp(-(h_metres - tropopause_m) / 6341.62);
}

namespace {

// ---------------------------------------------------------------- the vapour curve's difference

// f p_sat - S at a temperature, in inches of mercury, split as dry + per_pa p
// so that one table serves every pressure: f is linear in p.
struct CurvePoint {
    double dry;
    double per_pa;
};

CurvePoint curve_point(double t_f) {
    const double t_c = celsius_of(t_f);
    const double p_sat = saturation_pressure_pa(t_c + 273.15) / pascals_per_inch_of_mercury;
    return {enhancement_factor(0.0, t_c) * p_sat - formula::saturation_inhg(t_f), 3.14e-8 * p_sat};
}

// The grid the largest difference is searched on: every half degree
// Fahrenheit from the coldest held temperature (-148 F) to 705 F, with the
// reading's own temperature and, above it, the critical point (705.1 F)
// added. Past the grid's ends the difference is monotonic (S grows as t^4,
// the reference far more slowly), so those added points bound it there.
// Against a grid of 0.01 F the largest difference found agrees to 1e-12.
constexpr double grid_first_f = -148.0;
constexpr double grid_step_f = 0.5;
constexpr std::size_t grid_points = 1707;  // to 705 F
constexpr double critical_f = (critical_k - 273.15) * 1.8 + 32.0;

const std::array<CurvePoint, grid_points>& curve_grid() {
    static const std::array<CurvePoint, grid_points> grid = [] {
        std::array<CurvePoint, grid_points> points{};
        for (std::size_t i = 0; i < grid_points; ++i)
            points[i] = curve_point(grid_first_f + grid_step_f * static_cast<double>(i));
        return points;
    }();
    return grid;
}

// The grid's index nearest t_f on the side towards the grid's inside.
std::size_t grid_index(double t_f, bool round_up) {
    const double at = (t_f - grid_first_f) / grid_step_f;
    const double index = std::clamp(round_up ? std::ceil(at) : std::floor(at), 0.0, grid_points - 1.0);
    return static_cast<std::size_t>(index);
}

double value_at(const CurvePoint& line, double p_pa) {
    return line.dry + line.per_pa * p_pa;
}

// Whether the middle of three lines, slopes increasing, lies nowhere above both others.
bool hidden(const CurvePoint& a, const CurvePoint& middle, const CurvePoint& b) {
    return (middle.dry - a.dry) * (b.per_pa - a.per_pa) <= (middle.per_pa - a.per_pa) * (b.dry - a.dry);
}

// Over the fitted range |f(p) p_sat - S| is the largest of the lines
// p -> +-(dry + per_pa p) of its grid points: only the few that make up their
// upper envelope for p >= 0 can be it, so a reading in the fitted range, as
// nearly every log's row is, looks at those alone.
std::vector<CurvePoint> fitted_envelope() {
    const std::array<CurvePoint, grid_points>& grid = curve_grid();
    std::vector<CurvePoint> lines;
    for (std::size_t i = grid_index(formula::fit_low_f, true); i <= grid_index(formula::fit_high_f, false); ++i) {
        lines.push_back(grid[i]);
        lines.push_back({-grid[i].dry, -grid[i].per_pa});
    }
    std::sort(lines.begin(), lines.end(), [](const CurvePoint& x, const CurvePoint& y) {
        return x.per_pa < y.per_pa || (x.per_pa == y.per_pa && x.dry < y.dry);
    });
    std::vector<CurvePoint> hull;
    for (const CurvePoint& line : lines) {
        if (!hull.empty() && hull.back().per_pa == line.per_pa)
            hull.pop_back();  // the same slope, lower: never the largest
        while (hull.size() >= 2 && hidden(hull[hull.size() - 2], hull.back(), line))
            hull.pop_back();
        hull.push_back(line);
    }
    // A line that the next, steeper one already matches at p = 0 is never the largest for p >= 0.
    std::size_t first = 0;
    while (first + 1 < hull.size() && hull[first + 1].dry >= hull[first].dry)
        ++first;
    return {hull.begin() + static_cast<std::ptrdiff_t>(first), hull.end()};
}

// The largest |f(p) p_sat - S| over the fitted temperatures and on to t_f.
double largest_curve_difference(double t_f, double p_pa) {
    static const std::vector<CurvePoint> envelope = fitted_envelope();
    double largest = std::abs(value_at(curve_point(t_f), p_pa));
    if (t_f > critical_f)
        largest = std::max(largest, std::abs(value_at(curve_point(critical_f), p_pa)));
    for (const CurvePoint& line : envelope)
        largest = std::max(largest, value_at(line, p_pa));
    // On to a reading outside the fitted range: the grid points between.
    const std::array<CurvePoint, grid_points>& grid = curve_grid();
    const std::size_t from = grid_index(t_f, true);
    const std::size_t to = grid_index(t_f, false);
    for (std::size_t i = from; i < grid_index(formula::fit_low_f, true); ++i)
        largest = std::max(largest, std::abs(value_at(grid[i], p_pa)));
    for (std::size_t i = grid_index(formula::fit_high_f, false) + 1; i <= to; ++i)
        largest = std::max(largest, std::abs(value_at(grid[i], p_pa)));
    return largest;
}

}  // namespace

ModelTermHalfWidths model_term_half_widths(const CorrectionInputs& values, UnitSelection selection) {
    const Unit& pressure = selected_unit(UnitKind::pressure, selection);
    const double t_f = to_internal(values.temperature, selected_unit(UnitKind::temperature, selection));
    const double b = to_internal(values.barometric_pressure, pressure);
    const double feet = to_internal(values.altitude, selected_unit(UnitKind::distance, selection));

    using namespace formula;
    const double k = ((t_f - freezing_f) * height_slope + 1.0) * height_scale;
    const double z = centimetres_per_foot * feet;
    const double ratio = z == 0.0 ? 1.0 : -((z - k) / (z + k));
    // The station pressure the vapour is mixed into; none (0) where the
    // height formula gives no positive pressure.
    const double station_pa = ratio * b * pascals_per_inch_of_mercury;

    ModelTermHalfWidths widths;
    widths.vapor_curve =
        values.relative_humidity / 100.0 * largest_curve_difference(t_f, station_pa > 0.0 ? station_pa : 0.0);
    widths.altitude_formula = z == 0.0 ? 0.0 : b * std::abs(standard_atmosphere_ratio(feet * metres_per_foot) - ratio);
    return widths;
}

}  // namespace kestrane
