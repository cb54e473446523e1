#include "vocabulary.h"

#include <array>
#include <initializer_list>
#include <utility>

namespace kestrane::cli {
namespace {

// A name key and the value it stands for.
template <typename T>
using NameTable = std::initializer_list<std::pair<std::string_view, T>>;

template <typename T>
std::optional<T> look_up(std::string_view name, NameTable<T> table) {
    const std::string key = name_key(name);
    for (const auto& [known, value] : table) {
        if (key == known)
            return value;
    }
    return std::nullopt;
}

constexpr std::array<std::string_view, field_count> column_names = {
    "target_gas", "target_pressure", "barometric_pressure", "temperature", "altitude", "relative_humidity"};

}  // namespace

std::array<std::string, field_count> default_field_values() {
    std::array<std::string, field_count> values;
    for (std::size_t f = 0; f < field_count; ++f)
        values[f] = std::string(default_field_texts[f]);
    return values;
}

std::string name_key(std::string_view text) {
    std::string key;
    key.reserve(text.size());
    for (const char c : text) {
        if (c >= 'a' && c <= 'z')
            key += c;
        else if (c >= '0' && c <= '9')
            key += c;
        else if (c >= 'A' && c <= 'Z')
            key += static_cast<char>(c - 'A' + 'a');
    }
    return key;
}

std::optional<int> temperature_unit_index(std::string_view name) {
    return look_up<int>(name, {{"f", 0},
                               {"degreesf", 0},
                               {"degf", 0},
                               {"fahrenheit", 0},
                               {"c", 1},
                               {"degreesc", 1},
                               {"degc", 1},
                               {"celsius", 1}});
}

std::optional<int> pressure_unit_index(std::string_view name) {
    return look_up<int>(name, {{"inhg", 0},
                               {"inchesofmercury", 0},
                               {"mmhg", 1},
                               {"millimetresofmercury", 1},
                               {"millimetersofmercury", 1},
                               {"bar", 2},
                               {"kpa", 3},
                               {"kilopascal", 3},
                               {"kilopascals", 3}});
}

std::optional<int> distance_unit_index(std::string_view name) {
    return look_up<int>(
        name,
        {{"ft", 0}, {"foot", 0}, {"feet", 0}, {"m", 1}, {"meter", 1}, {"meters", 1}, {"metre", 1}, {"metres", 1}});
}

std::optional<Field> field_from_heading(std::string_view heading) {
    // "Target Gas (% Vol)" keys to "targetgasvol" and "Relative Humidity (%)" to
    // "relativehumidity", so the form's own labels are among these.
    return look_up<Field>(heading, {{"gas", Field::target_gas},
                                    {"targetgas", Field::target_gas},
                                    {"targetgasvol", Field::target_gas},
                                    {"targetpressure", Field::target_pressure},
                                    {"barometer", Field::barometric_pressure},
                                    {"barometricpressure", Field::barometric_pressure},
                                    {"temperature", Field::temperature},
                                    {"temp", Field::temperature},
                                    {"altitude", Field::altitude},
                                    {"humidity", Field::relative_humidity},
                                    {"relativehumidity", Field::relative_humidity},
                                    {"rh", Field::relative_humidity}});
}

std::string_view field_column_name(Field field) {
    return column_names[static_cast<std::size_t>(field)];
}

}  // namespace kestrane::cli
