// A log corrected in blocks on several threads gives what one thread gives,
// byte for byte: the output, the rejects, the summary and the header's
// failure, whatever the threads, the size of the blocks, and wherever the
// cuts fall among quoted line breaks, broken quotes and line ends.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "log/log_blocks.h"
#include "log/parallel_log.h"

namespace kestrane {
namespace {

const std::string six_columns = "target_gas,target_pressure,barometric_pressure,temperature,altitude,relative_humidity";

std::string repeated(const std::string& text, int times) {
    std::string all;
    for (int k = 0; k < times; ++k)
        all += text;
    return all;
}

struct BlockCase {
    const char* name;
    std::string log;
    LogOptions options{};
};

LogOptions bounded(std::size_t max_record) {
    LogOptions options;
    options.max_record = max_record;
    return options;
}

LogOptions european() {
    LogOptions options;
    options.rules.decimal_comma = true;
    return options;
}

LogOptions checked() {
    LogOptions options;
    options.check_texts[static_cast<std::size_t>(CheckInput::standard_uncertainty)] = "0.12";
    return options;
}

std::vector<BlockCase> block_cases() {
    const std::string note_header = "note," + six_columns + "\n";
    return {
        {"QuotedLineBreaksAcrossCuts",
         note_header + repeated("\"one\nline, two\r\nthree\",20.95,30,30,75,0,50\n"
                                "plain,20.95,30,30,75,0,101\n"
                                "\"\"\"quoted\"\"\n\",20.95,30,30,75,0,0\n",
                                12)},
        // A quote left open swallows the lines after it until the bound, then is cut back to its first line.
        {"BrokenQuote",
         note_header + repeated("\"unclosed,20.95,30,30,75,0,50\n"
                                "after,20.95,30,30,75,0,50\n"
                                "x\"y\",20.95,30,30,75,0,50\n"
                                "\"closed\"late,20.95,30,30,75,0,50\n",
                                6),
         bounded(120)},
        // The malformed rows name their lines, which each block counts from its start.
        {"CrOnlyLineEnds", note_header + repeated("cr,20.95,30,30,75,0,50\r\r\"a\rb\",20.95,30,30,75,0,80\rshort,1\r", 10)},
        {"CrLfAndByteOrderMark",
         "\xEF\xBB\xBF" + six_columns + "\r\n" + repeated("20.95,30,30,75,0,50\r\n\r\n20.95,30,30,75,9,50\r\n20.95,\"x\"y\r\n", 10)},
        {"RecordsLongerThanTheBound",
         note_header + repeated(std::string(150, 'n') + ",20.95,30,30,75,0,50\n" +
                                    "\"" + repeated("long\n", 30) + "\",20.95,30,30,75,0,50\n" + "ok,20.95,30,30,75,0,50\n",
                                4),
         bounded(100)},
        {"BlankRowsAndWidths", note_header + repeated(",,,,,,\n\n,,\nshort,1\n,20.95,30,30,75,0,50,extra\n", 8)},
        // Quotes inside unquoted fields make the quote count odd: the cuts guessed from it are wrong.
        {"BareQuotesMisleadTheCuts", note_header + repeated("5'11\",20.95,30,30,75,0,50\n\"q\",20.95,30,30,75,0,50\n", 15)},
        {"DecimalComma",
         "\xEF\xBB\xBF\"Zeit, UTC\";" + std::string("target_gas;target_pressure;barometric_pressure;temperature;altitude;"
                                                    "relative_humidity\r\n") +
             repeated("07:00;20,95;30,00;30,00;75;0;50\r\n07:01;20.95;30;30;75;0;50\r\n", 10),
         european()},
        {"ChecksCounted",
         six_columns + ",analyzer_reading,tolerance\n" +
             repeated("20.95,30,30,75,0,0,21.0,0.1\n20.95,30,30,75,0,0,20.5,0.1\n20.95,30,30,75,0,0,21.0,\n", 10),
         checked()},
        {"LastRecordWithoutLineBreak", note_header + repeated("a,20.95,30,30,75,0,50\n", 10) + "\"open,20.95"},
        {"HeaderOnly", note_header},
        {"EmptyInput", ""},
        {"MissingColumn", "target_gas,target_pressure\n" + repeated("20.95,30\n", 20)},
        {"HeaderLongerThanTheBound", note_header + repeated("a,20.95,30,30,75,0,50\n", 5), bounded(20)},
    };
}

// What a correction gives, all of it.
struct Corrected {
    std::string out;
    std::string rejects;
    std::string summary;
    LogFailure failure = LogFailure::none;
    std::string message;
};

Corrected whole(const std::string& log, const LogOptions& options) {
    Corrected c;
    const LogReport report = correct_log_text(log, options, c.out, &c.rejects);
    c.summary = log_summary(report);
    c.failure = report.failure;
    c.message = report.message;
    return c;
}

Corrected in_blocks(const std::string& log, const LogOptions& options, const BlockSettings& settings) {
    Corrected c;
    const LogReport report = correct_log_text_in_blocks(log, options, settings, c.out, &c.rejects);
    c.summary = log_summary(report);
    c.failure = report.failure;
    c.message = report.message;
    return c;
}

TEST(CorrectLogInBlocks, GivesWhatOneThreadGives) {
    for (const BlockCase& c : block_cases()) {
        for (const bool rejects : {false, true}) {
            LogOptions options = c.options;
            options.rejects = rejects;
            const Corrected one = whole(c.log, options);
            for (const std::size_t threads : {1u, 2u, 3u, 7u}) {
                for (const std::size_t block : {1u, 2u, 7u, 23u, 64u, 1u << 20}) {
                    const Corrected many = in_blocks(c.log, options, {threads, block});
                    const std::string where = std::string(c.name) + (rejects ? " with rejects" : "") + ", " +
                                              std::to_string(threads) + " threads, blocks of " + std::to_string(block);
                    EXPECT_EQ(many.out, one.out) << where;
                    EXPECT_EQ(many.rejects, one.rejects) << where;
                    EXPECT_EQ(many.summary, one.summary) << where;
                    EXPECT_EQ(many.failure, one.failure) << where;
                    EXPECT_EQ(many.message, one.message) << where;
                }
            }
        }
    }
}

// The log's own output, corrected again in blocks, comes back unchanged.
TEST(CorrectLogInBlocks, OwnOutputComesBack) {
    const BlockCase c = block_cases()[0];
    const Corrected first = whole(c.log, c.options);
    const Corrected again = in_blocks(first.out, c.options, {3, 16});
    EXPECT_EQ(again.out, first.out);
}

struct CutCase {
    const char* name;
    std::string input;
    std::size_t size;
    std::vector<LogBlock> blocks;
};

TEST(BlockCutter, CutsAfterWholeLines) {
    const CutCase cases[] = {
        {"AtTheFirstLineBreakPastTheSize", "ab\ncd\nef\n", 2, {{"ab\n", 1, ""}, {"cd\n", 2, ""}, {"ef\n", 3, ""}}},
        // An odd number of quotes before the size: the cut waits for the quote that closes.
        {"PastAnOddNumberOfQuotes", "\"a\nb\"\nc\n", 3, {{"\"a\nb\"\n", 1, ""}, {"c\n", 3, ""}}},
        {"ALoneCrWithTheByteAfterIt", "a\rb\rc", 1, {{"a\r", 1, "b"}, {"b\r", 2, "c"}, {"c", 3, ""}}},
        {"NeverBetweenCrAndLf", "a\r\nb\r\nc", 1, {{"a\r\n", 1, ""}, {"b\r\n", 2, ""}, {"c", 3, ""}}},
        // No line break ends within twice the size: cut in the line, after a CRLF's LF.
        {"CrLfAtTwiceTheSize", "abcde\r\ng", 3, {{"abcde\r\n", 1, ""}, {"g", 2, ""}}},
        {"InALineWithNoBreak", "abcdefgh", 2, {{"abcd", 1, ""}, {"efgh", 1, ""}}},
        // No even count within twice the size: the first line break; the next block counts afresh.
        {"QuotesNeverEven", "\"a\nb\nc\nd\ne\n", 2, {{"\"a\n", 1, ""}, {"b\nc\n", 2, ""}, {"d\ne\n", 4, ""}}},
    };
    for (const CutCase& c : cases) {
        for (const std::size_t piece : {std::size_t{1}, c.input.size()}) {
            BlockCutter cutter(c.size);
            std::vector<LogBlock> blocks;
            for (std::size_t at = 0; at < c.input.size(); at += piece) {
                cutter.push(std::string_view(c.input).substr(at, piece));
                while (std::optional<LogBlock> block = cutter.next())
                    blocks.push_back(std::move(*block));
            }
            cutter.close();
            while (std::optional<LogBlock> block = cutter.next())
                blocks.push_back(std::move(*block));
            EXPECT_TRUE(cutter.done()) << c.name;
            ASSERT_EQ(blocks.size(), c.blocks.size()) << c.name << ", pushed in pieces of " << piece;
            for (std::size_t k = 0; k < blocks.size(); ++k) {
                EXPECT_EQ(blocks[k].bytes, c.blocks[k].bytes) << c.name << ", block " << k;
                EXPECT_EQ(blocks[k].line, c.blocks[k].line) << c.name << ", block " << k;
                EXPECT_EQ(blocks[k].ahead, c.blocks[k].ahead) << c.name << ", block " << k;
            }
        }
    }
}

}  // namespace
}  // namespace kestrane
