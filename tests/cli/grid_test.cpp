// Axes (ranges and lists) and the tables written over a grid.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/grid.h"

namespace kestrane::cli {
namespace {

using Texts = std::vector<std::string>;

struct AxisCase {
    const char* name;
    std::string axis;
    Texts texts;
};

TEST(AxisTexts, RangesAndLists) {
    const AxisCase cases[] = {
        {"WholeSteps", "0:100:25", {"0", "25", "50", "75", "100"}},
        // 0.3 / 0.1 is 2.9999999999999996 in binary; the stop is still reached.
        {"TenthsReachTheStop", "0:0.3:0.1", {"0.0", "0.1", "0.2", "0.3"}},
        {"TenthsToOne", "0:1:0.1", {"0.0", "0.1", "0.2", "0.3", "0.4", "0.5", "0.6", "0.7", "0.8", "0.9", "1.0"}},
        {"StopBetweenSteps", "0:1:0.3", {"0.0", "0.3", "0.6", "0.9"}},
        {"Descending", "10:0:-5", {"10", "5", "0"}},
        {"AcrossZero", "-1:1:0.5", {"-1.0", "-0.5", "0.0", "0.5", "1.0"}},
        {"DecimalsOfStartKept", "20.95:21:1", {"20.95"}},
        {"PlusSigns", "+1:+3:+1", {"1", "2", "3"}},
        {"OnePoint", "5:5:1", {"5"}},
        {"ListItemsAsTheyStand", " 50,abc,1e2", {" 50", "abc", "1e2"}},
        {"ListWithEmptyItems", ",5,", {"", "5", ""}},
    };
    for (const auto& c : cases) {
        std::string error;
        const auto texts = axis_texts(c.axis, error);
        ASSERT_TRUE(texts.has_value()) << c.name << ": axis \"" << c.axis << "\": " << error;
        EXPECT_EQ(*texts, c.texts) << c.name << ": axis \"" << c.axis << "\"";
    }
}

TEST(AxisTexts, BadRangesSayWhy) {
    const std::pair<std::string, std::string> cases[] = {
        {"0:1:0", "range \"0:1:0\" has a step of zero"},
        {"0:10:-1", "range \"0:10:-1\" steps away from its stop"},
        {"10:0:1", "range \"10:0:1\" steps away from its stop"},
        {"1:2", "range \"1:2\" is not start:stop:step"},
        {"1:2:3:4", "range \"1:2:3:4\" is not start:stop:step"},
        {"0:1e3:1", "range \"0:1e3:1\" takes plain decimal numbers (such as -12.5)"},
        {"0:x:1", "range \"0:x:1\" takes plain decimal numbers (such as -12.5)"},
        {":1:1", "range \":1:1\" takes plain decimal numbers (such as -12.5)"},
        {"0:1:.", "range \"0:1:.\" takes plain decimal numbers (such as -12.5)"},
        {"0:10000:1", "range \"0:10000:1\" has more than 10000 points"},
    };
    for (const auto& [axis, message] : cases) {
        std::string error;
        EXPECT_FALSE(axis_texts(axis, error).has_value()) << "axis \"" << axis << "\"";
        EXPECT_EQ(error, message) << "axis \"" << axis << "\"";
    }
    std::string error;
    const auto largest = axis_texts("1:10000:1", error);
    ASSERT_TRUE(largest.has_value()) << error;
    EXPECT_EQ(largest->size(), max_axis_points);
}

struct GridCase {
    const char* name;
    GridOptions options;
    std::string table;
};

TEST(WriteGrid, Tables) {
    GridOptions altitude_humidity;
    altitude_humidity.field_values[4] = "0,5000";
    altitude_humidity.field_values[5] = "0:100:50";

    GridOptions gas_csv;
    gas_csv.field_values[0] = "99:101:0.5";
    gas_csv.format = GridFormat::csv;

    GridOptions celsius_mm_hg;
    celsius_mm_hg.units = {1, 1, 0};
    celsius_mm_hg.field_values[1] = "760";
    celsius_mm_hg.field_values[2] = "760";
    celsius_mm_hg.field_values[3] = "20:30:5";

    GridOptions refused_text;
    refused_text.field_values[1] = "0,30";
    refused_text.field_values[5] = "50,\"x\"";

    const GridCase cases[] = {
        {"TextLastAxisFastest", altitude_humidity,
         "Altitude (Feet)  Relative Humidity (%)  Calculated Gas (% Vol)  Calculated Gas Pressure (In Hg)  "
         "Vapor Pressure (%)  Corrected Barometer (In Hg)\n"
         "              0                      0                   20.95                             6.29  "
         "               0.0                        30.00\n"
         "              0                     50                   20.64                             6.19  "
         "               1.5                        29.56\n"
         "              0                    100                   20.34                             6.10  "
         "               2.9                        29.13\n"
         "           5000                      0                   17.60                             5.28  "
         "               0.0                        25.20\n"
         "           5000                     50                   17.29                             5.19  "
         "               1.5                        24.76\n"
         "           5000                    100                   16.99                             5.10  "
         "               2.9                        24.33\n"},
        {"CsvWithRefusedRows", gas_csv,
         "target_gas,calculated_gas_pct,calculated_gas_pressure,vapor_pressure_pct,corrected_barometer,error\n"
         "99.0,97.56,29.27,1.5,29.56,\n"
         "99.5,98.05,29.42,1.5,29.56,\n"
         "100.0,98.54,29.56,1.5,29.56,\n"
         "100.5,,,,,Error: Gas Percent Outside of Range\n"
         "101.0,,,,,Error: Gas Percent Outside of Range\n"},
        // The gas pressure is in the chosen unit, the corrected barometer always in inches.
        {"UnitsInHeadings", celsius_mm_hg,
         "Temperature (Degrees C)  Calculated Gas (% Vol)  Calculated Gas Pressure (mm Hg)  Vapor Pressure (%)  "
         "Corrected Barometer (In Hg)\n"
         "                     20                   20.71                           157.38                 1.2  "
         "                      29.58\n"
         "                     25                   20.62                           156.74                 1.6  "
         "                      29.45\n"
         "                     30                   20.51                           155.89                 2.1  "
         "                      29.30\n"},
        {"TextMessageColumnWhenRefused", refused_text,
         "Target Pressure (In Hg)  Relative Humidity (%)  Calculated Gas (% Vol)  Calculated Gas Pressure (In "
         "Hg)  Vapor Pressure (%)  Corrected Barometer (In Hg)  Message\n"
         "                      0                     50                                                      "
         "                                                      Error: Target Pressure Outside of Range\n"
         "                      0                    \"x\"                                                      "
         "                                                      Error: Target Pressure Outside of Range\n"
         "                     30                     50                   20.64                             6"
         ".19                 1.5                        29.56\n"
         "                     30                    \"x\"                                                      "
         "                                                      Error: Relative Humidity Outside of Range\n"},
    };
    for (const auto& c : cases) {
        std::ostringstream out;
        std::string error;
        EXPECT_TRUE(write_grid(c.options, out, error)) << c.name << ": " << error;
        EXPECT_EQ(out.str(), c.table) << c.name;
    }
}

TEST(WriteGrid, RefusedGridsWriteNothing) {
    GridOptions no_axis;
    GridOptions bad_range;
    bad_range.field_values[3] = "0:10:0";
    GridOptions too_large;
    too_large.field_values[0] = "0:99:1";
    too_large.field_values[3] = "0:99:1";
    too_large.field_values[5] = "0:100:1";  // 100 x 100 x 101 rows

    const std::pair<GridOptions, std::string> cases[] = {
        {no_axis, "no field varies: give one a range (start:stop:step) or a list (a,b,c)"},
        {bad_range, "temperature: range \"0:10:0\" has a step of zero"},
        {too_large, "the grid has more than 1000000 rows"},
    };
    for (const auto& [options, message] : cases) {
        std::ostringstream out;
        std::string error;
        EXPECT_FALSE(write_grid(options, out, error)) << message;
        EXPECT_EQ(error, message);
        EXPECT_EQ(out.str(), "") << message;
    }
}

}  // namespace
}  // namespace kestrane::cli
