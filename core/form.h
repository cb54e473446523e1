// The texts of the form around the fields, results and unit lists: its
// title, credit line, the groups it is laid out in and its two buttons. The
// dialog's template and the page show these; the field, result and unit
// tables give the rest.
#pragma once

#include <array>
#include <string_view>

namespace kestrane {

inline constexpr std::string_view form_caption = "Kestrane Gas Correction";
inline constexpr std::string_view form_heading = "Oxygen Analyzer Gas Correction";
inline constexpr std::string_view form_credit = "Kestrane Developers";

// The groups of the form, top to bottom.
enum class FormGroup : int { units, target_setpoints, environment, calculation_activation, results };
inline constexpr std::array<std::string_view, 5> form_group_titles = {
    "Units", "Target Setpoints", "Environment", "Calculation Activation", "Partial Pressure Calculation Results"};

inline constexpr std::string_view execute_button_text = "Execute Calculation";
inline constexpr std::string_view exit_button_text = "Exit Program";

}  // namespace kestrane
