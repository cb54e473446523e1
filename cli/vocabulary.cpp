#include "vocabulary.h"

namespace kestrane::cli {
namespace {

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool same_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

}  // namespace

std::array<std::string, field_count> default_field_values() {
    std::array<std::string, field_count> values;
    for (std::size_t f = 0; f < field_count; ++f)
        values[f] = default_text(static_cast<Field>(f));
    return values;
}

std::optional<Field> field_from_column_name(std::string_view name) {
    for (std::size_t f = 0; f < field_count; ++f) {
        if (name == field_column_names[f])
            return static_cast<Field>(f);
    }
    return std::nullopt;
}

std::optional<Field> field_from_axis_name(std::string_view name) {
    if (const auto field = field_from_column_name(name))
        return field;
    for (std::size_t f = 0; f < field_count; ++f) {
        if (name == field_table[f].option)
            return static_cast<Field>(f);
    }
    if (name == barometer_alias)
        return Field::barometric_pressure;
    return std::nullopt;
}

std::string field_words(Field field) {
    std::string words(info(field).column);
    for (char& c : words) {
        if (c == '_')
            c = ' ';
    }
    return words;
}

std::string field_column_list() {
    std::string list;
    for (const std::string_view name : field_column_names)
        list.append(list.empty() ? "" : ", ").append(name);
    return list;
}

std::optional<int> unit_index(UnitKind kind, std::string_view name) {
    const UnitKindInfo& names = info(kind);
    name = trim_blanks(name);
    for (std::size_t i = 0; i < names.texts.size(); ++i) {
        if (same_ignoring_case(name, names.texts[i]) || same_ignoring_case(name, names.short_names[i]))
            return static_cast<int>(i);
    }
    return std::nullopt;
}

std::string accepted_unit_names(UnitKind kind) {
    const UnitKindInfo& names = info(kind);
    std::string text;
    for (std::size_t i = 0; i < names.texts.size(); ++i) {
        if (i != 0)
            text += ", ";
        text += names.texts[i];
        if (!same_ignoring_case(names.texts[i], names.short_names[i]))
            text.append(" or ").append(names.short_names[i]);
    }
    return text;
}

std::string unknown_unit_message(UnitKind kind, std::string_view name) {
    return "unknown " + std::string(unit_kind_name(kind)) + " unit \"" + std::string(name) + "\"; use " +
           accepted_unit_names(kind) + " (any case)";
}

std::string_view unit_text(UnitKind kind, int index) {
    const UnitKindInfo& names = info(kind);
    if (index < 0 || static_cast<std::size_t>(index) >= names.texts.size())
        return names.texts[0];
    return names.texts[static_cast<std::size_t>(index)];
}

std::string_view field_unit(Field field, UnitSelection units) {
    switch (field) {
        case Field::target_pressure:
        case Field::barometric_pressure: return unit_text(UnitKind::pressure, units.pressure);
        case Field::temperature: return unit_text(UnitKind::temperature, units.temperature);
        case Field::altitude: return unit_text(UnitKind::distance, units.distance);
        case Field::target_gas:
        case Field::relative_humidity: return "%";
    }
    return "%";
}

}  // namespace kestrane::cli
