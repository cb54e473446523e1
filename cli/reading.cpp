#include "reading.h"

namespace kestrane::cli {

bool is_whole_number(Field field, std::string_view text) {
    text = trim_blanks(text);
    const bool percentage = field == Field::target_gas || field == Field::relative_humidity;
    if (percentage && !text.empty() && text.back() == '%')
        text = trim_blanks(text.substr(0, text.size() - 1));
    return !text.empty() && number_prefix_length(text) == text.size();
}

std::string not_a_number_message(Field field, std::string_view text) {
    std::string message = "Error: ";
    message.append(field_labels[static_cast<std::size_t>(field)]).append(" is not a number: \"");
    message.append(text).append("\"");
    return message;
}

Correction correct(const FieldTexts& texts, UnitSelection units, ReadingMode mode) {
    Correction c;
    std::size_t first_not_number = field_count;
    if (mode == ReadingMode::strict) {
        for (std::size_t f = 0; f < field_count && first_not_number == field_count; ++f) {
            if (!is_whole_number(static_cast<Field>(f), texts[f]))
                first_not_number = f;
        }
    }
    // The dialog's reading stops at its first refused field; a field before the
    // first one that is not a number is refused for its range, as in the dialog.
    const auto read = read_fields(texts);
    const Field* refused = std::get_if<Field>(&read);
    if (refused && static_cast<std::size_t>(*refused) < first_not_number) {
        c.status = Correction::Status::out_of_range;
        c.field = *refused;
    } else if (first_not_number < field_count) {
        c.status = Correction::Status::not_a_number;
        c.field = static_cast<Field>(first_not_number);
    } else {
        const CorrectionInputs& inputs = std::get<CorrectionInputs>(read);
        c.texts = format_results(compute_correction(inputs, units));
        c.warnings = correction_warnings(inputs, units);
    }
    return c;
}

std::string refusal_message(const Correction& correction, const FieldTexts& texts) {
    if (correction.status == Correction::Status::not_a_number)
        return not_a_number_message(correction.field, texts[static_cast<std::size_t>(correction.field)]);
    return std::string(field_messages[static_cast<std::size_t>(correction.field)]);
}

std::vector<std::string_view> warning_texts(CorrectionWarnings warnings) {
    std::vector<std::string_view> texts;
    if (warnings.no_dry_gas)
        texts.push_back(no_dry_gas_warning);
    if (warnings.temperature_outside_fit)
        texts.push_back(temperature_outside_fit_warning);
    return texts;
}

}  // namespace kestrane::cli
