// Correcting whole CSV logs: rows copied through with their results or
// messages, fields from columns or options, and logs that cannot be read.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "cli/batch.h"

namespace kestrane::cli {
namespace {

struct LogCase {
    const char* name;
    std::string log;
    BatchOptions options;
    std::string corrected;
    std::size_t rows;
    std::size_t refused;
};

LogCase with(const char* name,
             std::string log,
             std::string corrected,
             std::size_t rows,
             std::size_t refused,
             BatchOptions options = {}) {
    return {name, std::move(log), std::move(options), std::move(corrected), rows, refused};
}

BatchOptions with_units(int temperature, int pressure, int distance) {
    BatchOptions options;
    options.units = {temperature, pressure, distance};
    return options;
}

TEST(CorrectCsvLog, CorrectsEveryRow) {
    BatchOptions mm_hg = with_units(0, 1, 0);
    mm_hg.field_texts[1] = "760";
    mm_hg.field_texts[2] = "760";
    BatchOptions semicolons;
    semicolons.delimiter = ';';

    const LogCase cases[] = {
        with("AllSixColumnsWithCrLf",
             "time,gas,target_pressure,barometer,temperature,altitude,humidity\r\n"
             "08:00,20.95,30.00,30.00,75,   0, 50\r\n"
             "08:01,20.95,30.00,30.00,75,0,0\r\n"
             "08:02,20.95,30.00,30.00,75,0,100\r\n"
             "08:03,20.95,30.00,30.00,75,5000,50\r\n"
             // An exact tie, 20.125, rounds away from zero.
             "08:04,20.125,30.00,30.00,75,0,0\r\n"
             "08:05,100.0001,30,30,75,0,50\r\n"
             // The first refused field ends the run: no humidity message.
             "08:06,20.95,0,30,75,0,abc\r\n"
             "08:07,20.95,30,30,75,-0.001,50\r\n"
             "08:08,20.95,30,30,75,0,-0.0001\r\n"
             "08:09,,30,30,75,0,50\r\n"
             "08:10,12abc,30,30,75,0,50\r\n",
             "time,gas,target_pressure,barometer,temperature,altitude,humidity,"
             "calculated_gas_pct,calculated_gas_pressure,vapor_pressure_pct,corrected_barometer,error\n"
             "08:00,20.95,30.00,30.00,75,   0, 50,20.64,6.19,1.5,29.56,\n"
             "08:01,20.95,30.00,30.00,75,0,0,20.95,6.29,0.0,30.00,\n"
             "08:02,20.95,30.00,30.00,75,0,100,20.34,6.10,2.9,29.13,\n"
             "08:03,20.95,30.00,30.00,75,5000,50,17.29,5.19,1.5,24.76,\n"
             "08:04,20.125,30.00,30.00,75,0,0,20.13,6.04,0.0,30.00,\n"
             "08:05,100.0001,30,30,75,0,50,,,,,Error: Gas Percent Outside of Range\n"
             "08:06,20.95,0,30,75,0,abc,,,,,Error: Target Pressure Outside of Range\n"
             "08:07,20.95,30,30,75,-0.001,50,,,,,Error: Altitude Outside of Range\n"
             "08:08,20.95,30,30,75,0,-0.0001,20.95,6.29,-0.0,30.00,\n"
             "08:09,,30,30,75,0,50,,,,,Error: Gas Percent Outside of Range\n"
             "08:10,12abc,30,30,75,0,50,11.83,3.55,1.5,29.56,\n",
             11, 4),
        with("MissingFieldsFromOptionsInCelsius", "Temperature\n25\n",
             "Temperature,calculated_gas_pct,calculated_gas_pressure,vapor_pressure_pct,corrected_barometer,error\n"
             "25,20.62,6.19,1.6,29.53,\n",
             1, 0, with_units(1, 0, 0)),
        with("AltitudeInMeters", "Altitude\n1000\n",
             "Altitude,calculated_gas_pct,calculated_gas_pressure,vapor_pressure_pct,corrected_barometer,error\n"
             "1000,18.38,5.52,1.5,26.32,\n",
             1, 0, with_units(0, 0, 1)),
        // The gas pressure comes out in millimetres, the corrected barometer in inches.
        with("PressuresInMillimetres", "rh\n50\n",
             "rh,calculated_gas_pct,calculated_gas_pressure,vapor_pressure_pct,corrected_barometer,error\n"
             "50,20.64,156.89,1.5,29.48,\n",
             1, 0, mm_hg),
        with("QuotedCellsRequotedOnlyWhenNeeded", "\"note, free\",gas\n\"say \"\"hi\"\"\",20.95\n\"plain\",20.95\n",
             "\"note, free\",gas,calculated_gas_pct,calculated_gas_pressure,vapor_pressure_pct,corrected_barometer,"
             "error\n"
             "\"say \"\"hi\"\"\",20.95,20.64,6.19,1.5,29.56,\n"
             "plain,20.95,20.64,6.19,1.5,29.56,\n",
             2, 0),
        with("SemicolonDelimiter", "note;gas\na,b;100.5\n",
             "note;gas;calculated_gas_pct;calculated_gas_pressure;vapor_pressure_pct;corrected_barometer;error\n"
             "a,b;100.5;;;;;Error: Gas Percent Outside of Range\n",
             1, 1, semicolons),
        with("ByteOrderMarkKept", "\xEF\xBB\xBFgas\n20.95\n",
             "\xEF\xBB\xBFgas,calculated_gas_pct,calculated_gas_pressure,vapor_pressure_pct,corrected_barometer,"
             "error\n"
             "20.95,20.64,6.19,1.5,29.56,\n",
             1, 0),
        with("HeadingsOnly", "gas,rh\n",
             "gas,rh,calculated_gas_pct,calculated_gas_pressure,vapor_pressure_pct,corrected_barometer,error\n", 0, 0),
    };
    for (const auto& c : cases) {
        std::istringstream in(c.log);
        std::ostringstream out;
        const BatchReport report = correct_csv_log(in, out, c.options);
        EXPECT_EQ(report.error, "") << c.name << ": log\n" << c.log;
        EXPECT_EQ(out.str(), c.corrected) << c.name << ": log\n" << c.log;
        EXPECT_EQ(report.rows, c.rows) << c.name;
        EXPECT_EQ(report.refused, c.refused) << c.name;
    }
}

struct BadLogCase {
    const char* name;
    std::string log;
    std::string error;
    std::string written;  // what was written before the error
};

TEST(CorrectCsvLog, BadLogsStopWithTheReason) {
    const std::string gas_rh_headings =
        "gas,rh,calculated_gas_pct,calculated_gas_pressure,vapor_pressure_pct,corrected_barometer,error\n";
    const BadLogCase cases[] = {
        {"Empty", "", "the log is empty: it needs a row of column headings", ""},
        {"BlankLinesOnly", "\n\n", "the log is empty: it needs a row of column headings", ""},
        {"NoFieldColumn", "a;gas;rh\n1;2;3\n",
         "no column heading names an input field (target_gas, target_pressure, barometric_pressure, temperature, "
         "altitude, relative_humidity); is the delimiter right?",
         ""},
        {"SameFieldTwice", "gas,time,Target Gas (% Vol)\n1,2,3\n",
         "columns 1 (\"gas\") and 3 (\"Target Gas (% Vol)\") both give the target_gas", ""},
        // Rows before the bad one are already written.
        {"ShortRow", "gas,rh\n20.95,50\n20.95\n20.95,50\n", "line 3: 1 cell, but the heading row has 2",
         gas_rh_headings + "20.95,50,20.64,6.19,1.5,29.56,\n"},
        {"LongRowAfterQuotedLineBreak", "gas,rh\n\"20.95\n\",50\n1,2,3\n", "line 4: 3 cells, but the heading row has 2",
         gas_rh_headings + "\"20.95\n\",50,20.64,6.19,1.5,29.56,\n"},
        {"UnclosedQuote", "gas,rh\n20.95,50\n\"20.95,50\n", "a quoted cell that starts on line 3 is never closed",
         gas_rh_headings + "20.95,50,20.64,6.19,1.5,29.56,\n"},
    };
    for (const auto& c : cases) {
        std::istringstream in(c.log);
        std::ostringstream out;
        const BatchReport report = correct_csv_log(in, out, BatchOptions{});
        EXPECT_EQ(report.error, c.error) << c.name << ": log\n" << c.log;
        EXPECT_EQ(out.str(), c.written) << c.name << ": log\n" << c.log;
    }
}

// Large logs go out in pieces; every row must still arrive whole and in order.
TEST(CorrectCsvLog, LongLogKeepsEveryRowInOrder) {
    std::string log = "n,rh\n";
    std::string expected =
        "n,rh,calculated_gas_pct,calculated_gas_pressure,vapor_pressure_pct,corrected_barometer,error\n";
    constexpr int rows = 20000;
    for (int i = 0; i < rows; ++i) {
        const bool dry = i % 2 == 0;
        log += std::to_string(i) + (dry ? ",0\n" : ",100\n");
        expected += std::to_string(i) + (dry ? ",0,20.95,6.29,0.0,30.00,\n" : ",100,20.34,6.10,2.9,29.13,\n");
    }
    std::istringstream in(log);
    std::ostringstream out;
    const BatchReport report = correct_csv_log(in, out, BatchOptions{});
    EXPECT_EQ(report.error, "");
    EXPECT_EQ(report.rows, static_cast<std::size_t>(rows));
    EXPECT_TRUE(out.str() == expected) << "the corrected log of " << rows << " alternating rows differs";
}

}  // namespace
}  // namespace kestrane::cli
