// The help: the same text however it is asked for, and the facts it tells
// (limits, the coverage factor, column and option names) as the program holds them.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/cli/cli_run.h"

namespace kestrane::cli {
namespace {

TEST(Help, TheSameHoweverAskedFor) {
    const std::pair<std::vector<std::string>, std::vector<std::string>> ways[] = {
        {{"help"}, {"--help"}},
        {{"help"}, {"-h"}},
        {{"help", "table"}, {"table", "--help"}},
        {{"help", "table"}, {"table", "-h"}},
    };
    for (const auto& [command, option] : ways) {
        const CliRun asked = run(command);
        EXPECT_EQ(asked.status, 0);
        EXPECT_EQ(asked.out, run(option).out) << "help by " << command.back() << " and by " << option.back();
    }
}

TEST(Help, TellsTheFactsTheProgramChecks) {
    const std::string main_help = run({"--help"}).out;
    const std::string table_help = run({"table", "--help"}).out;
    const std::pair<const std::string*, const char*> facts[] = {
        {&main_help,
         "--monte-carlo N|auto        Check the uncertainty of the Calculated Gas (% Vol) with N draws of the inputs "
         "through the correction itself, from 10^4/(1 - p) at coverage probability p (200000 at 95 %) to 10000000"},
        {&main_help, "The expanded uncertainty beside a result is k = 2 times its combined standard uncertainty"},
        {&main_help,
         "(options, or columns u_target_gas ... u_relative_humidity, VALUE[:SHAPE]), each row also\ngets "
         "expanded_uncertainty_gas_pct, expanded_uncertainty_gas_pressure,\nexpanded_uncertainty_vapor_pct and "
         "expanded_uncertainty_barometer (k = 2) after the results, and with\n--coverage coverage_factor after them"},
        {&main_help, "An uncertainty (--u-gas ... --u-humidity) is in its field's own unit"},
        {&main_help, "VALUE:rectangular, VALUE:triangular or VALUE:arcsine is the half-width a"},
        {&main_help, "  --lenient                   Read each text as the dialog does"},
        {&main_help, "  --decimal-comma             Numbers have a decimal comma"},
        {&main_help, "  kestrane-cli --decimal-comma readings.csv -o corrected.csv\n"},
        {&main_help, "(E1 target gas ... E6 relative humidity)"},
        {&main_help, "--gas TEXT=20.95 "},
        {&table_help, "A table has at most 10000 cells."},
        {&table_help,
         "(--gas ... --humidity, --lenient, --decimal-comma, --temperature-unit,\n"
         "--pressure-unit, --distance-unit)"},
    };
    for (const auto& [help, fact] : facts)
        EXPECT_NE(help->find(fact), std::string::npos) << "no \"" << fact << "\" in\n" << *help;
    // The limits the help tells are the ones the option holds.
    EXPECT_EQ(run({"--monte-carlo", "199999"}).err,
              "kestrane-cli: --monte-carlo 199999 is out of range; use 200000 to 10000000 at 95 % coverage, or auto\n");
    EXPECT_EQ(run({"--monte-carlo", "10000001"}).err,
              "kestrane-cli: --monte-carlo 10000001 is out of range; use 200000 to 10000000 at 95 % coverage, or "
              "auto\n");
}

}  // namespace
}  // namespace kestrane::cli
