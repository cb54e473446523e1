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

CheckRequestsRead read_check_settings(const CheckSettings& settings, const ReadingRules& rules, const MarkHints& hints) {
    CheckRequestsRead read;
    const auto refuse = [&read](std::string message) {
        read.refused = std::move(message);
        return read;
    };
    if (!settings.asked())
        return refuse(without(CheckInput::as_left, CheckInput::as_found, ""));
    if (!settings[CheckInput::tolerance])
        return refuse(without(CheckInput::as_found, CheckInput::tolerance, " to check it against"));
    CheckRequest& request = read.as_found;
    request.rule = settings.rule;
    if (auto refused = read_number_text(name_of(CheckInput::as_found), *settings[CheckInput::as_found], rules, hints,
                                        request.reading))
        return refuse(std::move(*refused));
    if (const auto& text = settings[CheckInput::standard_uncertainty]) {
        InputUncertainty u;
        if (auto refused = read_uncertainty_text(name_of(CheckInput::standard_uncertainty), *text, rules, hints, u))
            return refuse(std::move(*refused));
        request.standard_uncertainty = u.standard();
    }
    const std::string_view tolerance = *settings[CheckInput::tolerance];
    if (auto refused = read_number_text(name_of(CheckInput::tolerance), tolerance, rules, hints, request.tolerance))
        return refuse(std::move(*refused));
    if (!(request.tolerance > 0.0)) {
        return refuse("Error: " + std::string(info(CheckInput::tolerance).label) + " is not above 0: \"" +
                      std::string(tolerance) + "\"");
    }
    if (const auto& text = settings[CheckInput::as_left]) {
        CheckRequest as_left = request;
        if (auto refused = read_number_text(name_of(CheckInput::as_left), *text, rules, hints, as_left.reading))
            return refuse(std::move(*refused));
        read.as_left = as_left;
    }
    return read;
}

}  // namespace kestrane
