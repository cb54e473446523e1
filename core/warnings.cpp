#include "warnings.h"

#include "number_text.h"

namespace kestrane {
namespace {

// "hPa", "Bar or atm", "mm Hg, psi or atm".
std::string unit_list(std::uint32_t bits) {
    std::vector<std::string_view> names;
    for (std::size_t i = 0; i < pressure_units.size(); ++i) {
        if ((bits >> i) & 1U)
            names.push_back(pressure_units[i].text);
    }
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i)
        text.append(i == 0 ? "" : i + 1 == names.size() ? " or " : ", ").append(names[i]);
    return text;
}

// `what` is the pressure's name: "the barometric pressure".
std::string pressure_warning(std::string_view what, std::uint32_t plausible_bits, UnitSelection units) {
    std::string text(what);
    text.append(", read in ");
    text.append(selected_unit(UnitKind::pressure, units).text)
        .append(", lies outside what any weather gives (")
        .append(format_value(plausible_barometer_low_hpa, "%.0f"))
        .append(" to ")
        .append(format_value(plausible_barometer_high_hpa, "%.0f"))
        .append(" hPa)");
    if (plausible_bits != 0)
        text.append(": is the unit ").append(unit_list(plausible_bits)).append("?");
    return text;
}

}  // namespace

std::vector<std::string> warning_texts(const CorrectionWarnings& warnings, UnitSelection units) {
    std::vector<std::string> texts;
    if (warnings.no_dry_gas)
        texts.emplace_back(no_dry_gas_warning);
    if (warnings.temperature_outside_fit)
        texts.emplace_back(temperature_outside_fit_warning);
    if (warnings.gas_outside_range)
        texts.emplace_back(gas_outside_range_warning);
    if (warnings.target_pressure_implausible)
        texts.push_back(
            pressure_warning("the target pressure", warnings.plausible_target_pressure_units, units));
    if (warnings.barometer_implausible)
        texts.push_back(pressure_warning("the barometric pressure", warnings.plausible_pressure_units, units));
    return texts;
}

std::string joined_warning_texts(const CorrectionWarnings& warnings, UnitSelection units) {
    std::string joined;
    for (const std::string& text : warning_texts(warnings, units))
        joined.append(joined.empty() ? "" : "; ").append(text);
    return joined;
}

}  // namespace kestrane
