#include "record.h"

#ifndef KESTRANE_VERSION
#error "KESTRANE_VERSION is set by the build"
#endif

namespace kestrane {

std::optional<RecordField> record_field_named(std::string_view name) {
    for (const RecordFieldInfo& field : record_field_table) {
        if (name == field.name)
            return field.field;
    }
    return std::nullopt;
}

std::string record_method() {
    return std::string("Kestrane ") + KESTRANE_VERSION +
           " correction of the target gas for barometric pressure, altitude, temperature and humidity";
}

bool Record::any() const {
    for (const auto& text : texts) {
        if (text)
            return true;
    }
    return false;
}

std::optional<std::string> record_text_problem(std::string_view text) {
    if (text.find_first_of("\r\n") != std::string_view::npos)
        return "is more than one line";
    std::size_t characters = 0;
    for (const char c : text)
        characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;  // continuation bytes add none
    if (characters > record_text_limit)
        return "is longer than " + std::to_string(record_text_limit) + " characters";
    return std::nullopt;
}

std::string record_lines(const Record& record) {
    std::string lines = std::string(record_title) + "\n";
    for (const RecordFieldInfo& field : record_field_table) {
        if (const auto& text = record[field.field])
            lines.append(field.label).append(": ").append(*text) += '\n';
    }
    return lines.append(record_method_label).append(": ").append(record_method()) + "\n";
}

}  // namespace kestrane
