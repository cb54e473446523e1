// What the command line writes for spreadsheets and scripts: a European log
// and back, one reading as JSON and CSV, and a file of --output that is
// replaced whole or not at all.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cli/cli_run.h"

namespace kestrane::cli {
namespace {

// As a current spreadsheet saves it where the comma is the decimal mark: a byte
// order mark, semicolons, decimal commas, CRLF, quotes where it likes them.
const std::string european_log =
    "\xEF\xBB\xBFZeit;target_gas;target_pressure;barometric_pressure;temperature;altitude;relative_humidity;"
    "pressure_unit\r\n"
    "08:00;20,95;1013,25;1002,5;22,5;0;45,5;hPa\r\n"
    "08:01;\"20,95\";\"1013,25\";\"998,0\";\"22,5\";\"150\";\"45,5\";mbar\r\n"
    "08:02;20.95;1013,25;1002,5;22,5;0;45,5;\r\n"
    ";;;;;;;\r\n";

TEST(Spreadsheets, EuropeanLogRoundTrip) {
    const CliRun got = run({"--decimal-comma", "--temperature-unit", "C", "-"}, european_log);
    EXPECT_EQ(got.status, exit_refused) << got.err;
    // The same delimiter, the mark kept, the cells as they were, the results with
    // a decimal comma (those of the same reading written with points: 20.47,
    // 207.43, 1.2, 29.24), and a point refused with the way to write it.
    EXPECT_EQ(got.out,
              "\xEF\xBB\xBFZeit;target_gas;target_pressure;barometric_pressure;temperature;altitude;relative_humidity;"
              "pressure_unit;temperature_unit;decimal_mark;calculated_gas_pct;calculated_gas_pressure;"
              "vapor_pressure_pct;corrected_barometer;error;warning\n"
              "08:00;20,95;1013,25;1002,5;22,5;0;45,5;hPa;Degrees C;,;20,47;207,43;1,2;29,24;;\n"
              "08:01;20,95;1013,25;998,0;22,5;150;45,5;mbar;Degrees C;,;20,27;205,39;1,2;28,95;;\n"
              "08:02;20.95;1013,25;1002,5;22,5;0;45,5;;Degrees C;,;;;;;\"Error: Target Gas (% Vol) is not a number: "
              "\"\"20.95\"\" (with --decimal-comma, a decimal point is a comma: \"\"20,95\"\")\";\n"
              ";;;;;;;;;;;;;;;\n");
    EXPECT_EQ(got.err, "kestrane-cli: 4 rows read, 2 corrected, 1 refused, 1 blank\n");
    // Saved and corrected again, the output gives itself.
    const CliRun again = run({"--decimal-comma", "--temperature-unit", "C", "-"}, got.out);
    EXPECT_EQ(again.out, got.out);
    EXPECT_EQ(run({"-"}, got.out).out, got.out);
    const CliRun pointed =
        run({"--pressure-unit", "hPa", "--temperature-unit", "C", "--target-pressure", "1013.25",
             "--barometric-pressure", "998.0", "--temperature", "22.5", "--altitude", "150", "--humidity", "45.5"});
    EXPECT_EQ(pointed.out,
              "Calculated Gas (% Vol): 20.27\nCalculated Gas Pressure: 205.39 hPa\nVapor Pressure (%): 1.2\n"
              "Corrected Barometer: 28.95 In Hg\n");
}

TEST(Spreadsheets, Delimiters) {
    const std::string header = "target_gas,target_pressure,barometric_pressure,temperature,altitude,relative_humidity";
    const std::string results =
        "calculated_gas_pct,calculated_gas_pressure,vapor_pressure_pct,corrected_barometer,"
        "error,warning";
    const auto with = [](std::string text, char delimiter) {
        for (char& c : text)
            c = c == ',' ? delimiter : c;
        return text;
    };
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--delimiter", "tab", "-"}, with(header + "\n20.95,30,30,75,0,50\n", '\t')},
        {{"--delimiter", "|", "-"}, with(header + "\n20.95,30,30,75,0,50\n", '|')},
        {{"-", "--delimiter", ";"}, with(header + "\n20.95,30,30,75,0,50\n", ';')},
        {{"-"}, with(header + "\n20.95,30,30,75,0,50\n", ';')},
    };
    for (const auto& [args, log] : cases) {
        const CliRun got = run(args, log);
        const char d = log[10];
        EXPECT_EQ(got.out, with(header + "," + results + "\n20.95,30,30,75,0,50,20.64,6.19,1.5,29.56,,\n", d))
            << "delimiter " << static_cast<int>(d) << ": " << got.err;
    }
    // A log with tabs, or bars, is known by its header as one with semicolons is.
    for (const char d : {'\t', '|'}) {
        const CliRun found = run({"-"}, with(header + "\n20.95,30,30,75,0,50\n", d));
        EXPECT_EQ(found.out, with(header + "," + results + "\n20.95,30,30,75,0,50,20.64,6.19,1.5,29.56,,\n", d))
            << found.err;
    }
    const CliRun tabs = run({"-", "--delimiter", ","}, with(header + "\n", '\t'));
    EXPECT_EQ(tabs.status, exit_usage);
    EXPECT_NE(tabs.err.find("; its header is one column with tab in it: give --delimiter tab\n"), std::string::npos)
        << tabs.err;
    const CliRun unknown = run({"--delimiter", "/", "-"}, header + "\n");
    EXPECT_EQ(unknown.err, "kestrane-cli: unknown delimiter \"/\"; use \",\", \";\", \"|\" or tab\n");
}

TEST(Scripts, OneReadingAsJson) {
    const CliRun got = run({"--format", "json", "--pressure-unit", "hPa", "--target-pressure", "1015.911",
                            "--barometric-pressure", "1015.911", "--temperature", "300"});
    EXPECT_EQ(got.status, 0) << got.err;
    const auto json = nlohmann::json::parse(got.out);
    EXPECT_EQ(json["inputs"]["target_gas"]["text"], "20.95");
    EXPECT_EQ(json["inputs"]["target_gas"]["value"], 20.950000762939453);  // the single-precision reading
    EXPECT_EQ(json["inputs"]["altitude"]["text"], "   0");
    EXPECT_EQ(json["inputs"]["target_pressure"]["unit"], "hPa");
    EXPECT_EQ(json["units"], nlohmann::json({{"temperature", "Degrees F"}, {"pressure", "hPa"}, {"distance", "Feet"}}));
    EXPECT_EQ(json["results"]["calculated_gas_pct"]["text"], "-17.68");
    EXPECT_NEAR(json["results"]["calculated_gas_pct"]["value"].get<double>(), -17.68, 0.005);
    EXPECT_EQ(json["results"]["calculated_gas_pressure"]["unit"], "hPa");
    EXPECT_EQ(json["results"]["corrected_barometer"]["unit"], "In Hg");
    EXPECT_TRUE(json["error"].is_null());
    EXPECT_EQ(json["warnings"].size(), 3u) << got.out;

    const CliRun refused = run({"--format", "json", "--humidity", "101", "--gas", "20,95", "--lenient"});
    EXPECT_EQ(refused.status, exit_refused);
    const auto no = nlohmann::json::parse(refused.out);
    EXPECT_TRUE(no["results"].is_null());
    EXPECT_EQ(no["error"], "Error: Relative Humidity Outside of Range");
    EXPECT_EQ(no["inputs"]["target_gas"]["value"], 20.0);  // read leniently: the number at its start
    EXPECT_EQ(no["inputs"]["relative_humidity"]["value"], 101.0);
    EXPECT_EQ(refused.err, "Error: Relative Humidity Outside of Range\n");

    const CliRun not_number = run({"--format", "json", "--temperature", "hot", "--humidity", "x"});
    const auto unread = nlohmann::json::parse(not_number.out);
    EXPECT_EQ(unread["inputs"]["barometric_pressure"]["value"], 30.0);
    EXPECT_TRUE(unread["inputs"]["temperature"]["value"].is_null());
    EXPECT_TRUE(unread["inputs"]["relative_humidity"]["value"].is_null());
}

TEST(Scripts, OneReadingAsTheRowOfALog) {
    const CliRun got = run({"--format", "csv", "--gas", "20.125", "--humidity", "0", "--distance-unit", "m"});
    EXPECT_EQ(got.status, 0) << got.err;
    const std::string header =
        "target_gas,target_pressure,barometric_pressure,temperature,altitude,relative_humidity,temperature_unit,"
        "pressure_unit,distance_unit,calculated_gas_pct,calculated_gas_pressure,vapor_pressure_pct,"
        "corrected_barometer,error,warning\n";
    EXPECT_EQ(got.out, header + "20.125,30.00,30.00,75,\"   0\",0,Degrees F,In Hg,Meters,20.13,6.04,0.0,30.00,,\n");
    // As a log, the row gives itself.
    EXPECT_EQ(run({"-"}, got.out).out, got.out);
    const CliRun refused = run({"--format", "csv", "--gas", "abc", "--delimiter", ";"});
    EXPECT_EQ(refused.status, exit_refused);
    EXPECT_EQ(
        refused.out.substr(refused.out.find('\n') + 1),
        "abc;30.00;30.00;75;\"   0\";\" 50\";Degrees F;In Hg;Feet;;;;;\"Error: Target Gas (% Vol) is not a number: "
        "\"\"abc\"\"\";\n");
}

// A folder of its own for each test, empty to start with.
std::filesystem::path fresh_folder(const char* name) {
    const auto folder = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

std::string read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::set<std::string> names_in(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

TEST(OutputFile, ReplacedWholeOrLeftAsItWas) {
    const auto folder = fresh_folder("kestrane-cli-output-test");
    const std::string log = (folder / "log.csv").string();
    const std::string out = (folder / "out.csv").string();
    const std::string good =
        "target_gas,target_pressure,barometric_pressure,temperature,altitude,relative_humidity\n"
        "20.95,30,30,75,0,50\n20.95,30,30,75,0,150\n";
    const std::string expected = run({"-"}, good).out;
    struct Case {
        std::string log;
        std::vector<std::string> args;
        int status;
        bool replaced;
    };
    const Case cases[] = {
        {good, {log, "-o", out}, exit_refused, true},  // refused rows are part of a log's output
        {good, {"--csv", log, "--output", out, "--quiet"}, exit_refused, true},
        {"no header at all\n", {log, "-o", out}, exit_usage, false},
        {good, {"--humidity", "150", "-o", out}, exit_refused, false},  // nothing to write
        {good, {"--csv", (folder / "missing.csv").string(), "-o", out}, exit_io, false},
        {good, {log, "-o", (folder / "." / "log.csv").string()}, exit_usage, false},  // the log itself
        {good, {log, "--rejects", log}, exit_usage, false},
    };
    for (const Case& c : cases) {
        std::ofstream(log, std::ios::binary) << c.log;
        std::ofstream(out, std::ios::binary) << "the earlier output\n";
        const CliRun got = run(c.args);
        EXPECT_EQ(got.status, c.status) << c.args[0] << " " << c.args[1] << ": " << got.err;
        EXPECT_EQ(got.out, "") << c.args[0] << " " << c.args[1];
        EXPECT_EQ(read_file(out), c.replaced ? expected : "the earlier output\n") << c.args[0] << " " << c.args[1];
        EXPECT_EQ(read_file(log), c.log) << c.args[0] << " " << c.args[1];
        EXPECT_EQ(names_in(folder), (std::set<std::string>{"log.csv", "out.csv"})) << c.args[0] << " " << c.args[1];
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace kestrane::cli
