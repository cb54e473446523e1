#include "vocabulary.h"

#include <span>

namespace kestrane::cli {
namespace {

// Each unit's short name, in list order, beside the list texts of core/units.h.
constexpr std::array<std::string_view, 2> temperature_short_names = {"F", "C"};
constexpr std::array<std::string_view, 4> pressure_short_names = {"inHg", "mmHg", "bar", "kPa"};
constexpr std::array<std::string_view, 2> distance_short_names = {"ft", "m"};

struct UnitNames {
    std::span<const std::string_view> texts;
    std::span<const std::string_view> short_names;
};

UnitNames names_of(UnitKind kind) {
    switch (kind) {
        case UnitKind::temperature: return {temperature_unit_texts, temperature_short_names};
        case UnitKind::pressure: return {pressure_unit_texts, pressure_short_names};
        case UnitKind::distance: return {distance_unit_texts, distance_short_names};
    }
    return {temperature_unit_texts, temperature_short_names};
}

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

// The options' names of the fields without their dashes, in field order.
constexpr std::array<std::string_view, field_count> option_names = {
    "gas", "target-pressure", "barometric-pressure", "temperature", "altitude", "humidity"};

}  // namespace

std::array<std::string, field_count> default_field_values() {
    std::array<std::string, field_count> values;
    for (std::size_t f = 0; f < field_count; ++f)
        values[f] = std::string(default_field_texts[f]);
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
        if (name == option_names[f])
            return static_cast<Field>(f);
    }
    if (name == "barometer")
        return Field::barometric_pressure;
    return std::nullopt;
}

std::string field_words(Field field) {
    std::string words(field_column_names[static_cast<std::size_t>(field)]);
    for (char& c : words) {
        if (c == '_')
            c = ' ';
    }
    return words;
}

std::string_view unit_kind_name(UnitKind kind) {
    switch (kind) {
        case UnitKind::temperature: return "temperature";
        case UnitKind::pressure: return "pressure";
        case UnitKind::distance: return "distance";
    }
    return "temperature";
}

std::optional<int> unit_index(UnitKind kind, std::string_view name) {
    const UnitNames names = names_of(kind);
    name = trim_blanks(name);
    for (std::size_t i = 0; i < names.texts.size(); ++i) {
        if (same_ignoring_case(name, names.texts[i]) || same_ignoring_case(name, names.short_names[i]))
            return static_cast<int>(i);
    }
    return std::nullopt;
}

std::string accepted_unit_names(UnitKind kind) {
    const UnitNames names = names_of(kind);
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
    const UnitNames names = names_of(kind);
    if (index < 0 || static_cast<std::size_t>(index) >= names.texts.size())
        return names.texts[0];
    return names.texts[static_cast<std::size_t>(index)];
}

}  // namespace kestrane::cli
