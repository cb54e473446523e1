// One correction run: six field texts and three unit selections in, one error
// message or four result texts out. Touches no window.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <variant>

#include "fields.h"
#include "number_text.h"
#include "units.h"

namespace kestrane {

// The six input values, each in the unit the user chose until the run converts them.
struct CorrectionInputs {
    double gas_pct = 0.0;
    double target_pressure = 0.0;
    double barometric_pressure = 0.0;
    double temperature = 0.0;
    double altitude = 0.0;
    double relative_humidity = 0.0;
};

// The current indices of the temperature, pressure and distance lists.
struct UnitSelection {
    int temperature = 0;
    int pressure = 0;
    int distance = 0;
};

// The four computed values, before formatting.
struct CorrectionResults {
    double calculated_gas_pct = 0.0;
    double calculated_gas_pressure = 0.0;
    double vapor_pressure_pct = 0.0;
    double corrected_barometer = 0.0;
};

// The four result texts, in the order the dialog writes them: 1013, 1014, 1011, 1012.
struct ResultTexts {
    std::string vapor_pressure_pct;
    std::string corrected_barometer;
    std::string calculated_gas_pct;
    std::string calculated_gas_pressure;

    friend bool operator==(const ResultTexts&, const ResultTexts&) = default;
};

// Labels of the results as the form shows them, and their formats.
inline constexpr std::string_view calculated_gas_pct_label = "Calculated Gas (% Vol)";
inline constexpr std::string_view calculated_gas_pressure_label = "Calculated Gas Pressure";
inline constexpr std::string_view vapor_pressure_pct_label = "Vapor Pressure (%)";
inline constexpr std::string_view corrected_barometer_label = "Corrected Barometer";
inline constexpr FixedFormat vapor_pressure_pct_format = "%3.1f";
inline constexpr FixedFormat corrected_barometer_format = "%3.2f";
inline constexpr FixedFormat calculated_gas_pct_format = "%3.2f";
inline constexpr FixedFormat calculated_gas_pressure_format = "%3.2f";

// What one run gives: exactly one message, or four result texts.
class RunOutcome {
public:
    explicit RunOutcome(Field refused) : value_(refused) {}
    explicit RunOutcome(ResultTexts texts) : value_(std::move(texts)) {}

    bool refused() const { return std::holds_alternative<Field>(value_); }
    // The field that ended the run; only when refused().
    Field refused_field() const { return std::get<Field>(value_); }
    // The message of the refused field; only when refused().
    std::string_view message() const { return field_messages[static_cast<std::size_t>(refused_field())]; }
    // The four texts; only when !refused().
    const ResultTexts& texts() const { return std::get<ResultTexts>(value_); }

private:
    std::variant<Field, ResultTexts> value_;
};

// The six whole field texts, in field order.
using FieldTexts = std::array<std::string_view, field_count>;

// Scans and checks the fields in order (the first refused field ends the run,
// and no later field is scanned), brings the values into internal units,
// computes, and formats the four results.
RunOutcome run_correction(const FieldTexts& texts, UnitSelection selection);

// The scan and checks of a run alone: the six values in field order, or the
// first field refused (no later field is scanned). run_correction is this, then
// compute_correction and format_results.
std::variant<CorrectionInputs, Field> read_fields(const FieldTexts& texts);

// The length of the number at the start of each field's text that was scanned
// (number_prefix_length), in field order; the fields after a refused one were not.
using ScanLengths = std::array<std::size_t, field_count>;

// As read_fields, also giving the lengths of the numbers it scanned.
std::variant<CorrectionInputs, Field> read_fields(const FieldTexts& texts, ScanLengths& lengths);

// The computation alone, on values in the units of selection that passed their checks.
CorrectionResults compute_correction(CorrectionInputs inputs, UnitSelection selection);

// Why the results of a reading, exact as they are, describe no real gas: no dry
// gas is left when the water vapour pressure reaches the pressure at the
// altitude (the results are then zero or negative), and the vapour-pressure
// curve was fitted to 32 to 122 degrees F only.
struct CorrectionWarnings {
    bool no_dry_gas = false;
    bool temperature_outside_fit = false;

    bool any() const { return no_dry_gas || temperature_outside_fit; }
    friend bool operator==(const CorrectionWarnings&, const CorrectionWarnings&) = default;
};

// The texts of the two warnings, for every front end.
inline constexpr std::string_view no_dry_gas_warning =
    "the water vapour pressure reaches the pressure at this altitude: no dry gas is left, so the results are not "
    "physical";
inline constexpr std::string_view temperature_outside_fit_warning =
    "the temperature lies outside 32 to 122 degrees F (0 to 50 degrees C), the range the vapour pressure curve "
    "was fitted to";

// compute_correction, also giving the warnings of the values (which passed
// their checks, in the units of selection).
CorrectionResults compute_correction(CorrectionInputs inputs, UnitSelection selection, CorrectionWarnings& warnings);

// The four texts of computed results.
ResultTexts format_results(const CorrectionResults& results);

}  // namespace kestrane
