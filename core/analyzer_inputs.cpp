#include "analyzer_inputs.h"

namespace kestrane {
namespace {

QuantityName name_of(CheckInput input) {
    return {info(input).label, true};
}

std::string without(CheckInput given, CheckInput missing, std::string_view purpose) {
    return "Error: " + std::string(info(given).label) + " is given without " + std::string(info(missing).label) +
           std::string(purpose);
}

}  // namespace

std::optional<std::string> read_check_texts(const CheckSettings& settings,
                                            const ReadingRules& rules,
                                            const MarkHints& hints,
                                            CheckRequestsRead& read) {
    CheckRequest& request = read.as_found;
    request.rule = settings.rule;
    if (const auto& text = settings[CheckInput::as_found]) {
        if (auto refused = read_number_text(name_of(CheckInput::as_found), *text, rules, hints, request.reading))
            return refused;
    }
    if (const auto& text = settings[CheckInput::standard_uncertainty]) {
        InputUncertainty u;
        if (auto refused = read_uncertainty_text(name_of(CheckInput::standard_uncertainty), *text, rules, hints, u))
            return refused;
        request.standard_uncertainty = u.standard();
    }
    if (const auto& text = settings[CheckInput::tolerance]) {
        if (auto refused = read_number_text(name_of(CheckInput::tolerance), *text, rules, hints, request.tolerance))
            return refused;
        if (!(request.tolerance > 0.0))
            return "Error: " + std::string(info(CheckInput::tolerance).label) + " is not above 0: \"" +
                   std::string(*text) + "\"";
    }
    if (const auto& text = settings[CheckInput::as_left]) {
        CheckRequest as_left = request;
        if (auto refused = read_number_text(name_of(CheckInput::as_left), *text, rules, hints, as_left.reading))
            return refused;
        read.as_left = as_left;
    }
    return std::nullopt;
}

CheckRequestsRead read_check_settings(const CheckSettings& settings,
                                      const ReadingRules& rules,
                                      const MarkHints& hints) {
    CheckRequestsRead read;
    if (!settings.asked())
        read.refused = without(CheckInput::as_left, CheckInput::as_found, "");
    else if (!settings[CheckInput::tolerance])
        read.refused = without(CheckInput::as_found, CheckInput::tolerance, " to check it against");
    else
        read.refused = read_check_texts(settings, rules, hints, read);
    return read;
}

}  // namespace kestrane
