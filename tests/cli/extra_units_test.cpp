// The command line's own units against values worked out by hand, and a
// reading in them end to end.
#include <gtest/gtest.h>

#include "cli/extra_units.h"
#include "cli/vocabulary.h"

namespace kestrane::cli {
namespace {

struct ConversionCase {
    UnitKind kind;
    const char* unit;
    double value;
    double first_unit;  // in inches of mercury or degrees F
    double tolerance;
};

TEST(ExtraUnits, IntoTheFirstUnitAndBack) {
    const ConversionCase cases[] = {
        // 30 x 33.8637 = 1015.911 hPa; 60 x 0.491154 = 29.46924 psi; 2.5 x 29.9213 = 74.80325 inHg.
        {UnitKind::pressure, "hPa", 1015.911, 30.0, 1e-12},
        {UnitKind::pressure, "mbar", 1015.911, 30.0, 1e-12},
        {UnitKind::pressure, "psi", 29.46924, 60.0, 1e-12},
        {UnitKind::pressure, "atm", 2.5, 74.80325, 1e-12},
        {UnitKind::pressure, "atm", 1.0, 29.9213, 0.0},
        // One standard atmosphere in each, to the factors' six figures: 1013.25 hPa
        // is 101.325 kPa, which the dialog's kPa factor makes 29.92142 inHg.
        {UnitKind::pressure, "hPa", 1013.25, 29.92142, 5e-6},
        {UnitKind::pressure, "hPa", 1013.25, 29.9213, 2e-4},
        {UnitKind::pressure, "psi", 14.6959, 29.9213, 2e-4},
        // (K - 273.15) x 1.8 + 32.
        {UnitKind::temperature, "K", 273.15, 32.0, 0.0},
        {UnitKind::temperature, "kelvin", 373.15, 212.0, 1e-12},
        {UnitKind::temperature, "K", 298.15, 77.0, 1e-12},
        {UnitKind::temperature, "K", 0.0, -459.67, 1e-12},
    };
    for (const auto& c : cases) {
        const auto index = unit_index(c.kind, c.unit);
        ASSERT_TRUE(index.has_value()) << c.unit;
        CorrectionInputs inputs{20.95, c.value, c.value, c.value, 0.0, 50.0};
        UnitSelection units;
        units.*info(c.kind).selection = *index;
        const UnitSelection dialog = to_dialog_units(inputs, units);
        EXPECT_EQ(dialog.*info(c.kind).selection, 0) << c.unit << " " << c.value;
        const double converted = c.kind == UnitKind::pressure ? inputs.barometric_pressure : inputs.temperature;
        EXPECT_NEAR(converted, c.first_unit, c.tolerance) << c.unit << " " << c.value;
        if (c.kind == UnitKind::pressure) {
            EXPECT_EQ(inputs.target_pressure, inputs.barometric_pressure) << c.unit << " " << c.value;
            // The gas pressure comes back by the inverse operation with the same factor.
            EXPECT_NEAR(gas_pressure_in(converted, units), c.value, 1e-12 * c.value) << c.unit << " " << c.value;
        }
    }
}

TEST(ExtraUnits, TheDialogsUnitsPassThroughUntouched) {
    for (int pressure = 0; pressure < 4; ++pressure) {
        CorrectionInputs inputs{20.95, 760.0, 748.0, 25.0, 0.0, 50.0};
        const UnitSelection units{1, pressure, 1};
        const UnitSelection dialog = to_dialog_units(inputs, units);
        EXPECT_EQ(dialog.temperature, 1);
        EXPECT_EQ(dialog.pressure, pressure);
        EXPECT_EQ(inputs.target_pressure, 760.0) << "pressure unit " << pressure;
        EXPECT_EQ(inputs.temperature, 25.0);
        EXPECT_EQ(gas_pressure_in(156.89, units), 156.89) << "pressure unit " << pressure;
    }
}

}  // namespace
}  // namespace kestrane::cli
