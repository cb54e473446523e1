#include "correction_run.h"

#include <optional>

#include "formula.h"

namespace kestrane {
namespace {

// Whether a scanned value passes its field's check. The bounds are compared in
// the user's unit, before any conversion; temperature has no range.
bool accepted(Field field, double v) {
    switch (field) {
        case Field::target_gas: return v >= 0.0 && v <= 100.0;
        case Field::target_pressure:
        case Field::barometric_pressure: return v > 0.0;
        case Field::temperature: return true;
        case Field::altitude: return v >= -0.001;
        case Field::relative_humidity: return v >= -0.0001 && v <= 100.0;
    }
    return false;
}

// The ambient conditions of a reading in internal units, from which both the
// results and the warnings follow.
struct Conditions {
    double target_inhg;
    double barometer_inhg;
    double vapor_inhg;        // water vapour pressure
    double at_altitude_inhg;  // barometric pressure brought down to the altitude
};

Conditions conditions(const CorrectionInputs& in, UnitSelection selection) {
    const Unit& pressure = selected_unit(UnitKind::pressure, selection);
    Conditions c{};
    const double t = to_internal(in.temperature, selected_unit(UnitKind::temperature, selection));
    c.target_inhg = to_internal(in.target_pressure, pressure);
    c.barometer_inhg = to_internal(in.barometric_pressure, pressure);
    const double altitude = to_internal(in.altitude, selected_unit(UnitKind::distance, selection));

    using namespace formula;
    // Saturation vapour pressure in inches of mercury (Horner's scheme), and its humidity share.
    const double saturation =
        (((saturation_c4 * t + saturation_c3) * t + saturation_c2) * t + saturation_c1) * t + saturation_c0;
    c.vapor_inhg = (in.relative_humidity / 100.0) * saturation;
    // Barometric height formula with a temperature-dependent height constant, in centimetres.
    const double k = ((t - freezing_f) * height_slope + 1.0) * height_scale;
    const double z = centimetres_per_foot * altitude;
    c.at_altitude_inhg = -((z - k) / (z + k)) * c.barometer_inhg;
    return c;
}

CorrectionResults results_of(const CorrectionInputs& in, UnitSelection selection, const Conditions& c) {
    CorrectionResults out;
    out.vapor_pressure_pct = c.vapor_inhg / c.barometer_inhg * 100.0;  // share of the pressure as entered
    out.corrected_barometer = c.at_altitude_inhg - c.vapor_inhg;
    out.calculated_gas_pct = out.corrected_barometer / c.target_inhg * in.gas_pct;
    out.calculated_gas_pressure = from_internal(out.calculated_gas_pct / 100.0 * c.target_inhg,
                                                selected_unit(UnitKind::pressure, selection));
    return out;
}

// Whether a temperature in its unit lies outside the fitted range by more than
// the rounding of a field's value: each bound is brought into the unit and
// rounded to single precision as the field's number was, so that 273.15 K,
// which is 0 degrees C as typed, is not taken for a little below it.
bool outside_fit(double value, const Unit& unit) {
    const auto low = static_cast<double>(static_cast<float>(from_internal(formula::fit_low_f, unit)));
    const auto high = static_cast<double>(static_cast<float>(from_internal(formula::fit_high_f, unit)));
    return value < low || value > high;
}

// Whether a barometric pressure is one that some weather gives.
bool plausible_barometer(double inhg) {
    const double hpa = inhg * hpa_per_in_hg;
    return hpa >= plausible_barometer_low_hpa && hpa <= plausible_barometer_high_hpa;
}

// The pressure units besides the chosen one in which the number given would
// be a barometric pressure some weather gives, as bits by table index.
std::uint32_t plausible_units(double value, int chosen) {
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < pressure_units.size(); ++i) {
        if (static_cast<int>(i) != chosen && plausible_barometer(to_internal(value, pressure_units[i])))
            bits |= std::uint32_t{1} << i;
    }
    return bits;
}

CorrectionWarnings warnings_of(const CorrectionInputs& in,
                               UnitSelection selection,
                               const Conditions& c,
                               const CorrectionResults& r) {
    CorrectionWarnings w;
    // Written as "not below" so that a pressure that is not a number (the height
    // formula's pole) counts as no dry gas too.
    w.no_dry_gas = !(c.vapor_inhg < c.at_altitude_inhg);
    w.temperature_outside_fit = outside_fit(in.temperature, selected_unit(UnitKind::temperature, selection));
    w.gas_outside_range = r.calculated_gas_pct > 100.0 || r.calculated_gas_pct < 0.0;
    const auto chosen = static_cast<int>(&selected_unit(UnitKind::pressure, selection) - pressure_units.data());
    w.target_pressure_implausible =
        !plausible_barometer(to_internal(in.target_pressure, pressure_units[static_cast<std::size_t>(chosen)]));
    if (w.target_pressure_implausible)
        w.plausible_target_pressure_units = plausible_units(in.target_pressure, chosen);
    w.barometer_implausible = !plausible_barometer(c.barometer_inhg);
    if (w.barometer_implausible)
        w.plausible_pressure_units = plausible_units(in.barometric_pressure, chosen);
    return w;
}

}  // namespace

CorrectionResults compute_correction(CorrectionInputs in, UnitSelection selection) {
    return results_of(in, selection, conditions(in, selection));
}

CorrectionResults compute_correction(CorrectionInputs in, UnitSelection selection, CorrectionWarnings& warnings) {
    const Conditions c = conditions(in, selection);
    const CorrectionResults results = results_of(in, selection, c);
    warnings = warnings_of(in, selection, c, results);
    return results;
}

ResultTexts format_results(const CorrectionResults& r) {
    ResultTexts texts;
    for (const ResultInfo& result : result_table)
        append_formatted(texts.*result.text, r.*result.value, result.format);
    return texts;
}

std::optional<Field> refused_field(const CorrectionInputs& values) {
    for (const Field field : all_fields) {
        if (!accepted(field, values.*info(field).value))
            return field;
    }
    return std::nullopt;
}

std::variant<CorrectionInputs, Field> read_fields(const FieldTexts& texts) {
    ScanLengths lengths{};
    return read_fields(texts, lengths);
}

std::variant<CorrectionInputs, Field> read_fields(const FieldTexts& texts, ScanLengths& lengths) {
    std::array<double, field_count> values{};
    // Unrolled, so that each field's check is known where its value is read.
#pragma GCC unroll 6
    for (std::size_t i = 0; i < field_count; ++i) {
        const std::optional<double> value = scan_field(texts[i], lengths[i]);
        if (!value || !accepted(all_fields[i], *value))
            return all_fields[i];
        values[i] = *value;
    }
    // In the order of the field table, which is CorrectionInputs' own.
    return CorrectionInputs{values[0], values[1], values[2], values[3], values[4], values[5]};
}

RunOutcome run_correction(const FieldTexts& texts, UnitSelection selection) {
    const auto read = read_fields(texts);
    if (const Field* refused = std::get_if<Field>(&read))
        return RunOutcome(*refused);
    return RunOutcome(
        format_results(compute_correction(std::get<CorrectionInputs>(read), dialog_selection(selection))));
}

}  // namespace kestrane
