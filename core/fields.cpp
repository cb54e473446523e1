#include "fields.h"

#include "names.h"

namespace kestrane {

std::string default_text(Field field) {
    return format_value(info(field).default_value, info(field).default_format);
}

std::optional<UnitKind> field_unit_kind(Field field) {
    switch (info(field).unit) {
        case FieldUnit::percent: break;
        case FieldUnit::temperature: return UnitKind::temperature;
        case FieldUnit::pressure: return UnitKind::pressure;
        case FieldUnit::distance: return UnitKind::distance;
    }
    return std::nullopt;
}

std::string_view field_unit_text(Field field, UnitSelection units) {
    const std::optional<UnitKind> kind = field_unit_kind(field);
    return kind ? selected_unit(*kind, units).text : "%";
}

std::optional<Field> field_of_column(std::string_view name) {
    name = trim_blanks(name);
    for (const Field field : all_fields) {
        if (same_ignoring_case(name, info(field).column))
            return field;
    }
    return std::nullopt;
}

}  // namespace kestrane
