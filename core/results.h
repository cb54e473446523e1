// The four results of a correction, and everything the front ends say of each,
// in one table: the dialog, the command line, a log, JSON and the page all
// read it from here.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "number_text.h"
#include "units.h"

namespace kestrane {

// The four computed values, before formatting.
struct CorrectionResults {
    double calculated_gas_pct = 0.0;
    double calculated_gas_pressure = 0.0;
    double vapor_pressure_pct = 0.0;
    double corrected_barometer = 0.0;
};

// The four result texts.
struct ResultTexts {
    std::string vapor_pressure_pct;
    std::string corrected_barometer;
    std::string calculated_gas_pct;
    std::string calculated_gas_pressure;

    friend bool operator==(const ResultTexts&, const ResultTexts&) = default;
};

// The results in the order a log's columns, JSON and the page list them.
enum class Result : int { calculated_gas_pct, calculated_gas_pressure, vapor_pressure_pct, corrected_barometer };
inline constexpr std::size_t result_count = 4;

// What a result's value is measured in: a per cent, the pressure unit chosen,
// or inches of mercury whatever unit is chosen.
enum class ResultUnit { percent, chosen_pressure, inches_of_mercury };

// One result: its label in the form, its name in a log's header and in JSON,
// its name on the command line (table --result), the format of its text, and its unit.
struct ResultInfo {
    std::string_view label;
    std::string_view key;
    std::string_view option_name;
    FixedFormat format;
    ResultUnit unit;
    double CorrectionResults::*value;
    std::string ResultTexts::*text;
};

// clang-format off
inline constexpr std::array<ResultInfo, result_count> result_table = {{
    {"Calculated Gas (% Vol)",  "calculated_gas_pct",      "gas-pct",      "%3.2f", ResultUnit::percent,
     &CorrectionResults::calculated_gas_pct,      &ResultTexts::calculated_gas_pct},
    {"Calculated Gas Pressure", "calculated_gas_pressure", "gas-pressure", "%3.2f", ResultUnit::chosen_pressure,
     &CorrectionResults::calculated_gas_pressure, &ResultTexts::calculated_gas_pressure},
    {"Vapor Pressure (%)",      "vapor_pressure_pct",      "vapor-pct",    "%3.1f", ResultUnit::percent,
     &CorrectionResults::vapor_pressure_pct,      &ResultTexts::vapor_pressure_pct},
    {"Corrected Barometer",     "corrected_barometer",     "barometer",    "%3.2f", ResultUnit::inches_of_mercury,
     &CorrectionResults::corrected_barometer,     &ResultTexts::corrected_barometer},
}};
// clang-format on

constexpr const ResultInfo& info(Result result) {
    return result_table[static_cast<std::size_t>(result)];
}

// Every result, in table order, for range-for.
inline constexpr std::array<Result, result_count> all_results = {
    Result::calculated_gas_pct, Result::calculated_gas_pressure, Result::vapor_pressure_pct,
    Result::corrected_barometer};

// The text of a result's unit under a selection: "%", or a pressure unit's text.
std::string_view result_unit_text(Result result, UnitSelection units);

}  // namespace kestrane
