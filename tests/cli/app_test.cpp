// The command line end to end, in-process: arguments and standard input in,
// standard output, standard error and the exit status out.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "cli/app.h"

namespace kestrane::cli {
namespace {

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

CliRun run(std::initializer_list<const char*> args, const std::string& input = "") {
    std::vector<const char*> argv = {"kestrane-cli"};
    argv.insert(argv.end(), args.begin(), args.end());
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    const int status = run_cli(static_cast<int>(argv.size()), argv.data(), in, out, err);
    return {status, out.str(), err.str()};
}

std::string joined(std::initializer_list<const char*> args) {
    std::string text;
    for (const char* arg : args)
        text.append(" [").append(arg).append("]");
    return text;
}

struct CliCase {
    std::initializer_list<const char*> args;
    std::string input;
    int status;
    std::string out;
    std::string err;
};

const std::string log_headings =
    "calculated_gas_pct,calculated_gas_pressure,vapor_pressure_pct,corrected_barometer,error\n";

TEST(RunCli, ReadingsLogsAndGrids) {
    const CliCase cases[] = {
        // One reading: the dialog's defaults unless an option changes a field or a unit.
        {{},
         "",
         0,
         "Calculated Gas (% Vol): 20.64\nCalculated Gas Pressure: 6.19 In Hg\nVapor Pressure (%): 1.5\n"
         "Corrected Barometer: 29.56 In Hg\n",
         ""},
        {{"--altitude", "1000", "--distance-unit", "m"},
         "",
         0,
         "Calculated Gas (% Vol): 18.38\nCalculated Gas Pressure: 5.52 In Hg\nVapor Pressure (%): 1.5\n"
         "Corrected Barometer: 26.32 In Hg\n",
         ""},
        {{"--temperature", "25", "--temperature-unit", "Degrees C"},
         "",
         0,
         "Calculated Gas (% Vol): 20.62\nCalculated Gas Pressure: 6.19 In Hg\nVapor Pressure (%): 1.6\n"
         "Corrected Barometer: 29.53 In Hg\n",
         ""},
        {{"--pressure-unit", "mmHg", "--target-pressure", "760", "--barometer=760"},
         "",
         0,
         "Calculated Gas (% Vol): 20.64\nCalculated Gas Pressure: 156.89 mm Hg\nVapor Pressure (%): 1.5\n"
         "Corrected Barometer: 29.48 In Hg\n",
         ""},
        // Negative values are values, not options.
        {{"--humidity", "-0.0001"},
         "",
         0,
         "Calculated Gas (% Vol): 20.95\nCalculated Gas Pressure: 6.29 In Hg\nVapor Pressure (%): -0.0\n"
         "Corrected Barometer: 30.00 In Hg\n",
         ""},
        {{"--altitude", "-0.001"}, "", exit_refused, "", "Error: Altitude Outside of Range\n"},
        {{"--target-pressure", "0", "--humidity", "abc"},
         "",
         exit_refused,
         "",
         "Error: Target Pressure Outside of Range\n"},
        {{"--gas", ""}, "", exit_refused, "", "Error: Gas Percent Outside of Range\n"},
        // A log on standard input; options after the command still count.
        {{"csv", "--humidity", "0"}, "gas\n20.125\n", 0, "gas," + log_headings + "20.125,20.13,6.04,0.0,30.00,\n", ""},
        {{"csv", "-", "-d", "tab"},
         "gas\trh\n20.95\t100\n",
         0,
         "gas\trh\tcalculated_gas_pct\tcalculated_gas_pressure\tvapor_pressure_pct\tcorrected_barometer\terror\n"
         "20.95\t100\t20.34\t6.10\t2.9\t29.13\t\n",
         ""},
        {{"csv"},
         "gas\n20.95\n1\n101\n",
         0,
         "gas," + log_headings +
             "20.95,20.64,6.19,1.5,29.56,\n1,0.99,0.30,1.5,29.56,\n"
             "101,,,,,Error: Gas Percent Outside of Range\n",
         ""},
        {{"csv"},
         "gas,rh\n1\n",
         exit_data,
         "gas,rh," + log_headings,
         "kestrane-cli: standard input: line 2: 1 cell, but the heading row has 2\n"},
        // A grid.
        {{"grid", "--format", "csv", "--humidity", "0,100", "--altitude", "5000"},
         "",
         0,
         "relative_humidity," + log_headings + "0,17.60,5.28,0.0,25.20,\n100,16.99,5.10,2.9,24.33,\n",
         ""},
        {{"grid"},
         "",
         exit_data,
         "",
         "kestrane-cli: no field varies: give one a range (start:stop:step) or a list (a,b,c)\n"},
        {{"grid", "--gas", "0:1:0"},
         "",
         exit_data,
         "",
         "kestrane-cli: target_gas: range \"0:1:0\" has a step of zero\n"},
        // Command lines that are not understood.
        {{"--pressure-unit", "psi"},
         "",
         exit_usage,
         "",
         "kestrane-cli: unknown pressure unit \"psi\" (inHg, mmHg, bar or kPa)\n"},
        {{"--temperature-unit", "K"}, "", exit_usage, "", "kestrane-cli: unknown temperature unit \"K\" (F or C)\n"},
        {{"--distance-unit", "yd"}, "", exit_usage, "", "kestrane-cli: unknown distance unit \"yd\" (ft or m)\n"},
        {{"csv", "-d", ";;"}, "gas\n1\n", exit_usage, "", "kestrane-cli: the delimiter is one character, or \"tab\"\n"},
        {{"csv", "no-such-log.csv"}, "", exit_data, "", "kestrane-cli: cannot read no-such-log.csv\n"},
        {{"--version"}, "", 0, "kestrane-cli 1.0.0.1\n", ""},
    };
    for (const auto& c : cases) {
        const CliRun got = run(c.args, c.input);
        EXPECT_EQ(got.status, c.status) << "arguments" << joined(c.args) << ", stderr: " << got.err;
        EXPECT_EQ(got.out, c.out) << "arguments" << joined(c.args);
        EXPECT_EQ(got.err, c.err) << "arguments" << joined(c.args);
    }
}

TEST(RunCli, CommandLineErrorsGoToStandardError) {
    for (const auto args : {std::initializer_list<const char*>{"--bogus"},
                            {"--altitude"},
                            {"grid", "--format", "xml"},
                            {"csv", "a.csv", "b.csv"},
                            {"nonsense"}}) {
        const CliRun got = run(args);
        EXPECT_EQ(got.status, exit_usage) << "arguments" << joined(args);
        EXPECT_EQ(got.out, "") << "arguments" << joined(args);
        EXPECT_NE(got.err.find("Run with --help for more information."), std::string::npos)
            << "arguments" << joined(args) << ", stderr: " << got.err;
    }
}

std::string read_file(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(RunCli, LogFileInOutputFileOut) {
    const char* log_path = "run_cli_test_log.csv";
    const char* out_path = "run_cli_test_out.csv";
    {
        std::ofstream log(log_path, std::ios::binary);
        log << "altitude;rh\r\n5000;50\r\n";
    }
    const CliRun got = run({"csv", log_path, "--delimiter", ";", "-o", out_path});
    EXPECT_EQ(got.status, 0) << got.err;
    EXPECT_EQ(got.out, "");
    EXPECT_EQ(read_file(out_path),
              "altitude;rh;calculated_gas_pct;calculated_gas_pressure;vapor_pressure_pct;corrected_barometer;error\n"
              "5000;50;17.29;5.19;1.5;24.76;\n");

    const CliRun grid = run({"grid", "--humidity", "0,100", "-o", out_path});
    EXPECT_EQ(grid.status, 0) << grid.err;
    EXPECT_EQ(read_file(out_path),
              "Relative Humidity (%)  Calculated Gas (% Vol)  Calculated Gas Pressure (In Hg)  Vapor Pressure (%)  "
              "Corrected Barometer (In Hg)\n"
              "                    0                   20.95                             6.29                 0.0  "
              "                      30.00\n"
              "                  100                   20.34                             6.10                 2.9  "
              "                      29.13\n");
    // The log itself as the output: refused before anything is truncated.
    const CliRun onto_itself = run({"csv", log_path, "-d", ";", "-o", log_path});
    EXPECT_EQ(onto_itself.status, exit_usage);
    EXPECT_EQ(onto_itself.err,
              "kestrane-cli: the output run_cli_test_log.csv is the log being read; write it elsewhere\n");
    EXPECT_EQ(read_file(log_path), "altitude;rh\r\n5000;50\r\n");

    std::remove(log_path);
    std::remove(out_path);

    const CliRun unwritable = run({"csv", "-o", "no-such-folder/out.csv"}, "gas\n1\n");
    EXPECT_EQ(unwritable.status, exit_data);
    EXPECT_EQ(unwritable.err, "kestrane-cli: cannot write no-such-folder/out.csv\n");
}

}  // namespace
}  // namespace kestrane::cli
