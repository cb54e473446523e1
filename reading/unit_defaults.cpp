#include "unit_defaults.h"

namespace kestrane {
namespace {

std::string joined(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items)
        text.append(text.empty() ? "" : " and ").append(item);
    return text;
}

}  // namespace

std::vector<Field> defaults_out_of_unit(UnitKind kind, UnitSelection units, std::bitset<field_count> left) {
    const Unit& chosen = selected_unit(kind, units);
    std::vector<Field> fields;
    for (const Field field : all_fields) {
        const double value = info(field).default_value;
        if (field_unit_kind(field) == kind && left.test(static_cast<std::size_t>(field)) &&
            to_internal(value, chosen) != to_internal(value, info(kind).units[0]))
            fields.push_back(field);
    }
    return fields;
}

std::string defaults_message(std::string_view unit_named,
                             std::string_view verb,
                             const std::vector<std::string>& names,
                             const std::vector<std::string>& defaults,
                             UnitKind kind) {
    const bool one = names.size() == 1;
    return "with " + std::string(unit_named) + ", " + std::string(verb) + " " + joined(names) + " as well: " +
           (one ? "its default, " : "their defaults, ") + joined(defaults) + (one ? ", is in " : ", are in ") +
           std::string(info(kind).units[0].text);
}

}  // namespace kestrane
