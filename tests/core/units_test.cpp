// Unit tables: list texts in order and the conversions into and out of the
// internal units, including indices outside the tables.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace kestrane
