// The six inputs of a reading, and everything the front ends say of each, in
// one table: the dialog, the command line and a log all read it from here.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "number_text.h"

namespace kestrane {

// The six inputs in the order the run reads and checks them.
enum class Field : int { target_gas, target_pressure, barometric_pressure, temperature, altitude, relative_humidity };
inline constexpr std::size_t field_count = 6;

// One input: its label in the form, its column in a log, its option on the
// command line (without the dashes), the value the dialog starts with and the
// format that value is written in, and the message of a value out of range.
struct FieldInfo {
    std::string_view label;
    std::string_view column;
    std::string_view option;
    double default_value;
    FixedFormat default_format;
    std::string_view message;
};

// clang-format off
inline constexpr std::array<FieldInfo, field_count> field_table = {{
    {"Target Gas (% Vol)",    "target_gas",          "gas",                 20.95, "%2.2f",
     "Error: Gas Percent Outside of Range"},
    {"Target Pressure",       "target_pressure",     "target-pressure",     30.0,  "%3.2f",
     "Error: Target Pressure Outside of Range"},
    {"Barometric Pressure",   "barometric_pressure", "barometric-pressure", 30.0,  "%3.2f",
     "Error: Barometric Pressure Outside of Range"},
    {"Temperature",           "temperature",         "temperature",         75.0,  "%2.0f",
     "Error: Temperature Outside of Range"},
    {"Altitude",              "altitude",            "altitude",            0.0,   "%4.0f",
     "Error: Altitude Outside of Range"},
    {"Relative Humidity (%)", "relative_humidity",   "humidity",            50.0,  "%3.0f",
     "Error: Relative Humidity Outside of Range"},
}};
// clang-format on

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

// Labels of the input fields as the form shows them, in field order.
inline constexpr std::array<std::string_view, field_count> field_labels = field_column<&FieldInfo::label>();
// The messages of a refused field, in field order.
inline constexpr std::array<std::string_view, field_count> field_messages = field_column<&FieldInfo::message>();

// The text the dialog writes into a field when it starts: its default value in its format.
std::string default_text(Field field);

}  // namespace kestrane
