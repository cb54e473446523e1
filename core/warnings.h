// Why the results of a reading, exact as they are, may describe no real gas,
// and the words every front end says it in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "units.h"

namespace kestrane {

// The bounds of a barometric pressure that any weather gives, in hectopascals.
inline constexpr double plausible_barometer_low_hpa = 250.0;
inline constexpr double plausible_barometer_high_hpa = 1100.0;

struct CorrectionWarnings {
    // The water vapour pressure reaches the pressure at the altitude: the results are zero or negative.
    bool no_dry_gas = false;
    // The temperature lies outside 0 to 50 degrees C, the range the vapour pressure curve was fitted to.
    bool temperature_outside_fit = false;
    // The calculated gas lies above 100 % or below 0 %.
    bool gas_outside_range = false;
    // The barometric pressure lies outside what any weather gives, in the unit it was read in.
    bool barometer_implausible = false;
    // With barometer_implausible: bit i set when the same number would be plausible in pressure_units[i].
    std::uint32_t plausible_pressure_units = 0;
    // The target pressure lies outside what any weather gives, in the unit it was read in.
    bool target_pressure_implausible = false;
    // With target_pressure_implausible: bit i set when the same number would be plausible in pressure_units[i].
    std::uint32_t plausible_target_pressure_units = 0;

    bool any() const {
        return no_dry_gas || temperature_outside_fit || gas_outside_range || target_pressure_implausible ||
               barometer_implausible;
    }
    friend bool operator==(const CorrectionWarnings&, const CorrectionWarnings&) = default;
};

inline constexpr std::string_view no_dry_gas_warning =
    "the water vapor pressure reaches the pressure at this altitude: no dry gas is left, so the results are not "
    "physical";
inline constexpr std::string_view temperature_outside_fit_warning =
    "the temperature lies outside 32 to 122 degrees F (0 to 50 degrees C), the range the vapor pressure curve was "
    "fitted to";
inline constexpr std::string_view gas_outside_range_warning =
    "the calculated gas lies outside 0 to 100 %, which no gas can have: check the inputs and their units";

// The texts of the warnings that hold, in a fixed order; a pressure's
// (the target pressure's, the barometric pressure's) names its unit and the units that would make it plausible:
// "the barometric pressure, read in In Hg, lies outside what any weather gives (250 to 1100 hPa): is the unit hPa?"
std::vector<std::string> warning_texts(const CorrectionWarnings& warnings, UnitSelection units);

// The texts joined with "; ", as a log's warning column holds them.
std::string joined_warning_texts(const CorrectionWarnings& warnings, UnitSelection units);

}  // namespace kestrane
