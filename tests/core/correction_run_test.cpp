// The correction run end to end: field texts and unit selections in, one
// message or four texts out.
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "core/correction_run.h"

namespace kestrane {
namespace {

const FieldTexts defaults = {"20.95", "30.00", "30.00", "75", "   0", " 50"};

FieldTexts with(Field field, std::string_view text, FieldTexts texts = defaults) {
    texts[static_cast<std::size_t>(field)] = text;
    return texts;
}

std::string describe(const FieldTexts& texts, UnitSelection s) {
    std::ostringstream out;
    for (auto t : texts)
        out << '"' << t.substr(0, 40) << "\" ";
    out << "units " << s.temperature << '/' << s.pressure << '/' << s.distance;
    return out.str();
}

struct ResultCase {
    const char* name;
    FieldTexts texts;
    UnitSelection units;
    // Calculated Gas (% Vol), Calculated Gas Pressure, Vapor Pressure (%), Corrected Barometer.
    const char* gas_pct;
    const char* gas_pressure;
    const char* vapor_pct;
    const char* barometer;
};

TEST(RunCorrection, Results) {
    const ResultCase cases[] = {
        {"defaults", defaults, {}, "20.64", "6.19", "1.5", "29.56"},
        {"dry air", with(Field::relative_humidity, "0"), {}, "20.95", "6.29", "0.0", "30.00"},
        {"saturated air", with(Field::relative_humidity, "100"), {}, "20.34", "6.10", "2.9", "29.13"},
        {"5000 feet", with(Field::altitude, "5000"), {}, "17.29", "5.19", "1.5", "24.76"},
        {"1000 meters", with(Field::altitude, "1000"), {0, 0, 1}, "18.38", "5.52", "1.5", "26.32"},
        {"25 degrees C", with(Field::temperature, "25"), {1, 0, 0}, "20.62", "6.19", "1.6", "29.53"},
        {"760 mm Hg: gas pressure in mm, barometer in inches",
         with(Field::barometric_pressure, "760", with(Field::target_pressure, "760")),
         {0, 1, 0},
         "20.64",
         "156.89",
         "1.5",
         "29.48"},
        // The exact tie 20.125 rounds away from zero.
        {"tie in the gas percentage",
         with(Field::target_gas, "20.125", with(Field::relative_humidity, "0")),
         {},
         "20.13",
         "6.04",
         "0.0",
         "30.00"},
        {"gas exactly 100 after single precision",
         with(Field::target_gas, "100.000001"),
         {},
         "98.54",
         "29.56",
         "1.5",
         "29.56"},
        {"negative zero gas", with(Field::target_gas, "-0"), {}, "-0.00", "-0.00", "1.5", "29.56"},
        {"altitude just inside the bound", with(Field::altitude, "-0.0005"), {}, "20.64", "6.19", "1.5", "29.56"},
        {"humidity at its lower bound shows negative zero",
         with(Field::relative_humidity, "-0.0001"),
         {},
         "20.95",
         "6.29",
         "-0.0",
         "30.00"},
        {"temperature has no range",
         with(Field::temperature, "-1000"),
         {},
         "-5771.32",
         "-1731.40",
         "27648.1",
         "-8264.42"},
        {"unit indices outside the tables convert as internal units",
         defaults,
         {-1, 4, 2},
         "20.64",
         "6.19",
         "1.5",
         "29.56"},
        {"trailing text after the numbers",
         {"20.95%", "30.00 in", "30.00inHg", "75F", "0 ft", "50 %"},
         {},
         "20.64",
         "6.19",
         "1.5",
         "29.56"},
    };
    for (const auto& c : cases) {
        const RunOutcome outcome = run_correction(c.texts, c.units);
        ASSERT_FALSE(outcome.refused()) << c.name << ": " << describe(c.texts, c.units) << " gave "
                                        << outcome.message();
        const ResultTexts& t = outcome.texts();
        EXPECT_EQ(t.calculated_gas_pct, c.gas_pct) << c.name << ": " << describe(c.texts, c.units);
        EXPECT_EQ(t.calculated_gas_pressure, c.gas_pressure) << c.name << ": " << describe(c.texts, c.units);
        EXPECT_EQ(t.vapor_pressure_pct, c.vapor_pct) << c.name << ": " << describe(c.texts, c.units);
        EXPECT_EQ(t.corrected_barometer, c.barometer) << c.name << ": " << describe(c.texts, c.units);
    }
}

// Pressure units give their own gas pressure; the corrected barometer stays in inches.
TEST(RunCorrection, PressureUnitsRoundTrip) {
    const struct {
        const char* pressure;
        int unit;
        const char* gas_pressure;
    } cases[] = {
        {"1.01592", 2, "0.21"},   // 30.00 in Hg in bar
        {"101.591", 3, "20.97"},  // 30.00 in Hg in kilopascals
    };
    for (const auto& c : cases) {
        const auto texts = with(Field::barometric_pressure, c.pressure, with(Field::target_pressure, c.pressure));
        const RunOutcome outcome = run_correction(texts, {0, c.unit, 0});
        ASSERT_FALSE(outcome.refused()) << c.pressure;
        EXPECT_EQ(outcome.texts().calculated_gas_pct, "20.64") << c.pressure;
        EXPECT_EQ(outcome.texts().calculated_gas_pressure, c.gas_pressure) << c.pressure;
        EXPECT_EQ(outcome.texts().corrected_barometer, "29.56") << c.pressure;
    }
}

struct RefusalCase {
    const char* name;
    FieldTexts texts;
    const char* message;
};

TEST(RunCorrection, Refusals) {
    const RefusalCase cases[] = {
        {"gas above 100", with(Field::target_gas, "100.0001"), "Error: Gas Percent Outside of Range"},
        {"gas below 0", with(Field::target_gas, "-0.01"), "Error: Gas Percent Outside of Range"},
        {"target pressure 0", with(Field::target_pressure, "0"), "Error: Target Pressure Outside of Range"},
        {"barometric pressure negative", with(Field::barometric_pressure, "-30"),
         "Error: Barometric Pressure Outside of Range"},
        {"altitude -0.001 is below the bound in single precision", with(Field::altitude, "-0.001"),
         "Error: Altitude Outside of Range"},
        {"humidity below its bound", with(Field::relative_humidity, "-0.0002"),
         "Error: Relative Humidity Outside of Range"},
        {"humidity above 100", with(Field::relative_humidity, "100.01"), "Error: Relative Humidity Outside of Range"},
        // The first refused field ends the run: no second message for a bad humidity.
        {"first failure wins", with(Field::relative_humidity, "500", with(Field::target_pressure, "0")),
         "Error: Target Pressure Outside of Range"},
        // A field with no number is refused with its own message, never given a
        // neighbour's value.
        {"empty gas", with(Field::target_gas, ""), "Error: Gas Percent Outside of Range"},
        {"blank target pressure", with(Field::target_pressure, "   "), "Error: Target Pressure Outside of Range"},
        {"word for barometric pressure", with(Field::barometric_pressure, "abc"),
         "Error: Barometric Pressure Outside of Range"},
        {"empty temperature", with(Field::temperature, ""), "Error: Temperature Outside of Range"},
        {"infinite temperature word", with(Field::temperature, "inf"), "Error: Temperature Outside of Range"},
        {"sign alone for altitude", with(Field::altitude, "-"), "Error: Altitude Outside of Range"},
        {"nan humidity", with(Field::relative_humidity, "nan"), "Error: Relative Humidity Outside of Range"},
        // A number too large for single precision would be infinite.
        {"infinite barometric pressure", with(Field::barometric_pressure, "1e39"),
         "Error: Barometric Pressure Outside of Range"},
        {"infinite temperature", with(Field::temperature, "-1e39"), "Error: Temperature Outside of Range"},
    };
    for (const auto& c : cases) {
        const RunOutcome outcome = run_correction(c.texts, {});
        ASSERT_TRUE(outcome.refused()) << c.name << ": " << describe(c.texts, {});
        EXPECT_EQ(outcome.message(), c.message) << c.name << ": " << describe(c.texts, {});
    }
}

// Where the height constant cancels the altitude the results are not finite,
// and they print as the C runtime's words, the same on every build. Single
// precision field texts cannot land exactly there, so the values are given directly.
TEST(RunCorrection, NonFiniteResults) {
    const struct {
        const char* name;
        CorrectionInputs inputs;
        ResultTexts expected;
    } cases[] = {
        // K == 0 at altitude 0: 0 / 0.
        {"height constant zero", {20.95, 30.0, 30.0, -418.00450004500044, 0.0, 50.0}, {"943.6", "nan", "nan", "nan"}},
        // Z + K == 0 with Z - K > 0: a positive number over zero, negated.
        {"altitude cancels the height constant",
         {20.95, 30.0, 30.0, -418.0047, 0.023324934389894837, 50.0},
         {"943.6", "-inf", "-inf", "-inf"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(format_results(compute_correction(c.inputs, {})), c.expected) << c.name;
    }
}

TEST(RunCorrection, SecondRunGivesTheSameTexts) {
    const RunOutcome first = run_correction(defaults, {});
    const RunOutcome second = run_correction(defaults, {});
    ASSERT_FALSE(first.refused());
    ASSERT_FALSE(second.refused());
    EXPECT_EQ(first.texts(), second.texts());
}

TEST(RunCorrection, VeryLongFieldText) {
    const std::string gas = "20.95" + std::string(30000, '0');
    const RunOutcome outcome = run_correction(with(Field::target_gas, gas), {});
    ASSERT_FALSE(outcome.refused());
    EXPECT_EQ(outcome.texts().calculated_gas_pct, "20.64");
}

// The warnings hold exactly at their edges: the vapour pressure reaching the
// pressure at altitude, the temperature leaving 32 to 122 degrees F (in the
// unit it was given in, to the rounding of a field's value), a gas outside 0
// to 100 %, and a barometric pressure outside 250 to 1100 hPa, with the units
// in which its number would be one. The results stay those of compute_correction.
TEST(CorrectionWarnings, EdgesOfEachWarning) {
    const auto w = [](bool dry, bool fit, bool gas, bool barometer, std::uint32_t units = 0) {
        return CorrectionWarnings{dry, fit, gas, barometer, units};
    };
    // The same warnings, and the target pressure's with the units that would fit it.
    const auto target = [](CorrectionWarnings x, std::uint32_t units) {
        x.target_pressure_implausible = true;
        x.plausible_target_pressure_units = units;
        return x;
    };
    const auto as_typed = [](float value) { return static_cast<double>(value); };
    constexpr int kelvin = 2;
    constexpr int hpa = 4;
    const struct {
        const char* name;
        CorrectionInputs inputs;
        UnitSelection units;
        CorrectionWarnings expected;
    } cases[] = {
        {"the defaults", {20.95, 30.0, 30.0, 75.0, 0.0, 50.0}, {}, w(false, false, false, false)},
        {"32 F, the curve's lower end", {20.95, 30.0, 30.0, 32.0, 0.0, 50.0}, {}, w(false, false, false, false)},
        {"just below 32 F", {20.95, 30.0, 30.0, 31.999, 0.0, 50.0}, {}, w(false, true, false, false)},
        {"122 F, the curve's upper end", {20.95, 30.0, 30.0, 122.0, 0.0, 50.0}, {}, w(false, false, false, false)},
        {"50 C is 122 F", {20.95, 30.0, 30.0, 50.0, 0.0, 50.0}, {1, 0, 0}, w(false, false, false, false)},
        {"0 C is 32 F", {20.95, 30.0, 30.0, 0.0, 0.0, 50.0}, {1, 0, 0}, w(false, false, false, false)},
        {"-0.1 C", {20.95, 30.0, 30.0, -0.1, 0.0, 50.0}, {1, 0, 0}, w(false, true, false, false)},
        // 273.15 K as a field reads it lies a little below 273.15, but not by more than its rounding.
        {"273.15 K as typed", {20.95, 30.0, 30.0, as_typed(273.15f), 0.0, 50.0}, {kelvin, 0, 0},
         w(false, false, false, false)},
        {"323.15 K as typed", {20.95, 30.0, 30.0, as_typed(323.15f), 0.0, 50.0}, {kelvin, 0, 0},
         w(false, false, false, false)},
        {"273.149 K", {20.95, 30.0, 30.0, as_typed(273.149f), 0.0, 50.0}, {kelvin, 0, 0}, w(false, true, false, false)},
        {"300 F: vapour above the barometer", {20.95, 30.0, 30.0, 300.0, 0.0, 50.0}, {}, w(true, true, true, false)},
        // Saturated air at 122 F holds 3.645 in Hg of vapour; 3.65 is a pressure only in psi.
        {"vapour just below the pressure", {20.95, 30.0, 3.65, 122.0, 0.0, 100.0}, {},
         w(false, false, false, true, 1U << 5)},
        {"vapour just above the pressure", {20.95, 30.0, 3.64, 122.0, 0.0, 100.0}, {},
         w(true, false, true, true, 1U << 5)},
        // Above about 57,500 ft at 75 F the height formula turns the pressure negative.
        {"beyond the height formula", {20.95, 30.0, 30.0, 75.0, 60000.0, 0.0}, {}, w(true, false, true, false)},
        {"the height formula's pole", {20.95, 30.0, 30.0, -418.00450004500044, 0.0, 50.0}, {},
         w(true, true, false, false)},
        {"a gas above 100 %", {50.0, 10.0, 30.0, 75.0, 0.0, 50.0}, {}, w(false, false, true, false)},
        {"hPa meant, In Hg read", {20.95, 1013.25, 1002.0, 75.0, 0.0, 50.0}, {},
         target(w(false, false, false, true, 1U << hpa), 1U << hpa)},
        {"hPa meant for the target pressure alone", {20.95, 1013.25, 30.0, 75.0, 0.0, 50.0}, {},
         target(w(false, false, false, false), 1U << hpa)},
        {"mm Hg meant for the target pressure", {20.95, 760.0, 29.92, 75.0, 0.0, 50.0}, {},
         target(w(false, false, false, false), 0x12)},
        {"1002 hPa", {20.95, 1013.25, 1002.0, 75.0, 0.0, 50.0}, {0, hpa, 0}, w(false, false, false, false)},
        {"one: a pressure in Bar or atm", {20.95, 1.0, 1.0, 75.0, 0.0, 50.0}, {},
         target(w(false, false, false, true, 0x44), 0x44)},
        {"250 hPa", {20.95, 1013.25, 250.0, 75.0, 0.0, 0.0}, {0, hpa, 0}, w(false, false, false, false)},
        {"1100 hPa", {20.95, 1013.25, 1100.0, 75.0, 0.0, 0.0}, {0, hpa, 0}, w(false, false, false, false)},
        {"1100.1 hPa", {20.95, 1013.25, 1100.1, 75.0, 0.0, 0.0}, {0, hpa, 0}, w(false, false, false, true)},
    };
    for (const auto& c : cases) {
        CorrectionWarnings both;
        const CorrectionResults results = compute_correction(c.inputs, c.units, both);
        EXPECT_EQ(both, c.expected) << c.name;
        EXPECT_EQ(format_results(results), format_results(compute_correction(c.inputs, c.units))) << c.name;
    }
}

TEST(CorrectionWarnings, Texts) {
    CorrectionWarnings all{true, true, true, true, 0x44};
    EXPECT_EQ(warning_texts(all, {}),
              (std::vector<std::string>{
                  "the water vapor pressure reaches the pressure at this altitude: no dry gas is left, so the results "
                  "are not physical",
                  "the temperature lies outside 32 to 122 degrees F (0 to 50 degrees C), the range the vapor pressure "
                  "curve was fitted to",
                  "the calculated gas lies outside 0 to 100 %, which no gas can have: check the inputs and their units",
                  "the barometric pressure, read in In Hg, lies outside what any weather gives (250 to 1100 hPa): is "
                  "the unit Bar or atm?"}));
    EXPECT_EQ(joined_warning_texts({false, false, false, false, 0, true, 0x44}, {}),
              "the target pressure, read in In Hg, lies outside what any weather gives (250 to 1100 hPa): is the "
              "unit Bar or atm?");
    EXPECT_EQ(joined_warning_texts({false, false, false, true, 0}, {0, 4, 0}),
              "the barometric pressure, read in hPa, lies outside what any weather gives (250 to 1100 hPa)");
}

// The lengths read_fields gives are those of the numbers it scanned, up to the refused field.
TEST(ReadFields, LengthsOfTheScannedNumbers) {
    ScanLengths lengths{};
    const auto read = read_fields({" 20.95%", "30", "0", "75F", "abc", "50"}, lengths);
    ASSERT_TRUE(std::holds_alternative<Field>(read));
    EXPECT_EQ(std::get<Field>(read), Field::barometric_pressure);
    EXPECT_EQ(lengths[0], 6u);
    EXPECT_EQ(lengths[1], 2u);
    EXPECT_EQ(lengths[2], 1u);
}

}  // namespace
}  // namespace kestrane
