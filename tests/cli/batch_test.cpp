// Correcting whole CSV logs: rows copied through with their results, refused
// and malformed rows kept in place, unit columns, and headers that stop the run.
#include <gtest/gtest.h>

#include <algorithm>
#include <ios>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "cli/batch.h"

namespace kestrane::cli {
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
         six_columns + "," + results_header +
             ",30,30,75,0,50,,,,,Error: Gas Percent Outside of Range,\n"
             "12abc,30,30,75,0,50,11.83,3.55,1.5,29.56,,\n"
             "20.95%,30,30,75,0,50 %,20.64,6.19,1.5,29.56,,\n",
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
                       "20.95,30.00,30.00,75,0,50,torr\n"
                       "\"20.95\"x,30.00,30.00,75,0,50,\n"
                       "20\"95,30.00,30.00,75,0,50,\n"
                       "20.95,30.00,30.00,75,0,0,\n",
         six_columns + ",pressure_unit," + results_header +
             "20.95,30.00,30.00,75,0,50,,20.64,6.19,1.5,29.56,,\n"
             "\"20.95,30.00,30.00,75,0,50\",,,,,,,,,,,\"line 3: expected 7 fields, found 6\",\n"
             "\"20.95,30.00,30.00,75,0,50,,extra\",,,,,,,,,,,\"line 5: expected 7 fields, found 8\",\n"
             "\"20.95,30.00,\"\"30.00,75,0,50,\",,,,,,,,,,,line 6: unterminated quoted field,\n"
             "20.95,30.00,30.00,75,0,50,torr,,,,,\"unknown pressure unit \"\"torr\"\"; use In Hg or inHg, mm Hg or "
             "mmHg, Bar, KPa, hPa or mbar or millibar, psi or psia, atm (any case)\",\n"
             "\"\"\"20.95\"\"x,30.00,30.00,75,0,50,\",,,,,,,,,,,line 8: text after the closing quote of a field,\n"
             "\"20\"\"95,30.00,30.00,75,0,50,\",,,,,,,,,,,line 9: quote inside a field that is not quoted,\n"
             "20.95,30.00,30.00,75,0,0,,20.95,6.29,0.0,30.00,,\n",
         2, 1, 5},
        {"ByteOrderMarkKept", "\xEF\xBB\xBF" + six_columns + "\n20.95,30.00,30.00,75,0,50\n",
         "\xEF\xBB\xBF" + six_columns + "," + results_header + "20.95,30.00,30.00,75,0,50,20.64,6.19,1.5,29.56,,\n", 1,
         0, 0},
        {"HeaderOnly", six_columns + "\n", six_columns + "," + results_header, 0, 0, 0},
    };
    for (const auto& c : cases) {
        std::istringstream in(c.log);
        std::ostringstream out;
        LogOptions options;
        options.units = c.units;
        options.mode = c.mode;
        const LogReport report = correct_log(in, out, options);
        EXPECT_EQ(report.failure, LogFailure::none) << c.name << ": " << report.message << "\nlog:\n" << c.log;
        EXPECT_EQ(out.str(), c.corrected) << c.name << ": log\n" << c.log;
        EXPECT_EQ(report.corrected, c.corrected_rows) << c.name;
        EXPECT_EQ(report.refused, c.refused) << c.name;
        EXPECT_EQ(report.malformed, c.malformed) << c.name;
        EXPECT_EQ(report.rows, c.corrected_rows + c.refused + c.malformed) << c.name;
    }
}

TEST(CorrectLog, OverlongLineIsMalformedAndTheNextStillRead) {
    const std::string row = "20.95,30.00,30.00,75,0,50\n";
    std::istringstream in(six_columns + "\n" + row + "20.95,30.00,30.00,75,0,50" + std::string(100, ' ') + "\n" + row);
    std::ostringstream out;
    LogOptions options;
    options.max_record = 90;
    const LogReport report = correct_log(in, out, options);
    EXPECT_EQ(out.str(), six_columns + "," + results_header +
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
};

TEST(CorrectLog, BadHeadersStopBeforeAnyOutput) {
    const HeaderCase cases[] = {
        {"Empty", "", "the input is empty: a log starts with a header row naming its columns"},
        {"BlankLinesOnly", "\n\r\n", "the input is empty: a log starts with a header row naming its columns"},
        // A misspelt column must not be filled in from the defaults.
        {"OneMissing",
         "target_gas,target_pressure,barometric_pressure,temperature,altitude,humidity\n20.95,30,30,75,0,50\n",
         "line 1: missing column relative_humidity (a log needs the columns target_gas, target_pressure, "
         "barometric_pressure, temperature, altitude, relative_humidity)"},
        {"SeveralMissingAfterBlankLines", "\n\ntarget_gas,Temperature\n1,2\n",
         "line 3: missing columns target_pressure, barometric_pressure, temperature, altitude, relative_humidity (a "
         "log needs the columns target_gas, target_pressure, barometric_pressure, temperature, altitude, "
         "relative_humidity)"},
        {"FieldTwice", six_columns + ",altitude\n", "line 1: column altitude appears twice (columns 5 and 7)"},
        {"UnitColumnTwice", "pressure_unit," + six_columns + ",pressure_unit\n",
         "line 1: column pressure_unit appears twice (columns 1 and 8)"},
        {"BrokenQuoting", "\"target_gas," + six_columns + "\n", "line 1: unterminated quoted field"},
    };
    for (const auto& c : cases) {
        std::istringstream in(c.log);
        std::ostringstream out;
        const LogReport report = correct_log(in, out, LogOptions{});
        EXPECT_EQ(report.failure, LogFailure::bad_header) << c.name << ": log\n" << c.log;
        EXPECT_EQ(report.message, c.message) << c.name;
        EXPECT_EQ(out.str(), "") << c.name;
    }
}

// A stream buffer that gives `text` and then fails, as a disk or a pipe can;
// or, for output, takes `room` bytes and then fails.
class FailingBuffer : public std::streambuf {
public:
    explicit FailingBuffer(std::string text, std::size_t room = 0) : text_(std::move(text)), room_(room) {
        setg(text_.data(), text_.data(), text_.data() + text_.size());
    }

protected:
    int_type underflow() override { throw std::ios_base::failure("the device failed"); }
    std::streamsize xsputn(const char*, std::streamsize n) override {
        if (static_cast<std::size_t>(n) > room_)
            return 0;
        room_ -= static_cast<std::size_t>(n);
        return n;
    }
    int_type overflow(int_type) override { return traits_type::eof(); }

private:
    std::string text_;
    std::size_t room_;
};

TEST(CorrectLog, StreamsThatFailAreReported) {
    const std::string log = six_columns + "\n20.95,30.00,30.00,75,0,50\n";
    {
        FailingBuffer failing(log);
        std::istream in(&failing);
        std::ostringstream out;
        const LogReport report = correct_log(in, out, LogOptions{});
        // The chunk being read when the stream failed is lost with it, so only the failure is certain.
        EXPECT_EQ(report.failure, LogFailure::read_failed) << report.message;
    }
    {
        FailingBuffer failing("", 10);
        std::ostream out(&failing);
        std::istringstream in(log);
        const LogReport report = correct_log(in, out, LogOptions{});
        EXPECT_EQ(report.failure, LogFailure::write_failed) << report.message;
    }
}

// Every malformed record comes back byte for byte: without rejects in its row's
// first column, with them in the rejects as it stood, line break and all.
TEST(CorrectLog, MalformedRecordsLoseNoByte) {
    const std::string malformed[] = {
        "a,20.95,30,30,75,0\n",                                // a field short
        "b,20.95,30,30,75,0,50,extra\r\n",                     // a field over, CRLF
        "\"c,20.95,30,30,75,0,50\r",                           // a quote left open, lone CR
        "\"d\"x,20.95,30,30,75,0,50\n",                        // text after a closing quote
        "e\"e,20.95,30,30,75,0,50\n",                          // a stray quote
        "f," + std::string(200000, '9') + ",30,30,75,0,50\n",  // far past the bound
        "\"g,\"\"q\"\"\n",                                     // open across lines: its line alone
        ",,\"h\",\"\"\"\",,,,\n",                              // quotes around little, a field over
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
    log += good;
    LogOptions options;
    options.max_record = 1000;
    {
        std::istringstream in(log);
        std::ostringstream out;
        const LogReport report = correct_log(in, out, options);
        EXPECT_EQ(report.malformed, std::size(malformed));
        std::istringstream written(out.str());
        CsvReader reader(written);
        std::vector<std::string_view> fields;
        std::string carried;
        while (reader.next(fields)) {
            if (fields.size() > 12 && fields[11].substr(0, 5) == "line ")
                carried.append(fields[0]) += '\n';
        }
        EXPECT_TRUE(carried == texts) << "carried:\n" << carried.substr(0, 400);
    }
    std::istringstream in(log);
    std::ostringstream out;
    std::ostringstream rejects;
    options.rejects = &rejects;
    const LogReport report = correct_log(in, out, options);
    EXPECT_EQ(report.malformed, std::size(malformed));
    EXPECT_TRUE(rejects.str() == rejected) << "rejects:\n" << rejects.str().substr(0, 400);
    EXPECT_NE(out.str().find("\n,,,,,,,,,,,\"line 3: expected 7 fields, found 6\",\n"), std::string::npos)
        << out.str().substr(0, 400);
}

// An input that arrives in pieces, nothing more ready after each: whatever
// rows are whole must be out before the reader waits for the next piece.
class TrickleSource : public InputSource {
public:
    TrickleSource(std::vector<std::string> pieces, const std::ostringstream& out)
        : pieces_(std::move(pieces)), out_(out) {}
    std::size_t read_some(char* buffer, std::size_t size) override {
        const std::string written = out_.str();
        written_before_.push_back(std::count(written.begin(), written.end(), '\n'));
        if (next_ == pieces_.size())
            return 0;
        const std::string& piece = pieces_[next_++];
        EXPECT_LE(piece.size(), size);
        std::copy(piece.begin(), piece.end(), buffer);
        return piece.size();
    }
    bool ready() override { return false; }
    std::vector<std::ptrdiff_t> written_before_;

private:
    std::vector<std::string> pieces_;
    std::size_t next_ = 0;
    const std::ostringstream& out_;
};

TEST(CorrectLog, RowsGoOutBeforeTheReaderWaits) {
    std::ostringstream out;
    TrickleSource in(
        {six_columns + "\n", "20.95,30,30,75,0,50\n20.95,30", ",30,75,0,0\n", "20.95,30,30,75,0,9\r", "\n"}, out);
    const LogReport report = correct_log(in, out, LogOptions{});
    EXPECT_EQ(report.corrected, 3u);
    // Lines out before each read: none; the header; the first row (the second
    // is cut); the second; no more, as a row that ends in CR may yet end in
    // CRLF; the last at the end.
    EXPECT_EQ(in.written_before_, (std::vector<std::ptrdiff_t>{0, 1, 2, 3, 3, 4}));
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
    std::istringstream in(log);
    std::ostringstream out;
    const LogReport report = correct_log(in, out, LogOptions{});
    EXPECT_EQ(report.failure, LogFailure::none) << report.message;
    EXPECT_EQ(report.rows, static_cast<std::size_t>(rows));
    EXPECT_TRUE(out.str() == expected) << "the corrected log of " << rows << " alternating rows differs";
}

}  // namespace
}  // namespace kestrane::cli
