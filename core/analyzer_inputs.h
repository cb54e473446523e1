// What an analyzer's check is given, as the command line, the page's address
// and a log's columns name it, and its texts read as the fields' are.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "analyzer_check.h"
#include "reading.h"

namespace kestrane {

// The texts of a check: the analyzer's reading as found, as left, its own
// standard uncertainty, and the tolerance.
enum class CheckInput { as_found, as_left, standard_uncertainty, tolerance };
inline constexpr std::size_t check_input_count = 4;

struct CheckInputInfo {
    CheckInput input;
    std::string_view option;  // the command line's long option and the address's name
    std::string_view column;  // a log's input column
    std::string_view label;   // in messages
};

inline constexpr std::array<CheckInputInfo, check_input_count> check_input_table = {{
    {CheckInput::as_found, "analyzer-reading", "analyzer_reading", "Analyzer Reading As Found (% Vol)"},
    {CheckInput::as_left, "as-left", "as_left", "Analyzer Reading As Left (% Vol)"},
    {CheckInput::standard_uncertainty, "u-analyzer", "u_analyzer", "Standard Uncertainty of Analyzer Reading (% Vol)"},
    {CheckInput::tolerance, "tolerance", "tolerance", "Tolerance (\u00b1 % Vol)"},
}};

inline const CheckInputInfo& info(CheckInput input) {
    return check_input_table[static_cast<std::size_t>(input)];
}

// The decision rule's name as an option, the address and a log's column name it.
inline constexpr std::string_view decision_rule_option = "decision-rule";
inline constexpr std::string_view decision_rule_column = "decision_rule";

// What a reading's check is asked with: each input's text (none: not given)
// and the rule.
struct CheckSettings {
    std::array<std::optional<std::string_view>, check_input_count> texts{};
    DecisionRule rule = DecisionRule::simple;

    const std::optional<std::string_view>& operator[](CheckInput input) const {
        return texts[static_cast<std::size_t>(input)];
    }
    std::optional<std::string_view>& operator[](CheckInput input) { return texts[static_cast<std::size_t>(input)]; }
    // Whether a check is asked for: an analyzer's reading as found is given.
    bool asked() const { return (*this)[CheckInput::as_found].has_value(); }
};

// The checks' requests read from their texts: the check as found, and the
// one as left when its reading is given; or the message that refuses them.
struct CheckRequestsRead {
    CheckRequest as_found;
    std::optional<CheckRequest> as_left;
    std::optional<std::string> refused;
};

// Reads the texts that are given, whatever else is: the message of the first
// refused, or nothing (the requests read into `read`).
std::optional<std::string> read_check_texts(const CheckSettings& settings,
                                            const ReadingRules& rules,
                                            const MarkHints& hints,
                                            CheckRequestsRead& read);

// Reads the settings of a check that is asked for: each text strictly, whatever
// the reading's mode, in the rules' decimal mark (a "%" may follow a reading,
// the uncertainty, the tolerance); the tolerance must be above 0, and given.
// An as-left reading without one as found is refused, as are its texts.
CheckRequestsRead read_check_settings(const CheckSettings& settings, const ReadingRules& rules, const MarkHints& hints);

// The refusal of guarded acceptance with no uncertainty given at all.
inline constexpr std::string_view guarded_without_uncertainty_message =
    "Error: guarded acceptance needs the uncertainty of the analyzer's error, and none was given: give a standard "
    "uncertainty of the inputs or of the analyzer's reading, or use simple acceptance";

}  // namespace kestrane
