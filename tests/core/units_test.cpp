// Unit tables: the dialog's list texts in order, the conversions into and out of
// the internal units (including indices outside the dialog's lists), and the
// names every unit answers to.
#include <gtest/gtest.h>

#include <optional>

#include "core/units.h"

namespace kestrane {
namespace {

TEST(UnitTables, ListTextsInOrder) {
    EXPECT_EQ(temperature_unit_texts, (std::array<std::string_view, 2>{"Degrees F", "Degrees C"}));
    EXPECT_EQ(pressure_unit_texts, (std::array<std::string_view, 4>{"In Hg", "mm Hg", "Bar", "KPa"}));
    EXPECT_EQ(distance_unit_texts, (std::array<std::string_view, 2>{"Feet", "Meters"}));
}

struct ConversionCase {
    const char* name;
    double (*convert)(double, int);
    double value;
    int index;
    double expected;
};

double temperature(double v, int i) {
    return to_fahrenheit(v, static_cast<TemperatureUnit>(i));
}
double pressure_in(double v, int i) {
    return pressure_to_inhg(v, static_cast<PressureUnit>(i));
}
double pressure_out(double v, int i) {
    return pressure_from_inhg(v, static_cast<PressureUnit>(i));
}
double distance(double v, int i) {
    return altitude_to_feet(v, static_cast<DistanceUnit>(i));
}

TEST(UnitTables, Conversions) {
    const ConversionCase cases[] = {
        {"0 C is freezing", temperature, 0.0, 1, 32.0},
        {"100 C is boiling", temperature, 100.0, 1, 212.0},
        {"F is internal", temperature, 75.0, 0, 75.0},
        {"no temperature selection", temperature, 25.0, -1, 25.0},
        {"temperature index past the table", temperature, 25.0, 2, 25.0},
        {"760 mm Hg", pressure_in, 760.0, 1, 29.921259842519685},
        {"101.325 KPa", pressure_in, 101.325, 3, 101.325 / 3.38637},
        {"1.01325 Bar", pressure_in, 1.01325, 2, 1.01325 / 0.0338638},
        {"in Hg is internal", pressure_in, 30.0, 0, 30.0},
        {"no pressure selection", pressure_in, 30.0, -1, 30.0},
        {"pressure index past the table", pressure_in, 30.0, 4, 30.0},
        {"back to mm Hg", pressure_out, 1.0, 1, 25.4},
        {"back to Bar", pressure_out, 1.0, 2, 0.0338638},
        {"back to KPa", pressure_out, 1.0, 3, 3.38637},
        {"back with no selection", pressure_out, 6.5, -1, 6.5},
        {"back with index past the table", pressure_out, 6.5, 4, 6.5},
        {"1000 Meters", distance, 1000.0, 1, 3280.8},
        {"feet are internal", distance, 5000.0, 0, 5000.0},
        {"no distance selection", distance, 5000.0, -1, 5000.0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.convert(c.value, c.index), c.expected) << c.name << ": value " << c.value << ", index " << c.index;
    }
}

// The kilopascal factor is not 100 x the bar factor, so the same pressure in
// the two units differs in the sixth significant figure.
TEST(UnitTables, KilopascalAndBarFactorsAreNotInRatio) {
    EXPECT_NEAR(pressure_to_inhg(101.325, PressureUnit::kpa), 29.92142, 5e-6);
    EXPECT_NEAR(pressure_to_inhg(1.01325, PressureUnit::bar), 29.92133, 5e-6);
    EXPECT_NE(pressure_to_inhg(101.325, PressureUnit::kpa), pressure_to_inhg(1.01325, PressureUnit::bar));
}

// The units past the dialog's lists against values worked out by hand, there
// and back: 30 x 33.8637 = 1015.911 hPa; 60 x 0.491154 = 29.46924 psi;
// 2.5 x 29.9213 = 74.80325 inHg; (K - 273.15) x 1.8 + 32.
TEST(UnitTables, TheWholeTables) {
    struct Case {
        UnitKind kind;
        const char* unit;
        double value;
        double internal;
        double tolerance;
    };
    const Case cases[] = {
        {UnitKind::pressure, "hPa", 1015.911, 30.0, 1e-12},
        {UnitKind::pressure, "mbar", 1015.911, 30.0, 1e-12},
        {UnitKind::pressure, "psi", 29.46924, 60.0, 1e-12},
        {UnitKind::pressure, "atm", 2.5, 74.80325, 1e-12},
        {UnitKind::pressure, "atm", 1.0, 29.9213, 0.0},
        {UnitKind::pressure, "torr", 760.0, 29.921259842519685, 0.0},
        // One standard atmosphere in each, to the factors' six figures.
        {UnitKind::pressure, "hPa", 1013.25, 29.92142, 5e-6},
        {UnitKind::pressure, "psi", 14.6959, 29.9213, 2e-4},
        {UnitKind::temperature, "K", 273.15, 32.0, 0.0},
        {UnitKind::temperature, "kelvin", 373.15, 212.0, 1e-12},
        {UnitKind::temperature, "K", 0.0, -459.67, 1e-12},
        {UnitKind::temperature, "celsius", 100.0, 212.0, 0.0},
        {UnitKind::temperature, "Fahrenheit", 75.0, 75.0, 0.0},
        {UnitKind::distance, "m", 1000.0, 3280.8, 0.0},
    };
    for (const Case& c : cases) {
        const auto index = unit_index(c.kind, c.unit);
        ASSERT_TRUE(index.has_value()) << c.unit;
        const Unit& unit = unit_at(c.kind, *index);
        const double internal = to_internal(c.value, unit);
        EXPECT_NEAR(internal, c.internal, c.tolerance) << c.unit << " " << c.value;
        EXPECT_NEAR(from_internal(internal, unit), c.value, 1e-12 * (1.0 + c.value)) << c.unit << " " << c.value;
        const double step = to_internal(c.value + 1.0, unit) - internal;
        EXPECT_NEAR(internal_per_unit(unit), step, 1e-9 * (1.0 + std::abs(c.value))) << c.unit;
    }
}

TEST(UnitTables, NamesGiveTheirIndex) {
    struct Case {
        UnitKind kind;
        std::string_view name;
        std::optional<int> index;
    };
    const Case cases[] = {
        // The dialog's own list texts, short names, other names; any case, blanks around ignored.
        {UnitKind::temperature, "Degrees F", 0},
        {UnitKind::temperature, "DEGREES c", 1},
        {UnitKind::temperature, "f", 0},
        {UnitKind::temperature, "celsius", 1},
        {UnitKind::temperature, "Kelvin", 2},
        {UnitKind::pressure, "In Hg", 0},
        {UnitKind::pressure, " mm hg\t", 1},
        {UnitKind::pressure, "MMHG", 1},
        {UnitKind::pressure, "Torr", 1},
        {UnitKind::pressure, "bar", 2},
        {UnitKind::pressure, "kPa", 3},
        {UnitKind::pressure, "HPA", 4},
        {UnitKind::pressure, "millibar", 4},
        {UnitKind::pressure, "PSIA", 5},
        {UnitKind::pressure, " atm ", 6},
        {UnitKind::distance, "Meters", 1},
        {UnitKind::distance, "ft", 0},
        // Not units of their list: another list's unit, near misses, nothing at all.
        {UnitKind::temperature, "ft", std::nullopt},
        {UnitKind::temperature, "atm", std::nullopt},
        {UnitKind::pressure, "K", std::nullopt},
        {UnitKind::pressure, "Pa", std::nullopt},
        {UnitKind::pressure, "mm-Hg", std::nullopt},
        {UnitKind::pressure, "", std::nullopt},
        {UnitKind::distance, "metres", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(unit_index(c.kind, c.name), c.index) << info(c.kind).name << " unit name \"" << c.name << "\"";
    EXPECT_EQ(unknown_unit_message(UnitKind::pressure, "mmgh"),
              "unknown pressure unit \"mmgh\"; use In Hg or inHg, mm Hg or mmHg or torr, Bar, KPa, hPa or mbar or "
              "millibar, psi or psia, atm (any case); did you mean mmHg?");
}

}  // namespace
}  // namespace kestrane
