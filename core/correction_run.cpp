#include "correction_run.h"

#include <optional>

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
    double temperature_f;
    double target_inhg;
    double barometer_inhg;
    double vapor_inhg;        // water vapour pressure
    double at_altitude_inhg;  // barometric pressure brought down to the altitude
};

Conditions conditions(const CorrectionInputs& in, UnitSelection selection) {
    const auto pressure_unit = static_cast<PressureUnit>(selection.pressure);
    Conditions c{};
    const double t = to_fahrenheit(in.temperature, static_cast<TemperatureUnit>(selection.temperature));
    c.temperature_f = t;
    c.target_inhg = pressure_to_inhg(in.target_pressure, pressure_unit);
    c.barometer_inhg = pressure_to_inhg(in.barometric_pressure, pressure_unit);
    const double altitude = altitude_to_feet(in.altitude, static_cast<DistanceUnit>(selection.distance));

    // Saturation vapour pressure in inches of mercury (Horner's scheme), and its humidity share.
    const double saturation = (((1.54854e-8 * t - 9.76951e-7) * t + 0.000126819) * t + 0.000385377) * t + 0.0538397;
    c.vapor_inhg = (in.relative_humidity / 100.0) * saturation;
    // Barometric height formula with a temperature-dependent height constant, in centimetres.
    const double k = ((t - 32.0) * 0.0022222 + 1.0) * 1600000.0;
    const double z = 30.48 * altitude;
    c.at_altitude_inhg = -((z - k) / (z + k)) * c.barometer_inhg;
    return c;
}

// The range of temperatures, in degrees Fahrenheit, that the saturation curve was fitted to.
constexpr double fit_low_f = 32.0;
constexpr double fit_high_f = 122.0;

CorrectionResults results_of(const CorrectionInputs& in, UnitSelection selection, const Conditions& c) {
    CorrectionResults out;
    out.vapor_pressure_pct = c.vapor_inhg / c.barometer_inhg * 100.0;  // share of the pressure as entered
    out.corrected_barometer = c.at_altitude_inhg - c.vapor_inhg;
    out.calculated_gas_pct = out.corrected_barometer / c.target_inhg * in.gas_pct;
    out.calculated_gas_pressure = pressure_from_inhg(out.calculated_gas_pct / 100.0 * c.target_inhg,
                                                     static_cast<PressureUnit>(selection.pressure));
    return out;
}

CorrectionWarnings warnings_of(const Conditions& c) {
    CorrectionWarnings w;
    // Written as "not below" so that a pressure that is not a number (the height
    // formula's pole) counts as no dry gas too.
    w.no_dry_gas = !(c.vapor_inhg < c.at_altitude_inhg);
    w.temperature_outside_fit = c.temperature_f < fit_low_f || c.temperature_f > fit_high_f;
    return w;
}

}  // namespace

CorrectionResults compute_correction(CorrectionInputs in, UnitSelection selection) {
    return results_of(in, selection, conditions(in, selection));
}

CorrectionResults compute_correction(CorrectionInputs in, UnitSelection selection, CorrectionWarnings& warnings) {
    const Conditions c = conditions(in, selection);
    warnings = warnings_of(c);
    return results_of(in, selection, c);
}

ResultTexts format_results(const CorrectionResults& r) {
    ResultTexts texts;
    append_formatted(texts.vapor_pressure_pct, r.vapor_pressure_pct, vapor_pressure_pct_format);
    append_formatted(texts.corrected_barometer, r.corrected_barometer, corrected_barometer_format);
    append_formatted(texts.calculated_gas_pct, r.calculated_gas_pct, calculated_gas_pct_format);
    append_formatted(texts.calculated_gas_pressure, r.calculated_gas_pressure, calculated_gas_pressure_format);
    return texts;
}

std::variant<CorrectionInputs, Field> read_fields(const FieldTexts& texts) {
    ScanLengths lengths{};
    return read_fields(texts, lengths);
}

std::variant<CorrectionInputs, Field> read_fields(const FieldTexts& texts, ScanLengths& lengths) {
    std::array<double, field_count> values{};
    for (std::size_t i = 0; i < field_count; ++i) {
        const auto field = static_cast<Field>(i);
        const std::optional<double> value = scan_field(texts[i], lengths[i]);
        if (!value || !accepted(field, *value))
            return field;
        values[i] = *value;
    }
    return CorrectionInputs{values[0], values[1], values[2], values[3], values[4], values[5]};
}

RunOutcome run_correction(const FieldTexts& texts, UnitSelection selection) {
    const auto read = read_fields(texts);
    if (const Field* refused = std::get_if<Field>(&read))
        return RunOutcome(*refused);
    return RunOutcome(format_results(compute_correction(std::get<CorrectionInputs>(read), selection)));
}

}  // namespace kestrane
