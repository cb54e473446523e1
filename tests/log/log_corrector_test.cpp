// Correcting whole CSV logs: rows copied through with their results, refused
// and malformed rows kept in place, unit columns, and headers that stop the run.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "log/log_corrector.h"

namespace kestrane {
namespace {

const std::string results_header =
    "calculated_gas_pct,calculated_gas_pressure,vapor_pressure_pct,corrected_barometer,error,warning\n";
const std::string six_columns = "target_gas,target_pressure,barometric_pressure,temperature,altitude,relative_humidity";

struct LogCase {
    const char* name;
    std::string log;
    std::string corrected;
    std::size_t corrected_rows;
    std::size_t refused;
    std::size_t malformed;
    UnitSelection units{};
    ReadingMode mode = ReadingMode::strict;
};

// Corrects a log given whole; the output and the report.
LogReport corrected(const std::string& log, const LogOptions& options, std::string& out, std::size_t chunk = 0) {
    out.clear();
    return correct_log_text(log, options, out, nullptr, chunk);
}

TEST(CorrectLog, EveryRowComesBack) {
    const LogCase cases[] = {
        {"DialogExamplesWithCrLf",
         six_columns + "\r\n"
                       "20.95,30.00,30.00,75,   0, 50\r\n"
                       "20.95,30.00,30.00,75,0,0\r\n"
                       "20.95,30.00,30.00,75,0,100\r\n"
                       "20.95,30.00,30.00,75,5000,50\r\n"
                       // An exact tie, 20.125, rounds away from zero.
                       "20.125,30.00,30.00,75,0,0\r\n"
                       "100.0001,30,30,75,0,50\r\n"
                       // The first refused field ends the run: no humidity message.
                       "20.95,0,30,75,0,abc\r\n"
                       "20.95,30,30,75,-0.001,50\r\n"
                       "20.95,30,30,75,0,-0.0001\r\n"
                       ",30,30,75,0,50\r\n"
                       "12abc,30,30,75,0,50\r\n",
         six_columns + "," + results_header +
             // Texts with leading blanks are quoted, so they read back with their blanks.
             "20.95,30.00,30.00,75,\"   0\",\" 50\",20.64,6.19,1.5,29.56,,\n"
             "20.95,30.00,30.00,75,0,0,20.95,6.29,0.0,30.00,,\n"
             "20.95,30.00,30.00,75,0,100,20.34,6.10,2.9,29.13,,\n"
             "20.95,30.00,30.00,75,5000,50,17.29,5.19,1.5,24.76,,\n"
             "20.125,30.00,30.00,75,0,0,20.13,6.04,0.0,30.00,,\n"
             "100.0001,30,30,75,0,50,,,,,Error: Gas Percent Outside of Range,\n"
             "20.95,0,30,75,0,abc,,,,,Error: Target Pressure Outside of Range,\n"
             "20.95,30,30,75,-0.001,50,,,,,Error: Altitude Outside of Range,\n"
             "20.95,30,30,75,0,-0.0001,20.95,6.29,-0.0,30.00,,\n"
             // Read strictly, a cell is one number or refused with its text.
             ",30,30,75,0,50,,,,,\"Error: Target Gas (% Vol) is not a number: \"\"\"\"\",\n"
             "12abc,30,30,75,0,50,,,,,\"Error: Target Gas (% Vol) is not a number: \"\"12abc\"\"\",\n",
         6, 5, 0},
        // The same two cells read as the dialog reads them.
        {"LenientAsTheDialog", six_columns + "\n,30,30,75,0,50\n12abc,30,30,75,0,50\n20.95%,30,30,75,0,50 %\n",
         six_columns + ",reading," + results_header +
             ",30,30,75,0,50,lenient,,,,,Error: Gas Percent Outside of Range,\n"
             "12abc,30,30,75,0,50,lenient,11.83,3.55,1.5,29.56,,\n"
             "20.95%,30,30,75,0,50 %,lenient,20.64,6.19,1.5,29.56,,\n",
         2, 1, 0, UnitSelection{}, ReadingMode::lenient},
        {"OtherColumnOrderAndExtraColumns",
         "note,relative_humidity,altitude,temperature,barometric_pressure,target_pressure,target_gas,time\n"
         "\"tie, away\",0,0,75,30.00,30.00,20.125,08:00\n"
         "\"said \"\"high\"\"\",50,5000,75,30.00,30.00,20.95,08:01\n",
         "note,relative_humidity,altitude,temperature,barometric_pressure,target_pressure,target_gas,time," +
             results_header +
             "\"tie, away\",0,0,75,30.00,30.00,20.125,08:00,20.13,6.04,0.0,30.00,,\n"
             "\"said \"\"high\"\"\",50,5000,75,30.00,30.00,20.95,08:01,17.29,5.19,1.5,24.76,,\n",
         2, 0, 0},
        // Unit columns, in list texts or short names and any case; an empty cell
        // takes the unit of the options.
        {"UnitColumns",
         six_columns + ",temperature_unit,pressure_unit,distance_unit\n"
                       "20.95,30.00,30.00,25,0,50,Degrees C,,\n"
                       "20.95,760,760,75,0,50,,mmhg,\n"
                       "20.95,30.00,30.00,75,1000,50,f,In Hg,Meters\n"
                       "20.95,30.00,30.00,25,0,50, C ,,\n",
         six_columns + ",temperature_unit,pressure_unit,distance_unit," + results_header +
             "20.95,30.00,30.00,25,0,50,Degrees C,,,20.62,6.19,1.6,29.53,,\n"
             "20.95,760,760,75,0,50,,mmhg,,20.64,156.89,1.5,29.48,,\n"
             "20.95,30.00,30.00,75,1000,50,f,In Hg,Meters,18.38,5.52,1.5,26.32,,\n"
             "20.95,30.00,30.00,25,0,50,\" C \",,,20.62,6.19,1.6,29.53,,\n",
         4, 0, 0},
        {"UnitsFromTheOptions",
         six_columns + ",temperature_unit\n"
                       "20.95,30.00,30.00,25,0,50,\n"
                       "20.95,30.00,30.00,75,0,50,F\n",
         six_columns + ",temperature_unit," + results_header +
             "20.95,30.00,30.00,25,0,50,,20.62,6.19,1.6,29.53,,\n"
             "20.95,30.00,30.00,75,0,50,F,20.64,6.19,1.5,29.56,,\n",
         2, 0, 0, UnitSelection{1, 0, 0}},
        // Malformed records keep their place, their text whole in the first
        // column, and the rows after them are still corrected.
        {"MalformedRecordsCarryTheirText",
         six_columns + ",pressure_unit\n"
                       "20.95,30.00,30.00,75,0,50,\n"
                       "20.95,30.00,30.00,75,0,50\n"
                       "\n"
                       "20.95,30.00,30.00,75,0,50,,extra\n"
                       "20.95,30.00,\"30.00,75,0,50,\n"
                       "20.95,30.00,30.00,75,0,50,Pa\n"
                       "\"20.95\"x,30.00,30.00,75,0,50,\n"
                       "20\"95,30.00,30.00,75,0,50,\n"
                       "20.95,30.00,30.00,75,0,0,\n",
         six_columns + ",pressure_unit," + results_header +
             "20.95,30.00,30.00,75,0,50,,20.64,6.19,1.5,29.56,,\n"
             "\"20.95,30.00,30.00,75,0,50\",,,,,,,,,,,\"line 3: expected 7 fields, found 6\",\n"
             "\"20.95,30.00,30.00,75,0,50,,extra\",,,,,,,,,,,\"line 5: expected 7 fields, found 8\",\n"
             "\"20.95,30.00,\"\"30.00,75,0,50,\",,,,,,,,,,,line 6: unterminated quoted field,\n"
             "20.95,30.00,30.00,75,0,50,Pa,,,,,\"unknown pressure unit \"\"Pa\"\"; use In Hg or inHg, mm Hg or "
             "mmHg or torr, Bar, KPa, hPa or mbar or millibar, psi or psia, atm (any case); did you mean KPa?\",\n"
             "\"\"\"20.95\"\"x,30.00,30.00,75,0,50,\",,,,,,,,,,,line 8: text after the closing quote of a field,\n"
             // A bare quote is text: this row is read, and refused for what it reads.
             "20\"95,30.00,30.00,75,0,50,,,,,,\"Error: Target Gas (% Vol) is not a number: \"\"20\"\"95\"\"\","
             "\"quote inside a field that is not quoted (column 1), read as text\"\n"
             "20.95,30.00,30.00,75,0,0,,20.95,6.29,0.0,30.00,,\n",
         2, 2, 4},
        // A quote inside a cell that does not start with one is text: the
        // cell goes through as it stood, and the warning names its column.
        {"BareQuoteIsTextWithAWarning",
         six_columns + ",site,note\n"
                       "20.95,30.00,30.00,75,0,50,37°36'37.8\"N,\"a, b\"\n"
                       "20.95,30.00,30.00,75,0,50,5'11\",x\"\n"
                       "20.95,30.00,3\"0,75,0,50,,\n",
         six_columns + ",site,note," + results_header +
             "20.95,30.00,30.00,75,0,50,37°36'37.8\"N,\"a, b\",20.64,6.19,1.5,29.56,,"
             "\"quote inside a field that is not quoted (column 7), read as text\"\n"
             "20.95,30.00,30.00,75,0,50,5'11\",x\",20.64,6.19,1.5,29.56,,"
             "\"quotes inside fields that are not quoted (columns 7, 8), read as text\"\n"
             "20.95,30.00,3\"0,75,0,50,,,,,,,\"Error: Barometric Pressure is not a number: \"\"3\"\"0\"\"\","
             "\"quote inside a field that is not quoted (column 3), read as text\"\n",
         2, 1, 0},
        {"ByteOrderMarkKept", "\xEF\xBB\xBF" + six_columns + "\n20.95,30.00,30.00,75,0,50\n",
         "\xEF\xBB\xBF" + six_columns + "," + results_header + "20.95,30.00,30.00,75,0,50,20.64,6.19,1.5,29.56,,\n", 1,
         0, 0},
        {"HeaderOnly", six_columns + "\n", six_columns + "," + results_header, 0, 0, 0},
    };
    for (const auto& c : cases) {
        std::string out;
        LogOptions options;
        options.units = c.units;
        options.rules.mode = c.mode;
        const LogReport report = corrected(c.log, options, out);
        EXPECT_EQ(report.failure, LogFailure::none) << c.name << ": " << report.message << "\nlog:\n" << c.log;
        EXPECT_EQ(out, c.corrected) << c.name << ": log\n" << c.log;
        // Corrected again, a log kestrane-cli wrote comes back as it is.
        std::string again;
        corrected(out, options, again);
        EXPECT_EQ(again, out) << c.name << ": corrected twice";
        EXPECT_EQ(report.corrected, c.corrected_rows) << c.name;
        EXPECT_EQ(report.refused, c.refused) << c.name;
        EXPECT_EQ(report.malformed, c.malformed) << c.name;
        EXPECT_EQ(report.rows, c.corrected_rows + c.refused + c.malformed) << c.name;
    }
}

TEST(CorrectLog, OverlongLineIsMalformedAndTheNextStillRead) {
    const std::string row = "20.95,30.00,30.00,75,0,50\n";
    const std::string log = six_columns + "\n" + row + "20.95,30.00,30.00,75,0,50" + std::string(100, ' ') + "\n" + row;
    std::string out;
    LogOptions options;
    options.max_record = 90;
    const LogReport report = corrected(log, options, out);
    EXPECT_EQ(out, six_columns + "," + results_header +
                             "20.95,30.00,30.00,75,0,50,20.64,6.19,1.5,29.56,,\n"
                             "\"20.95,30.00,30.00,75,0,50" +
                             std::string(100, ' ') +
                             "\",,,,,,,,,,line 3: record longer than 90 bytes,\n"
                             "20.95,30.00,30.00,75,0,50,20.64,6.19,1.5,29.56,,\n");
    EXPECT_EQ(report.malformed, 1u);
    EXPECT_EQ(report.corrected, 2u);
}

struct HeaderCase {
    const char* name;
    std::string log;
    std::string message;
    char delimiter = LogOptions::detect_delimiter;
};

const std::string all_needed =
    " (a log needs the columns target_gas, target_pressure, barometric_pressure, temperature, altitude, "
    "relative_humidity)";
const std::string read_with_comma =
    "; read with the delimiter \",\", as none of \",\", \";\", \"|\" or tab gave them all: if the log has another, "
    "give --delimiter";

TEST(CorrectLog, BadHeadersStopBeforeAnyOutput) {
    const HeaderCase cases[] = {
        {"Empty", "", "the input is empty: a log starts with a header row naming its columns"},
        {"BlankLinesOnly", "\n\r\n", "the input is empty: a log starts with a header row naming its columns"},
        // A misspelt column must not be filled in from the defaults; a near miss is named.
        {"OneMissing",
         "target_gas,target_pressure,barometric_pressure,temperature,altitude,humidity\n20.95,30,30,75,0,50\n",
         "line 1: missing column relative_humidity" + all_needed + read_with_comma},
        {"NearMiss", "targt_gas,target_pressure,barometric_pressure,temperature,altitude,relative_humidity\n",
         "line 1: missing column target_gas" + all_needed +
             "; column 1 is \"targt_gas\": rename it target_gas if that is what it holds" + read_with_comma},
        {"SeveralMissingAfterBlankLines", "\n\ntarget_gas,Temperature\n1,2\n",
         "line 3: missing columns target_pressure, barometric_pressure, altitude, relative_humidity" + all_needed +
             read_with_comma},
        {"SemicolonsGiven", "target_gas;target_pressure;barometric_pressure;temperature;altitude;relative_humidity\n",
         "line 1: missing columns target_gas, target_pressure, barometric_pressure, temperature, altitude, "
         "relative_humidity" +
             all_needed + "; its header is one column with \";\" in it: give --delimiter \";\"",
         ','},
        {"FieldTwice", six_columns + ",Altitude\n", "line 1: column Altitude appears twice (columns 5 and 7)"},
        {"UnitColumnTwice", "pressure_unit," + six_columns + ",pressure_unit\n",
         "line 1: column pressure_unit appears twice (columns 1 and 8)"},
        {"BrokenQuoting", "\"target_gas," + six_columns + "\n", "line 1: unterminated quoted field"},
        // A user's column named as one the correction adds is never overwritten.
        {"UsersOwnResultColumns", "time," + six_columns + ",corrected_barometer,error\n1,20.95,30,30,75,0,50,29.92,E42\n",
         "line 1: column 8 is named corrected_barometer, as is a column the correction adds to a log, and the log "
         "does not end in the columns it adds; rename that column (to corrected_barometer_1, say) and run again"},
        {"UsersOwnWarning", six_columns + ",Warning\n",
         "line 1: column 7 is named Warning, as is a column the correction adds to a log, and the log does not end "
         "in the columns it adds; rename that column (to Warning_1, say) and run again"},
        {"ResultsNotAtTheEnd", "calculated_gas_pct," + six_columns + "," + results_header,
         "line 1: column 1 is named calculated_gas_pct, as is a column the correction adds to a log, and the log "
         "does not end in the columns it adds; rename that column (to calculated_gas_pct_1, say) and run again"},
        {"Utf16", std::string("\xFF\xFEt\0a\0r\0", 8),
         "the log is UTF-16 text (as Excel's \"Unicode Text\" saves it), which is not read here: save it as \"CSV "
         "UTF-8 (Comma delimited)\" and correct that"},
        {"Utf16WithoutMark", std::string("t\0a\0r\0g\0e\0t\0,\0t\0i\0m\0e\0\n\0", 24),
         "the log is UTF-16 text (as Excel's \"Unicode Text\" saves it), which is not read here: save it as \"CSV "
         "UTF-8 (Comma delimited)\" and correct that"},
        // A no-break space looks like a blank in a message, so it is named.
        {"NoBreakSpace", "target_gas\xC2\xA0,target_pressure,barometric_pressure,temperature,altitude,relative_humidity\n",
         "line 1: missing column target_gas" + all_needed +
             "; column 1 is \"target_gas\" with a no-break space (U+00A0) in it: rename it target_gas if that is "
             "what it holds" + read_with_comma},
        {"UsersColumnsAfterItsOwn", six_columns + "," + results_header.substr(0, results_header.size() - 1) +
                                        ",notes,checked\n",
         "line 1: columns 7 to 12 are the columns a corrected log ends in, and columns 13 on (notes, checked) follow "
         "them: move those columns before column 7, or delete the corrected columns, and run again"},
    };
    for (const auto& c : cases) {
        std::string out;
        LogOptions options;
        options.delimiter = c.delimiter;
        const LogReport report = corrected(c.log, options, out);
        EXPECT_EQ(report.failure, LogFailure::bad_header) << c.name << ": log\n" << c.log;
        EXPECT_EQ(report.message, c.message) << c.name;
        EXPECT_EQ(out, "") << c.name;
    }
}

// A header is read as CSV with each delimiter in turn, quotes and all, and the
// one that names every field is the log's; names in any case, blanks around.
TEST(CorrectLog, DelimiterFromTheHeader) {
    const std::pair<std::string, std::string> cases[] = {
        {"\"Zeit, UTC\";Target_Gas;target_pressure;barometric_pressure;temperature;altitude;relative_humidity\n"
         "07:00;20,95;30;30;75;0;50\n",
         "Zeit, UTC;Target_Gas;target_pressure;barometric_pressure;temperature;altitude;relative_humidity;decimal_mark;"
         "calculated_gas_pct;calculated_gas_pressure;vapor_pressure_pct;corrected_barometer;error;warning\n"
         "07:00;20,95;30;30;75;0;50;,;20,64;6,19;1,5;29,56;;\n"},
        {"Druck (hPa, abs)|target_gas| target_pressure |barometric_pressure|temperature|altitude|relative_humidity\n"
         "x|20,95|30|30|75|0|50\n",
         "Druck (hPa, abs)|target_gas|\" target_pressure \"|barometric_pressure|temperature|altitude|relative_humidity|decimal_mark|"
         "calculated_gas_pct|calculated_gas_pressure|vapor_pressure_pct|corrected_barometer|error|warning\n"
         "x|20,95|30|30|75|0|50|,|20,64|6,19|1,5|29,56||\n"},
        {"a\ttarget_gas\ttarget_pressure\tbarometric_pressure\ttemperature\taltitude\trelative_humidity\n"
         "1,5\t20,95\t30\t30\t75\t0\t50\n",
         "a\ttarget_gas\ttarget_pressure\tbarometric_pressure\ttemperature\taltitude\trelative_humidity\tdecimal_mark\t"
         "calculated_gas_pct\tcalculated_gas_pressure\tvapor_pressure_pct\tcorrected_barometer\terror\twarning\n"
         "1,5\t20,95\t30\t30\t75\t0\t50\t,\t20,64\t6,19\t1,5\t29,56\t\t\n"},
    };
    LogOptions options;
    options.rules.decimal_comma = true;
    for (const auto& [log, expected] : cases) {
        std::string out;
        const LogReport report = corrected(log, options, out);
        EXPECT_EQ(report.failure, LogFailure::none) << report.message;
        EXPECT_EQ(out, expected) << log;
    }
}

// A log that kestrane-cli wrote is corrected in place and comes back as it
// was: results, refusals, warnings, blank rows and the malformed records an
// earlier run carried, with or without rejects.
TEST(CorrectLog, ItsOwnOutputComesBackUnchanged) {
    const std::string log = "time," + six_columns + "\n1,20.95,30,30,75,0,50\n2,20.95,30,30,300,0,50\n"
                            "3,20.95,30,30,75,0,150\n4,20.95,30\n\n,,,,,,\n\"5,20.95,\"x\"\n6,20.95,30,30,75,0,0\n";
    for (const bool rejects : {false, true}) {
        LogOptions options;
        options.rejects = rejects;
        std::string first;
        std::string rejected;
        correct_log_text(log, options, first, &rejected);
        std::string second;
        std::string rejected_again;
        const LogReport report = correct_log_text(first, options, second, &rejected_again);
        EXPECT_EQ(second, first) << "with rejects: " << rejects;
        EXPECT_EQ(rejected_again, "");
        EXPECT_EQ(report.malformed, 2u);
        EXPECT_EQ(report.corrected, 3u);
    }
    // An older version's output, without the warning column, gets it at the end.
    std::string out;
    corrected(six_columns + ",calculated_gas_pct,calculated_gas_pressure,vapor_pressure_pct,corrected_barometer,"
                            "error\n20.95,30,30,75,0,0,1,2,3,4,old\n",
              LogOptions{}, out);
    EXPECT_EQ(out, six_columns + "," + results_header + "20.95,30,30,75,0,0,20.95,6.29,0.0,30.00,,\n");
}

// The options a log's results depend on are recorded in the columns a log
// states them in, so that the output corrected again with none gives itself.
TEST(CorrectLog, OutputRecordsTheOptionsThatMadeIt) {
    struct Case {
        const char* name;
        std::string log;
        void (*set)(LogOptions&);
        std::string recorded;  // the columns added after the log's own
    };
    const std::string rows = "\n20.95,1013,1013,20,300,50\n,,,,,\n20.95,x,1013,20,300,50\n\"1,2\n";
    const Case cases[] = {
        {"Units", six_columns + rows,
         [](LogOptions& o) { o.units = {1, 1, 1}; },
         "temperature_unit,pressure_unit,distance_unit,"},
        {"UnitColumnOfItsOwn", six_columns + ",pressure_unit" + "\n20.95,1013,1013,20,300,50,hPa\n",
         [](LogOptions& o) { o.units = {0, 1, 0}; }, ""},
        {"Uncertainties", six_columns + rows,
         [](LogOptions& o) {
             o.uncertainty = true;
             o.uncertainty_texts[0] = "0.05";
             o.uncertainties.inputs[0].value = 0.05;
         },
         "u_target_gas,"},
        {"DecimalComma", "target_gas;target_pressure;barometric_pressure;temperature;altitude;relative_humidity\n"
                         "20,95;30;30;75;0;50\n",
         [](LogOptions& o) { o.rules.decimal_comma = true; }, "decimal_mark,"},
        {"Lenient", six_columns + "\n20.95%,30,30,75,0,50\n",
         [](LogOptions& o) { o.rules.mode = ReadingMode::lenient; }, "reading,"},
        {"NoOptions", six_columns + rows, [](LogOptions&) {}, ""},
    };
    for (const auto& c : cases) {
        LogOptions options;
        c.set(options);
        std::string first;
        correct_log_text(c.log, options, first);
        const std::size_t header_end = c.log.find('\n');
        const char d = c.log.substr(0, header_end).find(';') != std::string::npos ? ';' : ',';
        std::string header = c.log.substr(0, header_end) + d + c.recorded + "calculated_gas_pct";
        std::replace(header.begin(), header.end(), ',', d);
        EXPECT_EQ(first.substr(0, header.size()), header) << c.name;
        std::string second;
        correct_log_text(first, LogOptions{}, second);
        EXPECT_EQ(second, first) << c.name;
    }
    // A row's own mark: one that is neither is refused by name.
    std::string out;
    const LogReport report =
        correct_log_text(six_columns + ",decimal_mark\n\"20,95\",30,30,75,0,50,\",\"\n20.95,30,30,75,0,50,;\n",
                         LogOptions{}, out);
    EXPECT_EQ(report.corrected, 1u);
    EXPECT_NE(out.find(",,,,,\"decimal_mark is \"\";\"\": it is \"\".\"\" or \"\",\"\"\","), std::string::npos) << out;
}

// Every malformed record comes back byte for byte: without rejects in its row's
// first column, with them in the rejects as it stood, line break and all.
TEST(CorrectLog, MalformedRecordsLoseNoByte) {
    const std::string malformed[] = {
        "a,20.95,30,30,75,0\n",                                // a field short
        "b,20.95,30,30,75,0,50,extra\r\n",                     // a field over, CRLF
        "\"c,20.95,30,30,75,0,50\r",                           // a quote left open, lone CR
        "\"d\"x,20.95,30,30,75,0,50\n",                        // text after a closing quote
        "\"e\" ,20.95,30,30,75,0,50\n",                       // a blank after a closing quote
        "f," + std::string(200000, '9') + ",30,30,75,0,50\n",  // far past the bound
        "\"g,\"\"q\"\"\n",                                     // open across lines: its line alone
        ",,\"h\",\"\"\"\",,,,\n",                              // quotes around little, a field over
        "i,20.95,30,30,75,0,50,cut off",                       // the last, with no line break
    };
    const std::string good = "ok,20.95,30,30,75,0,50\n";
    std::string log = "note," + six_columns + "\n";
    std::string rejected;
    std::string texts;  // each record without its line break, then LF
    for (const std::string& record : malformed) {
        log += good + record;
        rejected += record;
        texts.append(record.substr(0, record.find_last_not_of("\r\n") + 1)) += '\n';
    }
    LogOptions options;
    options.max_record = 1000;
    for (const std::size_t chunk : {std::size_t{0}, std::size_t{4096}}) {
        std::string out;
        const LogReport report = corrected(log, options, out, chunk);
        EXPECT_EQ(report.malformed, std::size(malformed));
        RecordReader reader;
        reader.push(out);
        reader.close();
        std::vector<std::string_view> fields;
        std::string carried;
        while (reader.next(fields) == RecordReader::Step::record) {
            if (fields.size() > 12 && fields[11].substr(0, 5) == "line ")
                carried.append(fields[0]) += '\n';
        }
        EXPECT_TRUE(carried == texts) << "carried:\n" << carried.substr(0, 400);
        std::string with_rejects;
        std::string rejects;
        options.rejects = true;
        correct_log_text(log, options, with_rejects, &rejects, chunk);
        options.rejects = false;
        EXPECT_TRUE(rejects == rejected) << "rejects:\n" << rejects.substr(0, 400);
        EXPECT_NE(with_rejects.find("\n,,,,,,,,,,,\"line 3: expected 7 fields, found 6\",\n"), std::string::npos)
            << with_rejects.substr(0, 400);
    }
}

// Fed a byte at a time, or cut anywhere, a log gives the same bytes; and each
// row is out as soon as its end has arrived (a row that ends in CR when the
// next byte shows whether an LF follows).
TEST(CorrectLog, PushedInPiecesAlike) {
    const std::string log = "\xEF\xBB\xBFn," + six_columns + "\r\n1,20.95,30,30,75,0,50\r\n2,\"20.95\",30,30,75,0\r"
                            "3,20.95,30,30,75,0,50," + std::string(150, 'x') + "\n\"4,open\n5,20.95,30,30,75,0,9\r";
    LogOptions options;
    options.max_record = 100;
    std::string whole;
    corrected(log, options, whole);
    for (std::size_t cut = 1; cut < log.size(); ++cut) {
        LogCorrector corrector(options);
        corrector.push(std::string_view(log).substr(0, cut));
        std::string out = corrector.output();
        corrector.output().clear();
        corrector.push(std::string_view(log).substr(cut));
        out += corrector.output();
        corrector.output().clear();
        corrector.finish();
        out += corrector.output();
        ASSERT_EQ(out, whole) << "cut at byte " << cut;
    }
    std::string out;
    EXPECT_EQ(corrected(log, options, out, 1).rows, 5u);
    EXPECT_EQ(out, whole) << "a byte at a time";
    LogCorrector corrector(options);
    corrector.push(six_columns + "\n20.95,30,30,75,0,50\n20.95,30");
    EXPECT_EQ(std::count(corrector.output().begin(), corrector.output().end(), '\n'), 2);
    corrector.push(",30,75,0,0\r");
    EXPECT_EQ(std::count(corrector.output().begin(), corrector.output().end(), '\n'), 2);
    corrector.push("\n");
    EXPECT_EQ(std::count(corrector.output().begin(), corrector.output().end(), '\n'), 3);
}

// Large logs go out in pieces; every row must still arrive whole and in order.
TEST(CorrectLog, LongLogKeepsEveryRowInOrder) {
    std::string log = "n," + six_columns + "\n";
    std::string expected = "n," + six_columns + "," + results_header;
    constexpr int rows = 20000;
    for (int i = 0; i < rows; ++i) {
        const bool dry = i % 2 == 0;
        log += std::to_string(i) + (dry ? ",20.95,30,30,75,0,0\n" : ",20.95,30,30,75,0,100\n");
        expected += std::to_string(i) + (dry ? ",20.95,30,30,75,0,0,20.95,6.29,0.0,30.00,,\n"
                                             : ",20.95,30,30,75,0,100,20.34,6.10,2.9,29.13,,\n");
    }
    std::string out;
    const LogReport report = corrected(log, LogOptions{}, out, 65536);
    EXPECT_EQ(report.failure, LogFailure::none) << report.message;
    EXPECT_EQ(report.rows, static_cast<std::size_t>(rows));
    EXPECT_TRUE(out == expected) << "the corrected log of " << rows << " alternating rows differs";
}

// A row's uncertainties are its own: each row of a log gives the same line
// corrected alone as after any rows before it, whether its cells repeat the
// row before's, change, are refused, are empty (the option's), or read the
// same text with the other decimal mark.
TEST(CorrectLog, RowUncertaintiesDependOnNoEarlierRow) {
    const std::string header = six_columns + ",u_target_gas,u_temperature,decimal_mark\n";
    const std::vector<std::string> rows = {
        "20.95,30,30,75,0,50,0.1,0.5,",   "20.95,30,30,75,0,50,0.1,0.5,",   "20.95,30,30,75,0,50,0.2,0.5,",
        "20.95,30,30,75,0,50,0.2,x,",     "20.95,30,30,75,0,50,0.2,0.5,",   "20.95,30,30,75,0,50,,0.5,",
        "20.95,30,30,75,0,50,0.2,0.5,",   "20.95,30,30,75,0,50,0.2,0.5,\",\"",  "20.95,30,30,75,0,50, 0.2,0.5,",
        "\"20,95\",30,30,75,0,50,\"0,2\",\"0,5\",\",\"", "20.95,30,30,75,0,50,0.2,0.5,",
        "20.95,30,30,75,0,50,0.2,1e309,", "20.95,30,30,75,0,50,0.2,0.5,",
        "20.95,30,30,75,0,50,0.2:rectangular,0.5,", "20.95,30,30,75,0,50,0.2:rectangular,0.5,",
        "20.95,30,30,75,0,50,0.2,0.5:Triangular,", "20.95,30,30,75,0,50,0.2:square,0.5,",
    };
    LogOptions options;
    options.uncertainty = true;
    options.uncertainty_texts[0] = "0.05";
    options.uncertainties.inputs[0].value = 0.05;
    std::string log = header;
    for (const std::string& row : rows)
        log += row + "\n";
    std::string whole;
    corrected(log, options, whole);
    std::string expected;
    for (const std::string& row : rows) {
        std::string alone;
        corrected(header + row + "\n", options, alone);
        expected += expected.empty() ? alone : alone.substr(alone.find('\n') + 1);
    }
    EXPECT_EQ(whole, expected);
}

// A log this program wrote, in any of the column orders it has written,
// gets its added columns in place: the expanded uncertainties of the four
// results when it has uncertainties, and the coverage factor after them when
// a coverage probability is asked for.
TEST(CorrectLog, OwnOutputOfEveryOrderIsCorrectedInPlace) {
    const std::string results = ",calculated_gas_pct,calculated_gas_pressure,vapor_pressure_pct,corrected_barometer";
    const std::string four = ",expanded_uncertainty_gas_pct,expanded_uncertainty_gas_pressure,"
                             "expanded_uncertainty_vapor_pct,expanded_uncertainty_barometer";
    const std::string two = ",expanded_uncertainty_gas_pct,expanded_uncertainty_gas_pressure";
    const std::string row = "\n20.95,30,30,75,0,50,0.1";
    struct Case {
        const char* name;
        std::string suffix;  // the added columns of the log as written
        bool coverage;
        std::string header;  // the added columns of its output
    };
    const Case cases[] = {
        {"Plain", results + ",error,warning", false, results + four + ",error,warning"},
        {"NoWarningColumn", results + ",error", false, results + four + ",error,warning"},
        {"TwoUncertainties", results + two + ",error,warning", false, results + four + ",error,warning"},
        {"FourUncertainties", results + four + ",error,warning", true, results + four + ",coverage_factor,error,warning"},
        {"CoverageFactor", results + four + ",coverage_factor,error,warning", false, results + four + ",error,warning"},
    };
    for (const Case& c : cases) {
        const std::size_t added = static_cast<std::size_t>(std::count(c.suffix.begin(), c.suffix.end(), ','));
        const std::string log = six_columns + ",u_target_gas" + c.suffix + row + std::string(added, ',') + "\n";
        LogOptions options;
        if (c.coverage)
            options.coverage_probability = 0.95;
        std::string out;
        const LogReport report = corrected(log, options, out);
        EXPECT_EQ(report.corrected, 1u) << c.name << ": " << report.message;
        EXPECT_EQ(out.substr(0, out.find('\n')), six_columns + ",u_target_gas" + c.header) << c.name;
    }
}

}  // namespace
}  // namespace kestrane

namespace kestrane {
namespace {

// The analyzer's checks, row by row. With no humidity, no altitude and equal
// pressures the Calculated Gas is the target gas as read (20.950000762939453)
// and its standard uncertainty u_target_gas (sensitivity 1, no model term):
// with --u-analyzer 0.12, u(e) = 0.13 and U = 0.26, which no tolerance of
// 0.1 survives as a guard band. The corrected log, corrected again with no
// options, is itself: the analyzer's uncertainty is recorded as a column.
TEST(CorrectLog, AnalyzerChecksInTheirColumns) {
    const std::string inputs = six_columns + ",u_target_gas,analyzer_reading,as_left,tolerance,decision_rule";
    const std::string log = inputs +
                            "\n20.95,30,30,75,0,0,0.05,21.0,20.9,0.1,\n"
                            "20.95,30,30,75,0,0,0.05,20.5,,0.1,\n"
                            "20.95,30,30,75,0,0,0.05,,,,\n"
                            "20.95,30,30,75,0,0,0.05,21.0,,,\n"
                            "20.95,30,30,75,0,0,0.05,21.0,,0.1,GUARDED\n"
                            "20.95,30,30,75,0,0,0.05,21.0,,0.1,strict\n";
    LogOptions options;
    options.check_texts[static_cast<std::size_t>(CheckInput::standard_uncertainty)] = "0.12";
    std::string out;
    const LogReport report = corrected(log, options, out);
    const std::string results = "20.95,6.29,0.0,30.00,0.10,0.030,0,0,";
    EXPECT_EQ(out, inputs + ",u_analyzer," +
                       "calculated_gas_pct,calculated_gas_pressure,vapor_pressure_pct,corrected_barometer,"
                       "expanded_uncertainty_gas_pct,expanded_uncertainty_gas_pressure,expanded_uncertainty_vapor_pct,"
                       "expanded_uncertainty_barometer,check_error,check_expanded_uncertainty,check_decision,"
                       "as_left_error,as_left_expanded_uncertainty,as_left_decision,error,warning\n"
                       "20.95,30,30,75,0,0,0.05,21.0,20.9,0.1,,0.12," + results + "0.05,0.26,pass,-0.05,0.26,pass,,\n"
                       "20.95,30,30,75,0,0,0.05,20.5,,0.1,,0.12," + results + "-0.45,0.26,fail,,,,,\n"
                       "20.95,30,30,75,0,0,0.05,,,,,0.12," + results + ",,,,,,,\n"
                       "20.95,30,30,75,0,0,0.05,21.0,,,,0.12,,,,,,,,,,,,,,,Error: Analyzer Reading As Found (% Vol) "
                       "is given without Tolerance (\u00b1 % Vol) to check it against,\n"
                       "20.95,30,30,75,0,0,0.05,21.0,,0.1,GUARDED,0.12," + results + "0.05,0.26,fail,,,,,\n"
                       "20.95,30,30,75,0,0,0.05,21.0,,0.1,strict,0.12,,,,,,,,,,,,,,,"
                       "\"decision_rule is \"\"strict\"\": it is \"\"simple\"\" or \"\"guarded\"\"\",\n");
    EXPECT_EQ(log_summary(report),
              "6 rows read, 4 corrected, 2 refused; as found 1 passed, 2 failed; as left 1 passed, 0 failed");
    std::string again;
    correct_log_text(out, LogOptions{}, again);
    EXPECT_EQ(again, out);
}

}  // namespace
}  // namespace kestrane
