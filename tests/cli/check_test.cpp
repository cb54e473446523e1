// The analyzer's check and the record through the command line. With no
// humidity, no altitude and equal pressures the Calculated Gas is the target
// gas as read, G = 20.950000762939453 (single precision), and its only
// uncertainty is --u-gas with sensitivity 1: with --u-gas 0.05 and
// --u-analyzer 0.12, u(e) = 0.13 and U = 0.26. The probabilities are
// Phi((0.1 - e) / 0.13) - Phi((-0.1 - e) / 0.13), worked with mpmath; with
// --dof-gas 4, nu(e) = floor((0.13 / 0.05)^4 * 4) = 182 and k = t(0.975, 182) = 1.973.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include "tests/cli/cli_run.h"

namespace kestrane::cli {
namespace {

std::vector<std::string> with_reading(std::vector<std::string> args) {
    const bool comma = std::find(args.begin(), args.end(), "--decimal-comma") != args.end();
    args.insert(args.begin(),
                {"--humidity", "0", "--u-gas", comma ? "0,05" : "0.05", "--u-analyzer", comma ? "0,12" : "0.12"});
    return args;
}

// The line of the output that begins with `start`, or nothing.
std::string line_starting(const std::string& out, const std::string& start) {
    const std::size_t at = out.find("\n" + start);
    return at == std::string::npos ? "" : out.substr(at + 1, out.find('\n', at + 1) - at - 1);
}

TEST(RunCli, AnalyzerCheckLines) {
    const struct {
        std::vector<std::string> args;
        std::string line;
    } cases[] = {
        {{"--analyzer-reading", "21.0", "--tolerance", "0.1"},
         "Analyzer as found (% Vol): 21.0; error 0.05 (\u00b1 0.26, k = 2); tolerance \u00b1 0.1: pass, simple "
         "acceptance (ILAC-G8:09/2019, w = 0); probability of conformity 52.5 %"},
        // The texts as typed, trimmed; -0.05 from 20.9 - G.
        {{"--analyzer-reading", " 21.0", "--as-left", "20.9 %", "--tolerance", "0.10 "},
         "Analyzer as left (% Vol): 20.9 %; error -0.05 (\u00b1 0.26, k = 2); tolerance \u00b1 0.10: pass, simple "
         "acceptance (ILAC-G8:09/2019, w = 0); probability of conformity 52.5 %"},
        // U = 0.2565 is wider than the tolerance: guarded acceptance passes nothing.
        {{"--decimal-comma", "--dof-gas", "4", "--coverage", "0.95", "--analyzer-reading", "21,0", "--tolerance", "0,1",
          "--decision-rule", "guarded"},
         "Analyzer as found (% Vol): 21,0; error 0,05 (\u00b1 0,26, k = 1,97, p = 95 %); tolerance \u00b1 0,1: fail, "
         "guarded acceptance (ILAC-G8:09/2019, w = U); probability of conformity 52,4 %"},
    };
    for (const auto& c : cases) {
        const CliRun got = run(with_reading(c.args));
        EXPECT_EQ(got.status, 0) << got.err;
        EXPECT_EQ(line_starting(got.out, c.line.substr(0, 17)), c.line) << got.out;
    }
}

TEST(RunCli, AnalyzerCheckJson) {
    const CliRun got = run(with_reading({"--format", "json", "--analyzer-reading", "21.0", "--tolerance", "0.1"}));
    const auto json = nlohmann::json::parse(got.out);
    const auto& check = json["analyzer_check"];
    EXPECT_EQ(check["reading"], 21.0);
    EXPECT_NEAR(check["error"].get<double>(), 21.0 - 20.950000762939453, 1e-15);
    EXPECT_NEAR(check["standard_uncertainty"].get<double>(), 0.13, 1e-15);
    EXPECT_TRUE(check["effective_degrees_of_freedom"].is_null());
    EXPECT_EQ(check["acceptance_limit"], 0.1);
    EXPECT_EQ(check["decision"], "pass");
    EXPECT_EQ(check["rule"], "simple");
    EXPECT_NEAR(check["probability_of_conformity"].get<double>(), 0.525458149959, 1e-12);
    EXPECT_EQ(check["probability_text"], "52.5 %");
    EXPECT_EQ(check["text"], line_starting(run(with_reading({"--analyzer-reading", "21.0", "--tolerance", "0.1"})).out,
                                           "Analyzer as found"));
    EXPECT_TRUE(json["as_left_check"].is_null());
    EXPECT_FALSE(json.contains("record"));
}

TEST(RunCli, AnalyzerCheckRefusals) {
    const struct {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{"--as-left", "20.9"}, "kestrane-cli: --as-left needs --analyzer-reading\n"},
        {{"--tolerance", "0.1"}, "kestrane-cli: --tolerance needs --analyzer-reading\n"},
        {{"--decision-rule", "guarded"}, "kestrane-cli: --decision-rule needs --analyzer-reading\n"},
        {{"--analyzer-reading", "20.9"}, "kestrane-cli: --analyzer-reading needs --tolerance\n"},
        {{"--analyzer-reading", "20,9", "--tolerance", "0.1"},
         "kestrane-cli: Error: Analyzer Reading As Found (% Vol) is not a number: \"20,9\" (for a decimal comma, give "
         "--decimal-comma)\n"},
        {{"--analyzer-reading", "20.9", "--tolerance", "-0.1"},
         "kestrane-cli: Error: Tolerance (\u00b1 % Vol) is not above 0: \"-0.1\"\n"},
        {{"--analyzer-reading", "20.9", "--tolerance", "0.1", "--u-analyzer", "0.1:square"},
         "kestrane-cli: Error: Standard Uncertainty of Analyzer Reading (% Vol) has a shape that is none of normal, "
         "rectangular, triangular or arcsine: \"0.1:square\"\n"},
        {{"--analyzer-reading", "20.9", "--tolerance", "0.1", "--decision-rule", "guarded"},
         "kestrane-cli: Error: guarded acceptance needs the uncertainty of the analyzer's error, and none was given: "
         "give a standard uncertainty of the inputs or of the analyzer's reading, or use simple acceptance\n"},
        {{"-", "--analyzer-reading", "20.9"},
         "kestrane-cli: --analyzer-reading does not go with a log: the log gives it in its analyzer_reading column\n"},
        {{"--record-lab-name", std::string(201, 'x')},
         "kestrane-cli: --record-lab-name is longer than 200 characters\n"},
    };
    for (const auto& c : cases) {
        const CliRun got = run(c.args);
        EXPECT_EQ(got.status, exit_usage) << c.err;
        EXPECT_EQ(got.err, c.err);
    }
}

TEST(RunCli, RecordFromItsFileAndOptions) {
    const auto path = std::filesystem::temp_directory_path() / "kestrane-record-test.txt";
    std::ofstream(path, std::ios::binary) << "\xEF\xBB\xBF# the lab's own\r\nlab-name = Gas Lab\r\n\r\n"
                                             "lab-address =  1 Quay St, Leith & Co = \xC3\x85 \r\noperator = A. Ruiz\n";
    const CliRun got = run({"--record", path.string(), "--record-operator", "B. Ng", "--humidity", "0"});
    std::filesystem::remove(path);
    EXPECT_EQ(got.status, 0) << got.err;
    EXPECT_EQ(got.out.substr(0, got.out.find("Method: ")),
              "Calibration record: oxygen analyzer gas correction\nLaboratory: Gas Lab\n"
              "Laboratory address: 1 Quay St, Leith & Co = \xC3\x85\nCalibrated by: B. Ng\n");
    EXPECT_EQ(run({"--record", "no-such-record.txt"}).status, exit_io);
}

}  // namespace
}  // namespace kestrane::cli
