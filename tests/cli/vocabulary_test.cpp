// Unit names and column headings the command line accepts, and those it must not.
#include <gtest/gtest.h>

#include <optional>
#include <string_view>

#include "cli/vocabulary.h"

namespace kestrane::cli {
namespace {

enum class Kind { temperature, pressure, distance };

struct UnitCase {
    Kind kind;
    std::string_view name;
    std::optional<int> index;
};

std::optional<int> index_of(Kind kind, std::string_view name) {
    switch (kind) {
        case Kind::temperature: return temperature_unit_index(name);
        case Kind::pressure: return pressure_unit_index(name);
        case Kind::distance: return distance_unit_index(name);
    }
    return std::nullopt;
}

TEST(Vocabulary, UnitNamesGiveTheirListIndex) {
    const UnitCase cases[] = {
        // The dialog's own list texts.
        {Kind::temperature, "Degrees F", 0},
        {Kind::temperature, "Degrees C", 1},
        {Kind::pressure, "In Hg", 0},
        {Kind::pressure, "mm Hg", 1},
        {Kind::pressure, "Bar", 2},
        {Kind::pressure, "KPa", 3},
        {Kind::distance, "Feet", 0},
        {Kind::distance, "Meters", 1},
        // Short forms, in any case and with any punctuation.
        {Kind::temperature, "f", 0},
        {Kind::temperature, "C", 1},
        {Kind::temperature, "celsius", 1},
        {Kind::pressure, "inHg", 0},
        {Kind::pressure, "MMHG", 1},
        {Kind::pressure, "mm-Hg", 1},
        {Kind::pressure, "kPa", 3},
        {Kind::distance, "ft", 0},
        {Kind::distance, "m", 1},
        {Kind::distance, "metres", 1},
        // Not units of their list: a wrong list's unit, near misses, nothing at all.
        {Kind::temperature, "K", std::nullopt},
        {Kind::temperature, "ft", std::nullopt},
        {Kind::pressure, "psi", std::nullopt},
        {Kind::pressure, "Pa", std::nullopt},
        {Kind::pressure, "hg", std::nullopt},
        {Kind::pressure, "", std::nullopt},
        {Kind::distance, "mm", std::nullopt},
        {Kind::distance, "1", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(index_of(c.kind, c.name), c.index) << "unit name \"" << c.name << "\"";
    }
}

struct HeadingCase {
    std::string_view heading;
    std::optional<Field> field;
};

TEST(Vocabulary, HeadingsNameTheirField) {
    const HeadingCase cases[] = {
        // The form's labels.
        {"Target Gas (% Vol)", Field::target_gas},
        {"Target Pressure", Field::target_pressure},
        {"Barometric Pressure", Field::barometric_pressure},
        {"Temperature", Field::temperature},
        {"Altitude", Field::altitude},
        {"Relative Humidity (%)", Field::relative_humidity},
        // The canonical column names and short forms.
        {"target_gas", Field::target_gas},
        {"gas", Field::target_gas},
        {"target_pressure", Field::target_pressure},
        {"barometric_pressure", Field::barometric_pressure},
        {"barometer", Field::barometric_pressure},
        {" TEMP ", Field::temperature},
        {"relative_humidity", Field::relative_humidity},
        {"RH", Field::relative_humidity},
        // "pressure" alone could be either pressure, so it names neither.
        {"pressure", std::nullopt},
        {"time", std::nullopt},
        {"", std::nullopt},
        {"calculated_gas_pct", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(field_from_heading(c.heading), c.field) << "heading \"" << c.heading << "\"";
    }
}

TEST(Vocabulary, CanonicalColumnNamesReadBackAsTheirField) {
    for (std::size_t f = 0; f < field_count; ++f) {
        const auto field = static_cast<Field>(f);
        EXPECT_EQ(field_from_heading(field_column_name(field)), field) << "column " << field_column_name(field);
    }
}

}  // namespace
}  // namespace kestrane::cli
