#include "record.h"

#include "number_text.h"

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

namespace {

std::string field_list() {
    std::string names;
    for (const RecordFieldInfo& field : record_field_table)
        names.append(names.empty() ? "" : ", ").append(field.name);
    return names;
}

// One line that is not blank or a comment, read into record; its problem, or nothing.
std::optional<std::string> read_record_line(std::string_view line,
                                            std::size_t number,
                                            Record& record,
                                            std::array<std::size_t, record_field_count>& lines) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return "no \"=\": write each field as FIELD = TEXT";
    const std::string_view name = trim_blanks(line.substr(0, equals));
    const std::optional<RecordField> field = record_field_named(name);
    if (!field)
        return "unknown field \"" + std::string(name) + "\"; the fields are " + field_list();
    const auto f = static_cast<std::size_t>(*field);
    if (lines[f] != 0)
        return std::string(name) + " again (first on line " + std::to_string(lines[f]) + ")";
    const std::string_view text = trim_blanks(line.substr(equals + 1));
    if (const auto problem = record_text_problem(text))
        return std::string(name) + " " + *problem;
    lines[f] = number;
    record[*field] = std::string(text);
    return std::nullopt;
}

}  // namespace

std::optional<std::string> read_record_text(std::string_view text, Record& record) {
    constexpr std::string_view byte_order_mark = "\xEF\xBB\xBF";
    if (text.starts_with(byte_order_mark))
        text.remove_prefix(byte_order_mark.size());
    std::array<std::size_t, record_field_count> lines{};
    for (std::size_t number = 1; !text.empty(); ++number) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        const std::string_view content = trim_blanks(line);
        if (content.empty() || content.front() == '#')
            continue;
        if (auto problem = read_record_line(content, number, record, lines))
            return "line " + std::to_string(number) + ": " + *problem;
    }
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
