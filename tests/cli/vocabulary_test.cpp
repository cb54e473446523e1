// Unit names and field names the command line and a log's header accept, and those they must not.
#include <gtest/gtest.h>

#include <optional>
#include <string_view>

#include "cli/vocabulary.h"

namespace kestrane::cli {
namespace {

struct UnitCase {
    UnitKind kind;
    std::string_view name;
    std::optional<int> index;
};

TEST(Vocabulary, UnitNamesGiveTheirListIndex) {
    const UnitCase cases[] = {
        // The dialog's own list texts.
        {UnitKind::temperature, "Degrees F", 0},
        {UnitKind::temperature, "Degrees C", 1},
        {UnitKind::pressure, "In Hg", 0},
        {UnitKind::pressure, "mm Hg", 1},
        {UnitKind::pressure, "Bar", 2},
        {UnitKind::pressure, "KPa", 3},
        {UnitKind::distance, "Feet", 0},
        {UnitKind::distance, "Meters", 1},
        // Short names; either kind in any case, blanks around ignored.
        {UnitKind::temperature, "f", 0},
        {UnitKind::temperature, "C", 1},
        {UnitKind::temperature, "DEGREES c", 1},
        {UnitKind::pressure, "inHg", 0},
        {UnitKind::pressure, "MMHG", 1},
        {UnitKind::pressure, "bar", 2},
        {UnitKind::pressure, "kPa", 3},
        {UnitKind::pressure, " mm hg\t", 1},
        {UnitKind::distance, "ft", 0},
        {UnitKind::distance, "M", 1},
        // The command line's own units, numbered after the dialog's, in their spellings.
        {UnitKind::temperature, "K", 2},
        {UnitKind::temperature, "Kelvin", 2},
        {UnitKind::pressure, "hPa", 4},
        {UnitKind::pressure, "HPA", 4},
        {UnitKind::pressure, "mbar", 4},
        {UnitKind::pressure, "millibar", 4},
        {UnitKind::pressure, "psi", 5},
        {UnitKind::pressure, "PSIA", 5},
        {UnitKind::pressure, " atm ", 6},
        // Not units of their list: another list's unit, near misses, nothing at all.
        {UnitKind::temperature, "ft", std::nullopt},
        {UnitKind::temperature, "celsius", std::nullopt},
        {UnitKind::temperature, "atm", std::nullopt},
        {UnitKind::pressure, "K", std::nullopt},
        {UnitKind::pressure, "torr", std::nullopt},
        {UnitKind::pressure, "Pa", std::nullopt},
        {UnitKind::pressure, "mm-Hg", std::nullopt},
        {UnitKind::pressure, "InHg2", std::nullopt},
        {UnitKind::pressure, "", std::nullopt},
        {UnitKind::distance, "mm", std::nullopt},
        {UnitKind::distance, "metres", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(unit_index(c.kind, c.name), c.index) << unit_kind_name(c.kind) << " unit name \"" << c.name << "\"";
    }
}

struct NameCase {
    std::string_view name;
    std::optional<Field> column;  // as a log's header column
    std::optional<Field> axis;    // as a table's swept field
};

TEST(Vocabulary, FieldNames) {
    const NameCase cases[] = {
        {"target_gas", Field::target_gas, Field::target_gas},
        {"target_pressure", Field::target_pressure, Field::target_pressure},
        {"barometric_pressure", Field::barometric_pressure, Field::barometric_pressure},
        {"temperature", Field::temperature, Field::temperature},
        {"altitude", Field::altitude, Field::altitude},
        {"relative_humidity", Field::relative_humidity, Field::relative_humidity},
        // The options' names serve a table, never a log: a header must use the exact names.
        {"gas", std::nullopt, Field::target_gas},
        {"target-pressure", std::nullopt, Field::target_pressure},
        {"barometric-pressure", std::nullopt, Field::barometric_pressure},
        {"barometer", std::nullopt, Field::barometric_pressure},
        {"humidity", std::nullopt, Field::relative_humidity},
        {"Temperature", std::nullopt, std::nullopt},
        {"target_gas ", std::nullopt, std::nullopt},
        {"Relative Humidity (%)", std::nullopt, std::nullopt},
        {"pressure", std::nullopt, std::nullopt},
        {"", std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(field_from_column_name(c.name), c.column) << "column \"" << c.name << "\"";
        EXPECT_EQ(field_from_axis_name(c.name), c.axis) << "axis \"" << c.name << "\"";
    }
}

}  // namespace
}  // namespace kestrane::cli
