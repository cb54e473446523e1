#include "reading.h"

namespace kestrane::cli {

namespace {

// Whether a text whose number at the start is `length` long holds nothing else
// but blanks, and a "%" among them after the number of a percentage.
bool only_number(Field field, std::string_view text, std::size_t length) {
    if (length == 0)
        return false;
    std::string_view rest = trim_blanks(text.substr(length));
    const bool percentage = field == Field::target_gas || field == Field::relative_humidity;
    if (percentage && !rest.empty() && rest.front() == '%')
        rest = trim_blanks(rest.substr(1));
    return rest.empty();
}

}  // namespace

bool is_whole_number(Field field, std::string_view text) {
    return only_number(field, text, number_prefix_length(text));
}

std::string not_a_number_message(Field field, std::string_view text) {
    std::string message = "Error: ";
    message.append(field_labels[static_cast<std::size_t>(field)]).append(" is not a number: \"");
    message.append(text).append("\"");
    return message;
}

Correction correct(const FieldTexts& texts, UnitSelection units, ReadingMode mode) {
    Correction c;
    ScanLengths lengths{};
    const auto read = read_fields(texts, lengths);
    const Field* refused = std::get_if<Field>(&read);
    // The dialog's reading stops at its first refused field. Read strictly, a
    // field up to that one that is not a number is refused first, for that.
    const std::size_t scanned = refused ? static_cast<std::size_t>(*refused) + 1 : field_count;
    for (std::size_t f = 0; mode == ReadingMode::strict && f < scanned; ++f) {
        if (!only_number(static_cast<Field>(f), texts[f], lengths[f])) {
            c.status = Correction::Status::not_a_number;
            c.field = static_cast<Field>(f);
            return c;
        }
    }
    if (refused) {
        c.status = Correction::Status::out_of_range;
        c.field = *refused;
        return c;
    }
    c.values = compute_correction(std::get<CorrectionInputs>(read), units, c.warnings);
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
