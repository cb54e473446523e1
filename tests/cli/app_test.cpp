// The command line end to end, in-process: arguments and standard input in,
// standard output, standard error and the exit status out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "core/uncertainty.h"
#include "log/csv.h"
#include <nlohmann/json.hpp>
#include "tests/cli/cli_run.h"

namespace kestrane::cli {
namespace {

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

// Runs each case and compares its exit status, standard output and standard error.
template <std::size_t N>
void expect_runs(const CliCase (&cases)[N]) {
    for (const auto& c : cases) {
        const CliRun got = run(c.args, c.input);
        EXPECT_EQ(got.status, c.status) << "arguments" << joined(c.args) << ", stderr: " << got.err;
        EXPECT_EQ(got.out, c.out) << "arguments" << joined(c.args) << ", input:\n" << c.input;
        EXPECT_EQ(got.err, c.err) << "arguments" << joined(c.args) << ", input:\n" << c.input;
    }
}

const std::string header = "target_gas,target_pressure,barometric_pressure,temperature,altitude,relative_humidity";
const std::string results =
    "calculated_gas_pct,calculated_gas_pressure,vapor_pressure_pct,corrected_barometer,error,warning\n";

TEST(RunCli, SingleReadings) {
    const CliCase cases[] = {
        // The dialog's defaults unless an option changes a field or a unit.
        {{},
         "",
         0,
         "Calculated Gas (% Vol): 20.64\nCalculated Gas Pressure: 6.19 In Hg\nVapor Pressure (%): 1.5\n"
         "Corrected Barometer: 29.56 In Hg\n",
         ""},
        {{"--altitude", "1000", "--distance-unit", "Meters"},
         "",
         0,
         "Calculated Gas (% Vol): 18.38\nCalculated Gas Pressure: 5.52 In Hg\nVapor Pressure (%): 1.5\n"
         "Corrected Barometer: 26.32 In Hg\n",
         ""},
        {{"--temperature", "25", "--temperature-unit", "c"},
         "",
         0,
         "Calculated Gas (% Vol): 20.62\nCalculated Gas Pressure: 6.19 In Hg\nVapor Pressure (%): 1.6\n"
         "Corrected Barometer: 29.53 In Hg\n",
         ""},
        {{"--pressure-unit", "MM HG", "--target-pressure", "760", "--barometric-pressure=760"},
         "",
         0,
         "Calculated Gas (% Vol): 20.64\nCalculated Gas Pressure: 156.89 mm Hg\nVapor Pressure (%): 1.5\n"
         "Corrected Barometer: 29.48 In Hg\n",
         ""},
        {{"--pressure-unit", "mmHg", "--target-pressure", "760", "--barometer", "760"},
         "",
         0,
         "Calculated Gas (% Vol): 20.64\nCalculated Gas Pressure: 156.89 mm Hg\nVapor Pressure (%): 1.5\n"
         "Corrected Barometer: 29.48 In Hg\n",
         ""},
        // The command line's own units: 1015.911 hPa is 30 inHg, so only the gas pressure
        // differs from the defaults' (6.19345 inHg x 33.8637 = 209.73 hPa); 29.46924 psi is
        // 60 inHg (10.32 % of it is 6.19345 inHg, 3.04 psi); 298.15 K and 1 atm are 25 C and 760 mm Hg,
        // which give 20.62, 156.74 mm Hg, 1.6 and 29.45.
        {{"--pressure-unit", "hPa", "--target-pressure", "1015.911", "--barometric-pressure", "1015.911"},
         "",
         0,
         "Calculated Gas (% Vol): 20.64\nCalculated Gas Pressure: 209.73 hPa\nVapor Pressure (%): 1.5\n"
         "Corrected Barometer: 29.56 In Hg\n",
         ""},
        {{"--pressure-unit", "PSI", "--target-pressure", "29.46924", "--barometric-pressure", "14.73462"},
         "",
         0,
         "Calculated Gas (% Vol): 10.32\nCalculated Gas Pressure: 3.04 psi\nVapor Pressure (%): 1.5\n"
         "Corrected Barometer: 29.56 In Hg\n",
         // 60 inHg is twice any weather's pressure: the target pressure is warned about.
         "kestrane-cli: warning: the target pressure, read in psi, lies outside what any weather gives (250 to "
         "1100 hPa): is the unit In Hg or KPa?\n"},
        {{"--pressure-unit", "atm", "--target-pressure", "1", "--barometer", "1", "--temperature-unit", "K",
          "--temperature", "298.15"},
         "",
         0,
         "Calculated Gas (% Vol): 20.62\nCalculated Gas Pressure: 0.21 atm\nVapor Pressure (%): 1.6\n"
         "Corrected Barometer: 29.45 In Hg\n",
         ""},
        {{"--temperature-unit", "kelvin"},
         "",
         exit_usage,
         "",
         "kestrane-cli: with --temperature-unit kelvin, give --temperature as well: its default, 75, is in Degrees "
         "F\n"},
        // With a decimal comma, the defaults are read with one too, and the results written so.
        {{"--decimal-comma", "--gas", "20,125", "--humidity", "0 %"},
         "",
         0,
         "Calculated Gas (% Vol): 20,13\nCalculated Gas Pressure: 6,04 In Hg\nVapor Pressure (%): 0,0\n"
         "Corrected Barometer: 30,00 In Hg\n",
         ""},
        {{"-V"}, "", 0, "kestrane-cli " KESTRANE_VERSION "\n", ""},
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
        {{"--gas", ""}, "", exit_refused, "", "Error: Target Gas (% Vol) is not a number: \"\"\n"},
        {{"--version"}, "", 0, "kestrane-cli " KESTRANE_VERSION "\n", ""},
        // Read strictly, a text is one number, with blanks and a percentage's % around it.
        {{"--gas", " 20.95 % ", "--humidity", "50%"},
         "",
         0,
         "Calculated Gas (% Vol): 20.64\nCalculated Gas Pressure: 6.19 In Hg\nVapor Pressure (%): 1.5\n"
         "Corrected Barometer: 29.56 In Hg\n",
         ""},
        {{"--gas", "20,95"},
         "",
         exit_refused,
         "",
         "Error: Target Gas (% Vol) is not a number: \"20,95\" (for a decimal comma, give --decimal-comma)\n"},
        {{"--target-pressure", "30%"}, "", exit_refused, "", "Error: Target Pressure is not a number: \"30%\"\n"},
        {{"--humidity", "12e"}, "", exit_refused, "", "Error: Relative Humidity (%) is not a number: \"12e\"\n"},
        {{"--gas", "1e39"}, "", exit_refused, "", "Error: Gas Percent Outside of Range\n"},
        {{"--gas", "abc", "--target-pressure", "0"},
         "",
         exit_refused,
         "",
         "Error: Target Gas (% Vol) is not a number: \"abc\"\n"},
        {{"--lenient", "--gas", "12abc"},
         "",
         0,
         "Calculated Gas (% Vol): 11.83\nCalculated Gas Pressure: 3.55 In Hg\nVapor Pressure (%): 1.5\n"
         "Corrected Barometer: 29.56 In Hg\n",
         ""},
        {{"--lenient", "--gas", ""}, "", exit_refused, "", "Error: Gas Percent Outside of Range\n"},
        // Altitude's default 0 is the same in metres.
        {{"--distance-unit", "m"},
         "",
         0,
         "Calculated Gas (% Vol): 20.64\nCalculated Gas Pressure: 6.19 In Hg\nVapor Pressure (%): 1.5\n"
         "Corrected Barometer: 29.56 In Hg\n",
         ""},
        {{"--temperature-unit", "C"},
         "",
         exit_usage,
         "",
         "kestrane-cli: with --temperature-unit C, give --temperature as well: its default, 75, is in Degrees F\n"},
        {{"--pressure-unit", "bar", "--temperature-unit", "c", "--temperature", "25"},
         "",
         exit_usage,
         "",
         "kestrane-cli: with --pressure-unit bar, give --target-pressure and --barometric-pressure as well: their "
         "defaults, 30.00 and 30.00, are in In Hg\n"},
    };
    expect_runs(cases);
}

TEST(RunCli, Logs) {
    const CliCase cases[] = {
        {{"--csv", "-"},
         header + "\n20.95,30.00,30.00,75,   0, 50\n",
         0,
         header + "," + results + "20.95,30.00,30.00,75,\"   0\",\" 50\",20.64,6.19,1.5,29.56,,\n",
         "kestrane-cli: 1 row read, 1 corrected, 0 refused\n"},
        // The unit options stand for the log's missing unit columns, which the output gets.
        {{"--csv", "-", "--temperature-unit", "C"},
         header + "\n20.95,30.00,30.00,25,0,50\n",
         0,
         header + ",temperature_unit," + results + "20.95,30.00,30.00,25,0,50,Degrees C,20.62,6.19,1.6,29.53,,\n",
         "kestrane-cli: 1 row read, 1 corrected, 0 refused\n"},
        {{"--csv", "-"},
         header + "\n20.95,30,30,75,0,101\n20.95,30,30,75,0\n20.95,30,30,75,0,0\n",
         exit_refused,
         header + "," + results +
             "20.95,30,30,75,0,101,,,,,Error: Relative Humidity Outside of Range,\n"
             "\"20.95,30,30,75,0\",,,,,,,,,,\"line 3: expected 6 fields, found 5\",\n"
             "20.95,30,30,75,0,0,20.95,6.29,0.0,30.00,,\n",
         "kestrane-cli: 3 rows read, 1 corrected, 1 refused, 1 malformed\n"},
        {{"--csv", "-"},
         "gas,target_pressure,barometric_pressure,temperature,altitude,relative_humidity\n20.95,30,30,75,0,50\n",
         exit_usage,
         "",
         "kestrane-cli: standard input: line 1: missing column target_gas (a log needs the columns target_gas, "
         "target_pressure, barometric_pressure, temperature, altitude, relative_humidity); read with the delimiter "
         "\",\", as none of \",\", \";\", \"|\" or tab gave them all: if the log has another, give --delimiter\n"},
        {{"--csv", "-"},
         "",
         exit_usage,
         "",
         "kestrane-cli: standard input: the input is empty: a log starts with a header row naming its columns\n"},
        {{"--csv", "-", "--humidity", "0"},
         header + "\n20.95,30,30,75,0,50\n",
         exit_usage,
         "",
         "kestrane-cli: --humidity does not go with a log: the log gives every field in its columns\n"},
        {{"--csv", "no-such-log.csv"},
         "",
         exit_io,
         "",
         "kestrane-cli: cannot read 'no-such-log.csv': No such file or directory\n"},
        {{"--csv", "."}, "", exit_io, "", "kestrane-cli: cannot read '.': Is a directory\n"},
        // A blank row passes through; a warning leaves the status alone and is counted.
        {{"--csv", "-"},
         header + "\n20.95,30,30,75,0,50\n,,,,,\n20.95,30,30,300,0,50\n",
         0,
         header + "," + results +
             "20.95,30,30,75,0,50,20.64,6.19,1.5,29.56,,\n"
             ",,,,,,,,,,,\n"
             "20.95,30,30,300,0,50,-17.68,-5.30,184.4,-25.32,,\"the water vapor pressure reaches the pressure at "
             "this altitude: no dry gas is left, so the results are not physical; the temperature lies outside 32 to "
             "122 degrees F (0 to 50 degrees C), the range the vapor pressure curve was fitted to; the calculated gas lies outside 0 to 100 %, which no gas can have: check the inputs and their "
             "units\"\n",
         "kestrane-cli: 3 rows read, 2 corrected, 0 refused, 1 blank, 1 with warnings\n"},
        // A user's column named as a result is never overwritten: the log is refused, and says what to do.
        {{"--csv", "-"},
         "calculated_gas_pct," + header + ",error,x\n1,20.95,30,30,75,0,0,old,y\n",
         exit_usage,
         "",
         "kestrane-cli: standard input: line 1: column 1 is named calculated_gas_pct, as is a column the correction "
         "adds to a log, and the log does not end in the columns it adds; rename that column (to "
         "calculated_gas_pct_1, say) and run again\n"},
    };
    expect_runs(cases);
}

std::vector<std::vector<std::string>> read_records(const std::string& text) {
    RecordReader reader;
    reader.push(text);
    reader.close();
    std::vector<std::vector<std::string>> records;
    std::vector<std::string_view> fields;
    while (reader.next(fields) == RecordReader::Step::record) {
        EXPECT_EQ(reader.fault(), RecordFault::none) << "line " << reader.line_number() << " of\n" << text;
        records.emplace_back(fields.begin(), fields.end());
    }
    return records;
}

// Read back as CSV, the output gives every input text unchanged, however it had to be quoted.
TEST(RunCli, LogRoundTrip) {
    const std::string log = "note," + header + ",pressure_unit\r\n" +
                            "\"a, b\",\"20.95\",\"30.00\",30.00,75,\"   0\",\" 50\",\" inHg \"\n"
                            "\"say \"\"hi\"\"\",20.95,30.00,30.00,75,0,50,\n"
                            "\"trailing \",20.95,30.00,30.00,75,0,50,Pa\n"
                            "\"\",20.95,30.00,30.00,75,0,150,\n";
    const CliRun got = run({"--csv", "-"}, log);
    EXPECT_EQ(got.status, exit_refused) << got.err;
    const auto in = read_records(log);
    const auto out = read_records(got.out);
    ASSERT_EQ(out.size(), in.size()) << got.out;
    for (std::size_t r = 0; r < in.size(); ++r) {
        ASSERT_EQ(out[r].size(), in[r].size() + 6) << "record " << r << " of\n" << got.out;
        for (std::size_t f = 0; f < in[r].size(); ++f)
            EXPECT_EQ(out[r][f], in[r][f]) << "record " << r << ", field " << f << " of\n" << got.out;
    }
    EXPECT_EQ(out[1][in[1].size() + 4], "");
    EXPECT_EQ(out[3][in[3].size() + 4],
              "unknown pressure unit \"Pa\"; use In Hg or inHg, mm Hg or mmHg or torr, Bar, KPa, hPa or mbar or "
              "millibar, psi or psia, atm (any case); did you mean KPa?");
    EXPECT_EQ(out[4][in[4].size() + 4], "Error: Relative Humidity Outside of Range");
}

TEST(RunCli, Tables) {
    const CliCase cases[] = {
        {{"table", "--rows", "altitude=0:1:0", "--columns", "temperature=0:1:1"},
         "",
         exit_usage,
         "",
         "kestrane-cli: --rows: range \"0:1:0\" has a step of zero\n"},
        {{"table", "--rows", "altitude=0:100:10", "--columns", "temperature=10:0:1"},
         "",
         exit_usage,
         "",
         "kestrane-cli: --columns: range \"10:0:1\" steps away from its stop\n"},
        {{"table", "--rows", "altitude=0:100:1", "--columns", "temperature=0:99:1"},
         "",
         exit_usage,
         "",
         "kestrane-cli: the table would have 101 x 100 cells; at most 10000 are allowed\n"},
        {{"table", "--rows", "altitude=0:1:1", "--columns", "altitude=0:1:1"},
         "",
         exit_usage,
         "",
         "kestrane-cli: the rows and the columns both sweep altitude\n"},
        {{"table", "--rows", "altitude=0:1:1", "--columns", "temperature=0:1:1", "--altitude", "5"},
         "",
         exit_usage,
         "",
         "kestrane-cli: --altitude is swept by --rows; leave it out\n"},
        {{"table", "--rows", "altitude=0:1:1", "--columns", "temperature=0:1:1", "--csv", "-"},
         "",
         exit_usage,
         "",
         "kestrane-cli: a log and table do not go together: run them separately\n"},
        {{"table", "--rows", "altitude=0:1:1", "--columns", "temperature=0:1:1", "--gas", "20,95"},
         "",
         exit_refused,
         "",
         "Error: Target Gas (% Vol) is not a number: \"20,95\" (for a decimal comma, give --decimal-comma)\n"},
        // A swept field counts as given with its unit; the one left at its default does not.
        {{"table", "--rows", "target_pressure=10:20:10", "--columns", "temperature=0:1:1", "--pressure-unit", "kPa"},
         "",
         exit_usage,
         "",
         "kestrane-cli: with --pressure-unit kPa, give --barometric-pressure as well: its default, 30.00, is in In "
         "Hg\n"},
        {{"table", "--rows", "temperature=0:10:10", "--columns", "humidity=0:100:100", "--temperature-unit", "C",
          "--format", "csv"},
         "",
         0,
         "temperature (Degrees C) \\ relative humidity (%),0,100\n"
         "0,20.95,20.82\n"
         "10,20.95,20.70\n",
         "Calculated Gas (% Vol) by temperature (Degrees C) down and relative humidity (%) across\n"
         "Fixed: target gas 20.95 %; target pressure 30.00 In Hg; barometric pressure 30.00 In Hg; altitude 0 Feet\n"
         "Units: Degrees C, In Hg, Feet\n"},
        // Warnings under the table, with the cells they concern.
        {{"table", "--rows", "temperature=100:130:30", "--columns", "humidity=0:100:100", "--format", "csv"},
         "",
         0,
         "temperature (Degrees F) \\ relative humidity (%),0,100\n"
         "100,20.95,19.60\n"
         "130,20.95,17.79\n",
         "Calculated Gas (% Vol) by temperature (Degrees F) down and relative humidity (%) across\n"
         "Fixed: target gas 20.95 %; target pressure 30.00 In Hg; barometric pressure 30.00 In Hg; altitude 0 Feet\n"
         "Units: Degrees F, In Hg, Feet\n"
         "kestrane-cli: warning: 2 of 4 cells: the temperature lies outside 32 to 122 degrees F (0 to 50 degrees C), "
         "the range the vapor pressure curve was fitted to\n"},
    };
    expect_runs(cases);
}

TEST(RunCli, TableOfTheMostCells) {
    const CliRun got =
        run({"table", "--rows", "altitude=0:99:1", "--columns", "temperature=0:99:1", "--format", "csv"});
    EXPECT_EQ(got.status, 0) << got.err;
    // The header row and 100 rows of 101 fields.
    EXPECT_EQ(std::count(got.out.begin(), got.out.end(), '\n'), 101);
    EXPECT_EQ(std::count(got.out.begin(), got.out.end(), ','), 100 + 100 * 100);
}

TEST(RunCli, UsageErrorsNameWhatIsAccepted) {
    const CliCase cases[] = {
        {{"--pressure-unit", "Pa"},
         "",
         exit_usage,
         "",
         "kestrane-cli: unknown pressure unit \"Pa\"; use In Hg or inHg, mm Hg or mmHg or torr, Bar, KPa, hPa or "
         "mbar or millibar, psi or psia, atm (any case); did you mean KPa?\n"},
        {{"--temperature-unit", "R"},
         "",
         exit_usage,
         "",
         "kestrane-cli: unknown temperature unit \"R\"; use Degrees F or F or fahrenheit, Degrees C or C or celsius, "
         "K or kelvin (any case)\n"},
        {{"--pressure-unit", "mmgh"},
         "",
         exit_usage,
         "",
         "kestrane-cli: unknown pressure unit \"mmgh\"; use In Hg or inHg, mm Hg or mmHg or torr, Bar, KPa, hPa or "
         "mbar or millibar, psi or psia, atm (any case); did you mean mmHg?\n"},
        {{"--humdity", "5"},
         "",
         exit_usage,
         "",
         "kestrane-cli: The following argument was not expected: --humdity\n"
         "kestrane-cli: did you mean --humidity?\nRun with --help for more information.\n"},
        {{"--rows", "altitude=0:1:1"},
         "",
         exit_usage,
         "",
         "kestrane-cli: The following argument was not expected: --rows\n"
         "kestrane-cli: did you mean table --rows? (--rows is the table command's)\n"
         "Run with --help for more information.\n"},
        {{"table", "--rows", "altitude=0:1:1", "--columns", "temperature=0:1:1", "--colums", "x"},
         "",
         exit_usage,
         "",
         "kestrane-cli: The following argument was not expected: --colums\n"
         "kestrane-cli: did you mean --columns?\nRun with --help for more information.\n"},
        {{"tabel", "--quiet"},
         "",
         exit_io,
         "",
         "kestrane-cli: cannot read 'tabel': No such file or directory (did you mean the command table?)\n"},
        {{"--distance-unit", "yd"},
         "",
         exit_usage,
         "",
         "kestrane-cli: unknown distance unit \"yd\"; use Feet or ft, Meters or m (any case)\n"},
        {{"--bogus"},
         "",
         exit_usage,
         "",
         "kestrane-cli: The following argument was not expected: --bogus\n"
         "Accepted: --gas, --target-pressure, --barometric-pressure, --temperature, --altitude, --humidity, "
         "--lenient, --decimal-comma, --temperature-unit, --pressure-unit, --distance-unit, --u-gas, "
         "--u-target-pressure, --u-barometric-pressure, --u-temperature, --u-altitude, --u-humidity, --dof-gas, "
         "--dof-target-pressure, --dof-barometric-pressure, --dof-temperature, --dof-altitude, --dof-humidity, "
         "--coverage, --correlation, --monte-carlo, --interval, "
         "--seed, --analyzer-reading, --as-left, --u-analyzer, --tolerance, --decision-rule, --record, "
         "--record-lab-name, --record-lab-address, --record-record-number, --record-customer, --record-item-make, "
         "--record-item-model, --record-item-serial, --record-reference-gas-cylinder, "
         "--record-reference-gas-certificate, --record-barometer, --record-calibration-date, --record-issue-date, "
         "--record-operator, --record-authorized-by, --csv, --rejects, --threads, --delimiter, --format, --output, "
         "--quiet, --version, --help; the command table "
         "with --help, --rows, --columns, --result, --format\n"
         "Run with --help for more information.\n"},
        // A file name that is an option is no file name.
        {{"--csv", "--help"},
         "",
         exit_usage,
         "",
         "kestrane-cli: --csv needs a file name, not the option \"--help\" (for a file of that name, write "
         "./--help)\n"},
        {{"--rejects", "rejected.csv"}, "", exit_usage, "", "kestrane-cli: --rejects goes with a log\n"},
        {{"-o", ""}, "", exit_usage, "", "kestrane-cli: --output needs a file name\n"},
        {{"-o", "-q"},
         "",
         exit_usage,
         "",
         "kestrane-cli: --output needs a file name, not the option \"-q\" (for a file of that name, write ./-q)\n"},
        {{"table", "--rows", "altitude=0:1:1", "--columns", "temperature=0:1:1", "--format", "xml"},
         "",
         exit_usage,
         "",
         "kestrane-cli: --format: xml not in {text,csv,md,long}\nRun with --help for more information.\n"},
        {{"table", "--rows", "altitude=0:1:1", "--columns", "temperature=0:1:1", "--result", "gas"},
         "",
         exit_usage,
         "",
         "kestrane-cli: --result: gas not in {gas-pct,gas-pressure,vapor-pct,barometer}\n"
         "Run with --help for more information.\n"},
    };
    expect_runs(cases);
    for (const auto args : {std::initializer_list<const char*>{"--altitude"},
                            {"table", "--columns", "temperature=0:1:1"},
                            {"one.csv", "two.csv"}}) {
        const CliRun got = run(args);
        EXPECT_EQ(got.status, exit_usage) << "arguments" << joined(args);
        EXPECT_EQ(got.out, "") << "arguments" << joined(args);
        EXPECT_NE(got.err.find("Run with --help for more information."), std::string::npos)
            << "arguments" << joined(args) << ", stderr: " << got.err;
    }
}

TEST(RunCli, HelpShowsEveryOptionWithAnExample) {
    const CliRun main_help = run({"--help"});
    EXPECT_EQ(main_help.status, 0);
    const CliRun table_help = run({"table", "--help"});
    EXPECT_EQ(table_help.status, 0);
    const std::pair<const CliRun*, std::vector<std::string>> expectations[] = {
        {&main_help,
         {"e.g. --gas 20.9", "e.g. --target-pressure 760", "e.g. --barometric-pressure 29.5", "e.g. --temperature 25",
          "e.g. --altitude 1500", "e.g. --humidity 80", "e.g. --temperature-unit C", "e.g. --pressure-unit hPa",
          "e.g. --distance-unit m", "e.g. kestrane-cli readings.csv", "e.g. --csv readings.csv", "e.g. --version",
          "e.g. --help", "e.g. --decimal-comma", "e.g. --delimiter tab", "e.g. --format json", "e.g. -o corrected.csv",
          "e.g. --quiet", "e.g. --format long"}},
        {&table_help,
         {"e.g. --rows altitude=0:10000:1000", "e.g. --columns temperature=32:104:9", "e.g. --result gas-pressure",
          "e.g. --format long"}},
    };
    for (const auto& [help, examples] : expectations) {
        for (const std::string& example : examples)
            EXPECT_NE(help->out.find(example), std::string::npos) << "no \"" << example << "\" in\n" << help->out;
    }
    // The options in their groups, in this order, and three examples at the end.
    std::size_t at = 0;
    for (const char* group : {"\nReading:\n", "\nUnits:\n", "\nLog:\n", "\nTable:\n", "\nOutput:\n", "\nExamples:\n"}) {
        const std::size_t found = main_help.out.find(group, at);
        ASSERT_NE(found, std::string::npos) << "no " << group << " after offset " << at << " in\n" << main_help.out;
        at = found;
    }
    EXPECT_EQ(main_help.out.substr(at),
              "\nExamples:\n"
              "  kestrane-cli --pressure-unit hPa --target-pressure 1013.25 --barometric-pressure 1002 --format json\n"
              "  kestrane-cli --decimal-comma readings.csv -o corrected.csv\n"
              "  kestrane-cli table --rows altitude=0:10000:1000 --columns temperature=32:104:9 --humidity 50\n");
}

std::string read_file(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(RunCli, LogFromAFileWithCrLf) {
    const char* log_path = "run_cli_test_log.csv";
    {
        std::ofstream log(log_path, std::ios::binary);
        log << "relative_humidity,altitude,temperature,barometric_pressure,target_pressure,target_gas\r\n"
               "50,5000,75,30,30,20.95\r\n";
    }
    const CliRun got = run({"--csv", log_path});
    EXPECT_EQ(got.status, 0) << got.err;
    EXPECT_EQ(got.out, "relative_humidity,altitude,temperature,barometric_pressure,target_pressure,target_gas," +
                           results + "50,5000,75,30,30,20.95,17.29,5.19,1.5,24.76,,\n");
    EXPECT_EQ(got.err, "kestrane-cli: 1 row read, 1 corrected, 0 refused\n");
    EXPECT_EQ(read_file(log_path),
              "relative_humidity,altitude,temperature,barometric_pressure,target_pressure,"
              "target_gas\r\n50,5000,75,30,30,20.95\r\n");
    std::remove(log_path);
}

// Uncertainties: read strictly, beside each result, per row in a log (its own
// column over the option), and where they do not go. The numbers are the
// worked example's (see the core's test). In the log, the gas alone is
// uncertain, so the vapour pressure and the corrected barometer have only the
// vapour curve's term, u = a / sqrt 3 with a = 0.01086 in Hg: U = 2 u 100 / B =
// 0.042 % and 2 u = 0.013 in Hg.
TEST(RunCli, Uncertainties) {
    const std::string log = header + ",u_target_gas\n20.95,30,30,75,0,50,\n20.95,30,30,75,0,50,0.1\n"
                                     "20.95,30,30,75,0,50,-1\n";
    const CliCase cases[] = {
        {{"--u-gas", "0.05", "--u-barometer", "0.02", "--u-temperature", "0.5", "--u-humidity", "2 %"},
         "",
         0,
         "Calculated Gas (% Vol): 20.64 (20.64 \u00b1 0.11, k = 2)\nCalculated Gas Pressure: 6.19 In Hg (6.193 \u00b1 "
         "0.032 In Hg, k = 2)\nVapor Pressure (%): 1.5 (1.46 \u00b1 0.14, k = 2)\nCorrected Barometer: 29.56 In Hg "
         "(29.563 \u00b1 0.057 In Hg, k = 2)\n",
         ""},
        {{"--u-altitude", "ten"}, "", exit_usage, "",
         "kestrane-cli: Error: Standard Uncertainty of Altitude is not a number: \"ten\"\n"},
        {{"--u-humidity=-2"}, "", exit_usage, "",
         "kestrane-cli: Error: Standard Uncertainty of Relative Humidity (%) is below 0: \"-2\"\n"},
        {{"-", "--u-altitude", "ten"}, log, exit_usage, "",
         "kestrane-cli: Error: Standard Uncertainty of Altitude is not a number: \"ten\"\n"},
        {{"--u-gas", "1e309"}, "", exit_usage, "",
         "kestrane-cli: Error: Standard Uncertainty of Target Gas (% Vol) is out of range: \"1e309\"\n"},
        {{"-", "--u-gas", "0.05"},
         log,
         exit_refused,
         header + ",u_target_gas," + "calculated_gas_pct,calculated_gas_pressure,vapor_pressure_pct,corrected_barometer,"
                  "expanded_uncertainty_gas_pct,expanded_uncertainty_gas_pressure,expanded_uncertainty_vapor_pct,"
                  "expanded_uncertainty_barometer,error,warning\n"
                  "20.95,30,30,75,0,50,,20.64,6.19,1.5,29.56,0.099,0.030,0.042,0.013,,\n"
                  "20.95,30,30,75,0,50,0.1,20.64,6.19,1.5,29.56,0.20,0.060,0.042,0.013,,\n"
                  "20.95,30,30,75,0,50,-1,,,,,,,,,\"Error: Standard Uncertainty of Target Gas (% Vol) is below 0: \"\"-1\"\"\",\n",
         "kestrane-cli: 3 rows read, 2 corrected, 1 refused\n"},
        {{"--monte-carlo", "100"}, "", exit_usage, "",
         "kestrane-cli: --monte-carlo 100 is out of range; use 200000 to 10000000 at 95 % coverage, or auto\n"},
        {{"--monte-carlo", "abc"}, "", exit_usage, "",
         "kestrane-cli: --monte-carlo \"abc\" is not a whole number; use 200000 to 10000000 at 95 % coverage, or "
         "auto\n"},
        {{"--monte-carlo", "auto", "--seed", ""}, "", exit_usage, "",
         "kestrane-cli: --seed \"\" is not a whole number; use 0 to 18446744073709551615\n"},
        {{"--monte-carlo", "auto", "--seed", "-1"}, "", exit_usage, "",
         "kestrane-cli: --seed \"-1\" is not a whole number; use 0 to 18446744073709551615\n"},
        {{"--monte-carlo", "auto", "--seed", "0x10"}, "", exit_usage, "",
         "kestrane-cli: --seed \"0x10\" is not a whole number; use 0 to 18446744073709551615\n"},
        {{"--monte-carlo", "auto", "--seed", "18446744073709551616"}, "", exit_usage, "",
         "kestrane-cli: --seed 18446744073709551616 is out of range; use 0 to 18446744073709551615\n"},
        {{"-", "--threads", "0"}, log, exit_usage, "", "kestrane-cli: --threads 0 is out of range; use 1 to 64\n"},
        {{"-", "--threads", "65"}, log, exit_usage, "", "kestrane-cli: --threads 65 is out of range; use 1 to 64\n"},
        {{"-", "--threads", "two"}, log, exit_usage, "",
         "kestrane-cli: --threads \"two\" is not a whole number; use 1 to 64\n"},
        {{"-", "--threads", "-2"}, log, exit_usage, "",
         "kestrane-cli: --threads \"-2\" is not a whole number; use 1 to 64\n"},
        {{"-", "--monte-carlo", "200000"}, log, exit_usage, "",
         "kestrane-cli: --monte-carlo goes with one reading: a log states each row's uncertainty\n"},
        {{"table", "--rows", "altitude=0:1:1", "--columns", "temperature=0:1:1", "--u-gas", "0.1"}, "", exit_usage, "",
         "kestrane-cli: a table shows results alone: give uncertainties with one reading or a log\n"},
    };
    for (const auto& c : cases) {
        const CliRun got = run(c.args, c.input);
        EXPECT_EQ(got.status, c.status) << "arguments" << joined(c.args) << ", stderr: " << got.err;
        // A reading's text is compared as far as its results; the budget's layout is the README's to show.
        const std::size_t budget = got.out.find("\n\nUncertainty budget");
        EXPECT_EQ(got.out.substr(0, budget == std::string::npos ? budget : budget + 1), c.out)
            << "arguments" << joined(c.args);
        EXPECT_EQ(got.err, c.err) << "arguments" << joined(c.args);
    }
    // A rectangular gas of half-width 0.05 with 4 degrees of freedom beside the
    // vapour curve's term: u_c = sqrt((0.9854 0.05 / sqrt 3)^2 + 0.004378^2) =
    // 0.02878 %, nu_eff = 4 (0.02878 / 0.02845)^4 truncated = 4, k = t(0.975, 4)
    // = 2.776, U = 0.0799, stated 0.080 with the value to its digits; all with
    // the decimal comma.
    EXPECT_EQ(run({"--u-gas", "0,05:rectangular", "--dof-gas", "4", "--coverage", "0.95", "--decimal-comma"})
                  .out.substr(0, 68),
              "Calculated Gas (% Vol): 20,64 (20,645 \u00b1 0,080, k = 2,78, p = 95 %)\n");
    // Monte Carlo repeats with its seed and changes with another; its draws are counted in JSON.
    const auto draws = [](const char* seed) {
        return run({"--format", "json", "--u-gas", "0.1", "--humidity", "99", "--u-humidity", "2", "--monte-carlo",
                    "200000", "--seed", seed});
    };
    EXPECT_EQ(draws("7").out, draws("7").out);
    EXPECT_NE(draws("7").out, draws("8").out);
    const CliRun near_saturation = draws("7");
    const auto json = nlohmann::json::parse(near_saturation.out);
    EXPECT_EQ(json["monte_carlo"]["draws"], 200000);
    // Humidity 99 % with u 2 %: P(z > 0.5) of the draws, about 31 %, lie above 100 %.
    EXPECT_NEAR(json["monte_carlo"]["refused"].get<double>(), 0.3085 * 200000, 1500);
    EXPECT_NE(near_saturation.err.find("kestrane-cli: warning: 3"), std::string::npos) << near_saturation.err;
    EXPECT_EQ(json["uncertainty"]["budget"].size(), budget_term_count);
    EXPECT_EQ(json["uncertainty"]["coverage_factor"], 2.0);
    // Every input exact, and no vapour to correct for at altitude 0: every
    // draw is the reading itself, so its spread is exactly none.
    const auto exact = nlohmann::json::parse(run({"--format", "json", "--u-gas", "0", "--humidity", "0",
                                                  "--monte-carlo", "200000", "--seed", "18446744073709551615"})
                                                 .out);
    EXPECT_EQ(exact["monte_carlo"]["standard_deviation"], 0.0);
    EXPECT_EQ(exact["monte_carlo"]["mean"], exact["monte_carlo"]["interval_95"][0]);
    // A refused reading keeps the keys a corrected one has, as null.
    const auto refused = nlohmann::json::parse(
        run({"--format", "json", "--humidity", "101", "--u-gas", "0.1", "--monte-carlo", "200000"}).out);
    for (const auto& [key, value] : json.items())
        EXPECT_TRUE(refused.contains(key)) << key;
    EXPECT_TRUE(refused["uncertainty"].is_null());
    EXPECT_TRUE(refused["monte_carlo"].is_null());
}

}  // namespace
}  // namespace kestrane::cli
