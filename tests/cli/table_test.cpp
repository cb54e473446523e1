// Ranges, the three formats of a table, and every cell against the single
// reading at the same inputs.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "table/calibration_table.h"
#include "tests/cli/cli_run.h"

namespace kestrane::cli {
namespace {

using Texts = std::vector<std::string>;

TEST(RangeTexts, ExactDecimalSteps) {
    const std::pair<std::string, Texts> cases[] = {
        {"0:100:25", {"0", "25", "50", "75", "100"}},
        // 0.3 / 0.1 is 2.9999999999999996 in binary; in decimal the stop is reached.
        {"0:0.3:0.1", {"0.0", "0.1", "0.2", "0.3"}},
        {"0:1:0.1", {"0.0", "0.1", "0.2", "0.3", "0.4", "0.5", "0.6", "0.7", "0.8", "0.9", "1.0"}},
        {"0.7:1:0.1", {"0.7", "0.8", "0.9", "1.0"}},
        {"0:1:0.3", {"0.0", "0.3", "0.6", "0.9"}},
        // The decimals of start and step, not of stop.
        {"0:1.25:0.5", {"0.0", "0.5", "1.0"}},
        {"10:0:-5", {"10", "5", "0"}},
        // No "-0.0" where the walk crosses zero.
        {"-1:1:0.5", {"-1.0", "-0.5", "0.0", "0.5", "1.0"}},
        {"20.95:21:1", {"20.95"}},
        {"+1:+3:+1", {"1", "2", "3"}},
        {"5:5:-1", {"5"}},
        {"-0.001:-0.0005:0.0005", {"-0.0010", "-0.0005"}},
        // The largest numbers: 15 digits.
        {"9999999999999.9:10000000000000.1:0.1", {"9999999999999.9", "10000000000000.0", "10000000000000.1"}},
    };
    for (const auto& [range, texts] : cases) {
        std::string error;
        const auto got = range_texts(range, error);
        ASSERT_TRUE(got.has_value()) << "range \"" << range << "\": " << error;
        EXPECT_EQ(*got, texts) << "range \"" << range << "\"";
    }
    std::string error;
    const auto largest = range_texts("1:10000:1", error);
    ASSERT_TRUE(largest.has_value()) << error;
    EXPECT_EQ(largest->size(), max_table_cells);
}

TEST(RangeTexts, BadRangesSayWhy) {
    const std::pair<std::string, std::string> cases[] = {
        {"0:1:0", "range \"0:1:0\" has a step of zero"},
        {"0:1:0.000", "range \"0:1:0.000\" has a step of zero"},
        {"0:10:-1", "range \"0:10:-1\" steps away from its stop"},
        {"10:0:1", "range \"10:0:1\" steps away from its stop"},
        {"0:10000:1", "range \"0:10000:1\" has more than 10000 values"},
        {"1:2", "range \"1:2\" is not START:STOP:STEP"},
        {"1:2:3:4", "range \"1:2:3:4\" is not START:STOP:STEP"},
        {"0:1e3:1", "range \"0:1e3:1\" takes plain decimal numbers of at most 15 digits, such as -12.5"},
        {":1:1", "range \":1:1\" takes plain decimal numbers of at most 15 digits, such as -12.5"},
        {"0:1:.", "range \"0:1:.\" takes plain decimal numbers of at most 15 digits, such as -12.5"},
        {"0:1: 1", "range \"0:1: 1\" takes plain decimal numbers of at most 15 digits, such as -12.5"},
        {"0:1:1234567890123456",
         "range \"0:1:1234567890123456\" takes plain decimal numbers of at most 15 "
         "digits, such as -12.5"},
        {"999999999999999:1:0.001", "range \"999999999999999:1:0.001\" has numbers too large for their decimals"},
    };
    for (const auto& [range, message] : cases) {
        std::string error;
        EXPECT_FALSE(range_texts(range, error).has_value()) << "range \"" << range << "\"";
        EXPECT_EQ(error, message) << "range \"" << range << "\"";
    }
}

TEST(ParseSweep, FieldAndRange) {
    std::string error;
    const auto sweep = parse_sweep("humidity=0:100:50", error);
    ASSERT_TRUE(sweep.has_value()) << error;
    EXPECT_EQ(sweep->field, Field::relative_humidity);
    EXPECT_EQ(sweep->texts, (Texts{"0", "50", "100"}));

    const std::pair<std::string, std::string> bad[] = {
        {"altitude", "\"altitude\" is not FIELD=START:STOP:STEP"},
        {"rh=0:1:1",
         "unknown field \"rh\" in \"rh=0:1:1\"; use target_gas, target_pressure, barometric_pressure, temperature, "
         "altitude, relative_humidity"},
        {"altitude=0:1:0", "range \"0:1:0\" has a step of zero"},
    };
    for (const auto& [text, message] : bad) {
        EXPECT_FALSE(parse_sweep(text, error).has_value()) << text;
        EXPECT_EQ(error, message) << text;
    }
}

std::string joined(const std::vector<std::string>& args) {
    std::string text;
    for (const std::string& arg : args)
        text.append(" [").append(arg).append("]");
    return text;
}

std::vector<std::string> split_commas(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = line.find(',', start);
        fields.push_back(line.substr(start, comma - start));
        if (comma == std::string::npos)
            return fields;
        start = comma + 1;
    }
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

struct SweepCase {
    std::string row_field;   // as the table names it
    std::string row_option;  // the single reading's option for it
    std::string rows;
    std::string column_field;
    std::string column_option;
    std::string columns;
    std::vector<std::string> fixed;  // options for the table and each reading alike
    std::string result;
    std::string label;  // the result's line in a single reading
};

// Each cell of a table (CSV format, which is the easiest to take apart) is the
// text the single reading at the same inputs prints, or the mark of its
// message when that reading is refused.
TEST(Table, CellsAreSingleReadings) {
    const SweepCase cases[] = {
        {"altitude",
         "--altitude",
         "0:10000:2500",
         "temperature",
         "--temperature",
         "32:104:18",
         {"--humidity", "50"},
         "gas-pct",
         "Calculated Gas (% Vol)"},
        {"relative_humidity",
         "--humidity",
         "-0.0002:100.0001:25.00005",
         "target_gas",
         "--gas",
         "0:100.5:20.1",
         {"--altitude", "-0.0005"},
         "vapor-pct",
         "Vapor Pressure (%)"},
        {"barometric_pressure",
         "--barometric-pressure",
         "0:800:200",
         "temperature",
         "--temperature",
         "-10:40:25",
         {"--pressure-unit", "mm Hg", "--temperature-unit", "c", "--target-pressure", "760"},
         "gas-pressure",
         "Calculated Gas Pressure"},
        {"target_pressure",
         "--target-pressure",
         "90:110:10",
         "altitude",
         "--altitude",
         "-0.002:3000:1000",
         {"--pressure-unit", "kPa", "--distance-unit", "Meters", "--barometric-pressure", "101.3"},
         "barometer",
         "Corrected Barometer"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"table",
                                         "--rows",
                                         c.row_field + "=" + c.rows,
                                         "--columns",
                                         c.column_field + "=" + c.columns,
                                         "--result",
                                         c.result,
                                         "--format",
                                         "csv"};
        args.insert(args.end(), c.fixed.begin(), c.fixed.end());
        const CliRun table = run(args);
        ASSERT_EQ(table.status, 0) << joined(args) << ": " << table.err;
        const std::vector<std::string> lines = lines_of(table.out);
        const std::vector<std::string> notes = lines_of(table.err);
        ASSERT_GE(lines.size(), 2u) << joined(args);
        const std::vector<std::string> header = split_commas(lines[0]);
        std::size_t cells = 0;
        for (std::size_t l = 1; l < lines.size(); ++l) {
            const std::vector<std::string> row = split_commas(lines[l]);
            ASSERT_EQ(row.size(), header.size()) << joined(args) << ": line " << lines[l];
            for (std::size_t c2 = 1; c2 < row.size(); ++c2) {
                std::vector<std::string> reading = {c.row_option, row[0], c.column_option, header[c2]};
                reading.insert(reading.end(), c.fixed.begin(), c.fixed.end());
                const CliRun single = run(reading);
                ++cells;
                if (single.status == exit_refused) {
                    // The mark's legend line, with the titles on standard error, gives exactly the reading's message.
                    const std::string legend = row[c2] + ": " + single.err.substr(0, single.err.size() - 1);
                    EXPECT_NE(std::find(notes.begin(), notes.end(), legend), notes.end())
                        << joined(reading) << ": cell " << row[c2] << ", no legend line " << legend;
                    continue;
                }
                ASSERT_EQ(single.status, 0) << joined(reading) << ": " << single.err;
                const std::size_t at = single.out.find(c.label + ": ");
                ASSERT_NE(at, std::string::npos) << joined(reading);
                const std::size_t from = at + c.label.size() + 2;
                // The cell's text is the result's, without the unit a single reading names after a pressure.
                EXPECT_EQ(row[c2], single.out.substr(from, single.out.find_first_of(" \n", from) - from))
                    << joined(reading) << " (table" << joined(args) << ")";
            }
        }
        EXPECT_GE(cells, 12u) << joined(args);
    }
}

TEST(Table, FourFormats) {
    const std::vector<std::string> sweep = {"table", "--rows", "humidity=0:150:50", "--columns",
                                            "altitude=0:5000:5000"};
    const std::string titles =
        "Calculated Gas (% Vol) by relative humidity (%) down and altitude (Feet) across\n"
        "Fixed: target gas 20.95 %; target pressure 30.00 In Hg; barometric pressure 30.00 In Hg; temperature 75 "
        "Degrees F\n";
    const std::string notes = titles + "Units: Degrees F, In Hg, Feet\nE6: Error: Relative Humidity Outside of Range\n";
    struct FormatCase {
        std::string format;
        std::string out;
        std::string err;
    };
    const FormatCase cases[] = {
        {"text",
         titles + "Units: Degrees F, In Hg, Feet\n"
                  "\n"
                  "relative humidity \\ altitude      0   5000\n"
                  "                           0  20.95  17.60\n"
                  "                          50  20.64  17.29\n"
                  "                         100  20.34  16.99\n"
                  "                         150     E6     E6\n"
                  "\n"
                  "E6: Error: Relative Humidity Outside of Range\n",
         ""},
        // The data alone on standard output, the titles and legend on standard error.
        {"csv",
         "relative humidity (%) \\ altitude (Feet),0,5000\n"
         "0,20.95,17.60\n"
         "50,20.64,17.29\n"
         "100,20.34,16.99\n"
         "150,E6,E6\n",
         notes},
        {"long",
         "relative_humidity,altitude,calculated_gas_pct,unit,error,warning\n"
         "0,0,20.95,%,,\n"
         "0,5000,17.60,%,,\n"
         "50,0,20.64,%,,\n"
         "50,5000,17.29,%,,\n"
         "100,0,20.34,%,,\n"
         "100,5000,16.99,%,,\n"
         "150,0,,%,Error: Relative Humidity Outside of Range,\n"
         "150,5000,,%,Error: Relative Humidity Outside of Range,\n",
         notes},
        {"md",
         "**Calculated Gas (% Vol) by relative humidity (%) down and altitude (Feet) across**\n"
         "\n"
         "Fixed: target gas 20.95 %; target pressure 30.00 In Hg; barometric pressure 30.00 In Hg; temperature 75 "
         "Degrees F\n"
         "\n"
         "Units: Degrees F, In Hg, Feet\n"
         "\n"
         "| relative humidity \\ altitude | 0 | 5000 |\n"
         "|---:|---:|---:|\n"
         "| 0 | 20.95 | 17.60 |\n"
         "| 50 | 20.64 | 17.29 |\n"
         "| 100 | 20.34 | 16.99 |\n"
         "| 150 | E6 | E6 |\n"
         "\n"
         "- E6: Error: Relative Humidity Outside of Range\n",
         ""},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = sweep;
        args.insert(args.end(), {"--format", c.format});
        const CliRun got = run(args);
        EXPECT_EQ(got.status, 0) << joined(args) << ": " << got.err;
        EXPECT_EQ(got.out, c.out) << joined(args);
        EXPECT_EQ(got.err, c.err) << joined(args);
        // --quiet drops the notes of the CSV formats, and nothing else.
        args.push_back("--quiet");
        const CliRun quiet = run(args);
        EXPECT_EQ(quiet.out, c.out) << joined(args);
        EXPECT_EQ(quiet.err, "") << joined(args);
    }
}

}  // namespace
}  // namespace kestrane::cli
