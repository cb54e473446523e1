#include "units.h"

#include <vector>

#include "names.h"
#include "number_text.h"

namespace kestrane {

double to_internal(double value, const Unit& unit) {
    switch (unit.conversion) {
        case Conversion::none: break;
        case Conversion::divide: return value / unit.factor;
        case Conversion::multiply: return value * unit.factor;
        case Conversion::celsius: return 1.8 * value + 32.0;
        case Conversion::kelvin: return (value - unit.factor) * 1.8 + 32.0;
    }
    return value;
}

double from_internal(double value, const Unit& unit) {
    switch (unit.conversion) {
        case Conversion::none: break;
        case Conversion::divide: return value * unit.factor;
        case Conversion::multiply: return value / unit.factor;
        case Conversion::celsius: return (value - 32.0) / 1.8;
        case Conversion::kelvin: return (value - 32.0) / 1.8 + unit.factor;
    }
    return value;
}

double internal_per_unit(const Unit& unit) {
    switch (unit.conversion) {
        case Conversion::none: break;
        case Conversion::divide: return 1.0 / unit.factor;
        case Conversion::multiply: return unit.factor;
        case Conversion::celsius:
        case Conversion::kelvin: return 1.8;
    }
    return 1.0;
}

std::optional<int> unit_index(UnitKind kind, std::string_view name) {
    name = trim_blanks(name);
    const std::span<const Unit> units = info(kind).units;
    for (std::size_t i = 0; i < units.size(); ++i) {
        bool match = same_ignoring_case(name, units[i].text);
        for (const std::string_view other : units[i].other_names)
            match = match || (!other.empty() && same_ignoring_case(name, other));
        if (match)
            return static_cast<int>(i);
    }
    return std::nullopt;
}

std::string accepted_unit_names(UnitKind kind) {
    std::string text;
    for (const Unit& unit : info(kind).units) {
        text.append(text.empty() ? "" : ", ").append(unit.text);
        for (const std::string_view other : unit.other_names) {
            // A short name that is the list text in another case is not said twice.
            if (!other.empty() && !same_ignoring_case(other, unit.text))
                text.append(" or ").append(other);
        }
    }
    return text;
}

std::string unknown_unit_message(UnitKind kind, std::string_view name) {
    std::string message = "unknown " + std::string(info(kind).name) + " unit \"" + std::string(name) + "\"; use " +
                          accepted_unit_names(kind) + " (any case)";
    std::vector<std::string_view> candidates;
    for (const Unit& unit : info(kind).units) {
        candidates.push_back(unit.text);
        for (const std::string_view other : unit.other_names) {
            if (!other.empty())
                candidates.push_back(other);
        }
    }
    if (const std::string_view near = nearest_name(trim_blanks(name), candidates); !near.empty())
        message.append("; did you mean ").append(near).append("?");
    return message;
}

namespace {

// The index of a dialog's list as the unit tables take it: the lists have
// only the first entries, and any other index is the internal unit.
int dialog_index(int index, std::size_t entries) {
    return index >= 0 && static_cast<std::size_t>(index) < entries ? index : 0;
}

}  // namespace

UnitSelection dialog_selection(UnitSelection lists) {
    return {dialog_index(lists.temperature, temperature_unit_texts.size()),
            dialog_index(lists.pressure, pressure_unit_texts.size()),
            dialog_index(lists.distance, distance_unit_texts.size())};
}

double to_fahrenheit(double value, TemperatureUnit unit) {
    return to_internal(value, temperature_units[static_cast<std::size_t>(
                                  dialog_index(static_cast<int>(unit), temperature_unit_texts.size()))]);
}

double pressure_to_inhg(double value, PressureUnit unit) {
    return to_internal(value, pressure_units[static_cast<std::size_t>(
                                  dialog_index(static_cast<int>(unit), pressure_unit_texts.size()))]);
}

double pressure_from_inhg(double value, PressureUnit unit) {
    return from_internal(value, pressure_units[static_cast<std::size_t>(
                                    dialog_index(static_cast<int>(unit), pressure_unit_texts.size()))]);
}

double altitude_to_feet(double value, DistanceUnit unit) {
    return to_internal(value, distance_units[static_cast<std::size_t>(
                                  dialog_index(static_cast<int>(unit), distance_unit_texts.size()))]);
}

}  // namespace kestrane
