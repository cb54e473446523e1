// The six inputs of a reading, and everything the front ends say of each, in
// one table: the dialog, the command line and a log all read it from here.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "number_text.h"
#include "units.h"

namespace kestrane {

// The six inputs in the order the run reads and checks them.
enum class Field : int { target_gas, target_pressure, barometric_pressure, temperature, altitude, relative_humidity };
inline constexpr std::size_t field_count = 6;

// The six input values, each in the unit the user chose until the run converts them.
struct CorrectionInputs {
    double gas_pct = 0.0;
    double target_pressure = 0.0;
    double barometric_pressure = 0.0;
    double temperature = 0.0;
    double altitude = 0.0;
    double relative_humidity = 0.0;
};

// What a field's value is measured in: a per cent, or the unit chosen of its kind.
enum class FieldUnit { percent, temperature, pressure, distance };

// One input: its label in the form, its column in a log (and key in JSON), its
// option on the command line (without the dashes), the value the dialog starts
// with and the format that value is written in, the message of a value out of
// range, its unit, and where its value is kept.
struct FieldInfo {
    std::string_view label;
    std::string_view column;
    std::string_view option;
    double default_value;
    FixedFormat default_format;
    std::string_view message;
    FieldUnit unit;
    double CorrectionInputs::*value;
};

// clang-format off
inline constexpr std::array<FieldInfo, field_count> field_table = {{
    {"Target Gas (% Vol)",    "target_gas",          "gas",                 20.95, "%2.2f",
     "Error: Gas Percent Outside of Range",          FieldUnit::percent,
     &CorrectionInputs::gas_pct},
    {"Target Pressure",       "target_pressure",     "target-pressure",     30.0,  "%3.2f",
     "Error: Target Pressure Outside of Range",      FieldUnit::pressure,
     &CorrectionInputs::target_pressure},
    {"Barometric Pressure",   "barometric_pressure", "barometric-pressure", 30.0,  "%3.2f",
     "Error: Barometric Pressure Outside of Range",  FieldUnit::pressure,
     &CorrectionInputs::barometric_pressure},
    {"Temperature",           "temperature",         "temperature",         75.0,  "%2.0f",
     "Error: Temperature Outside of Range",          FieldUnit::temperature,
     &CorrectionInputs::temperature},
    {"Altitude",              "altitude",            "altitude",            0.0,   "%4.0f",
     "Error: Altitude Outside of Range",             FieldUnit::distance,
     &CorrectionInputs::altitude},
    {"Relative Humidity (%)", "relative_humidity",   "humidity",            50.0,  "%3.0f",
     "Error: Relative Humidity Outside of Range",    FieldUnit::percent,
     &CorrectionInputs::relative_humidity},
}};
// clang-format on

// CorrectionInputs holds the values in the table's order.
static_assert(field_table[0].value == &CorrectionInputs::gas_pct &&
              field_table[1].value == &CorrectionInputs::target_pressure &&
              field_table[2].value == &CorrectionInputs::barometric_pressure &&
              field_table[3].value == &CorrectionInputs::temperature &&
              field_table[4].value == &CorrectionInputs::altitude &&
              field_table[5].value == &CorrectionInputs::relative_humidity);

// The entry of a field.
constexpr const FieldInfo& info(Field field) {
    return field_table[static_cast<std::size_t>(field)];
}

// One of the table's columns, in field order.
template <std::string_view FieldInfo::*member>
constexpr std::array<std::string_view, field_count> field_column() {
    std::array<std::string_view, field_count> column{};
    for (std::size_t f = 0; f < field_count; ++f)
        column[f] = field_table[f].*member;
    return column;
}

// The messages of a refused field, in field order.
inline constexpr std::array<std::string_view, field_count> field_messages = field_column<&FieldInfo::message>();

// The text the dialog writes into a field when it starts: its default value in its format.
std::string default_text(Field field);

// Every field, in order, for range-for.
inline constexpr std::array<Field, field_count> all_fields = {Field::target_gas,  Field::target_pressure,
                                                              Field::barometric_pressure, Field::temperature,
                                                              Field::altitude,    Field::relative_humidity};

// A second name the barometric pressure answers to, wherever its option's name is taken.
inline constexpr std::string_view barometer_alias = "barometer";

// The unit kind a field's value is in; nothing for a per cent.
std::optional<UnitKind> field_unit_kind(Field field);

// The text of a field's unit under a selection: "%", or the chosen unit's text.
std::string_view field_unit_text(Field field, UnitSelection units);

// The field whose column this is, in any case, blanks around it ignored
// (" Target_Gas"); nothing for another name.
std::optional<Field> field_of_column(std::string_view name);

}  // namespace kestrane
