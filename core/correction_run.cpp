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

}  // namespace

CorrectionResults compute_correction(CorrectionInputs in, UnitSelection selection) {
    const auto pressure_unit = static_cast<PressureUnit>(selection.pressure);
    const double t = to_fahrenheit(in.temperature, static_cast<TemperatureUnit>(selection.temperature));
    const double target = pressure_to_inhg(in.target_pressure, pressure_unit);
    const double barometer = pressure_to_inhg(in.barometric_pressure, pressure_unit);
    const double altitude = altitude_to_feet(in.altitude, static_cast<DistanceUnit>(selection.distance));

    // Saturation vapour pressure in inches of mercury (Horner's scheme), and its humidity share.
    const double saturation = (((1.54854e-8 * t - 9.76951e-7) * t + 0.000126819) * t + 0.000385377) * t + 0.0538397;
    const double vapor = (in.relative_humidity / 100.0) * saturation;
    // Barometric height formula with a temperature-dependent height constant, in centimetres.
    const double k = ((t - 32.0) * 0.0022222 + 1.0) * 1600000.0;
    const double z = 30.48 * altitude;
    const double corrected = -((z - k) / (z + k)) * barometer;

    CorrectionResults out;
    out.vapor_pressure_pct = vapor / barometer * 100.0;  // share of the pressure as entered, not corrected
    out.corrected_barometer = corrected - vapor;
    out.calculated_gas_pct = out.corrected_barometer / target * in.gas_pct;
    out.calculated_gas_pressure = pressure_from_inhg(out.calculated_gas_pct / 100.0 * target, pressure_unit);
    return out;
}

ResultTexts format_results(const CorrectionResults& r) {
    ResultTexts texts;
    append_formatted(texts.vapor_pressure_pct, r.vapor_pressure_pct, vapor_pressure_pct_format);
    append_formatted(texts.corrected_barometer, r.corrected_barometer, corrected_barometer_format);
    append_formatted(texts.calculated_gas_pct, r.calculated_gas_pct, calculated_gas_pct_format);
    append_formatted(texts.calculated_gas_pressure, r.calculated_gas_pressure, calculated_gas_pressure_format);
    return texts;
}

RunOutcome run_correction(const FieldTexts& texts, UnitSelection selection) {
    std::array<double, field_count> values{};
    for (std::size_t i = 0; i < field_count; ++i) {
        const auto field = static_cast<Field>(i);
        const std::optional<double> value = scan_field(texts[i]);
        if (!value || !accepted(field, *value))
            return RunOutcome(field);
        values[i] = *value;
    }
    const CorrectionInputs inputs{values[0], values[1], values[2], values[3], values[4], values[5]};
    return RunOutcome(format_results(compute_correction(inputs, selection)));
}

}  // namespace kestrane
