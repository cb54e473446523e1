// The CSV reader's quoting, line endings and chunk boundaries, and the cell writer.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/csv.h"

namespace kestrane::cli {
namespace {

using Records = std::vector<std::vector<std::string>>;

// Every record of input, each with the line it starts on, and the reader's final error.
struct ReadAll {
    Records records;
    std::vector<std::size_t> lines;
    std::string error;
    bool byte_order_mark = false;
};

ReadAll read_all(const std::string& input, char delimiter = ',') {
    std::istringstream in(input);
    CsvReader reader(in, delimiter);
    ReadAll result;
    std::vector<std::string> cells;
    while (reader.next(cells)) {
        result.records.push_back(cells);
        result.lines.push_back(reader.record_line());
    }
    result.error = reader.error();
    result.byte_order_mark = reader.had_byte_order_mark();
    return result;
}

// Shows a text with its control characters visible, for failure messages.
std::string shown(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else
            out += c;
    }
    return out;
}

struct ReadCase {
    const char* name;
    std::string input;
    char delimiter;
    Records records;
    std::vector<std::size_t> lines;
};

TEST(CsvReader, ReadsRecords) {
    const ReadCase cases[] = {
        {"LfLines", "a,b\n1,2\n", ',', {{"a", "b"}, {"1", "2"}}, {1, 2}},
        {"CrLfLines", "a,b\r\n1,2\r\n", ',', {{"a", "b"}, {"1", "2"}}, {1, 2}},
        {"LoneCrLines", "a,b\r1,2\r", ',', {{"a", "b"}, {"1", "2"}}, {1, 2}},
        {"NoFinalLineBreak", "a,b\n1,2", ',', {{"a", "b"}, {"1", "2"}}, {1, 2}},
        {"SpacesKept", "  0 , 50\n", ',', {{"  0 ", " 50"}}, {1}},
        {"EmptyCells", ",x,\n", ',', {{"", "x", ""}}, {1}},
        {"BlankLinesSkipped", "\na\n\r\n\nb\n\n", ',', {{"a"}, {"b"}}, {2, 5}},
        {"QuotedEmptyCellIsARecord", "\"\"\n", ',', {{""}}, {1}},
        {"QuotedDelimiter", "\"a,b\",c\n", ',', {{"a,b", "c"}}, {1}},
        {"DoubledQuote", "\"say \"\"hi\"\"\"\n", ',', {{"say \"hi\""}}, {1}},
        {"QuotedLineBreaksCountAsLines", "\"one\ntwo\",x\nnext\n", ',', {{"one\ntwo", "x"}, {"next"}}, {1, 3}},
        {"QuotedCrLfKept", "\"a\r\nb\"\n", ',', {{"a\r\nb"}}, {1}},
        {"TextAfterClosingQuoteKept", "\"ab\"cd,e\n", ',', {{"abcd", "e"}}, {1}},
        {"QuoteInsideUnquotedCellIsText", "12\"3,4\n", ',', {{"12\"3", "4"}}, {1}},
        {"Semicolons", "a;b,c\n", ';', {{"a", "b,c"}}, {1}},
        {"Tabs", "a\tb c\n", '\t', {{"a", "b c"}}, {1}},
        {"RaggedRowsAsTheyStand", "a,b,c\n1\n", ',', {{"a", "b", "c"}, {"1"}}, {1, 2}},
    };
    for (const auto& c : cases) {
        const ReadAll got = read_all(c.input, c.delimiter);
        EXPECT_EQ(got.records, c.records) << c.name << ": input \"" << shown(c.input) << "\"";
        EXPECT_EQ(got.lines, c.lines) << c.name << ": input \"" << shown(c.input) << "\"";
        EXPECT_EQ(got.error, "") << c.name << ": input \"" << shown(c.input) << "\"";
        EXPECT_FALSE(got.byte_order_mark) << c.name;
    }
}

TEST(CsvReader, EmptyInputHasNoRecord) {
    for (const std::string input : {"", "\n", "\r\n\r\n"}) {
        const ReadAll got = read_all(input);
        EXPECT_TRUE(got.records.empty()) << "input \"" << shown(input) << "\"";
        EXPECT_EQ(got.error, "") << "input \"" << shown(input) << "\"";
    }
}

TEST(CsvReader, UnclosedQuoteIsAnErrorNamingItsLine) {
    const ReadAll got = read_all("a,b\n1,2\n3,\"open\n4,5\n");
    EXPECT_EQ(got.records, (Records{{"a", "b"}, {"1", "2"}}));
    EXPECT_EQ(got.error, "a quoted cell that starts on line 3 is never closed");
}

TEST(CsvReader, ByteOrderMarkIsDropped) {
    const ReadAll got = read_all("\xEF\xBB\xBFgas,rh\n1,2\n");
    EXPECT_TRUE(got.byte_order_mark);
    EXPECT_EQ(got.records, (Records{{"gas", "rh"}, {"1", "2"}}));
}

// The reader takes its input 64 KiB at a time; each of these puts a hazard
// across the edge of the first chunk.
TEST(CsvReader, HazardsAcrossTheChunkEdge) {
    constexpr std::size_t chunk = 65536;
    struct EdgeCase {
        const char* name;
        std::string tail;       // written so that its first character is the last of the chunk
        Records after;          // the records, the padding cell's own text left out
        std::size_t last_line;  // the line of the last record
    };
    const EdgeCase cases[] = {
        {"DoubledQuoteSplit", "\"\"x\"\n", {{"\"x"}}, 1},
        {"ClosingQuoteThenDelimiter", "\",y\n", {{"", "y"}}, 1},
        // A CR and LF split by the edge are still one line break, not two.
        {"CrThenLf", "\r\nz\n", {{""}, {"z"}}, 2},
        {"DelimiterThenEnd", ",", {{"", ""}}, 1},
    };
    for (const auto& c : cases) {
        // The padding record fills the chunk up to the tail: a quoted cell for the
        // quote cases (so the tail's quote is its closing or doubled quote), else plain.
        const bool quoted = c.tail[0] == '"';
        std::string input = quoted ? "\"" : "";
        const std::size_t padding = chunk - 1 - input.size();
        input.append(padding, 'p');
        input += c.tail;
        const ReadAll got = read_all(input);
        ASSERT_EQ(got.error, "") << c.name;
        ASSERT_FALSE(got.records.empty()) << c.name;
        const std::string first = got.records[0][0];
        const std::string expected_first(padding, 'p');
        EXPECT_EQ(first.substr(0, padding), expected_first) << c.name;
        // What the tail added to the padding cell, and the records after it.
        Records rest = got.records;
        rest[0][0] = first.substr(padding);
        EXPECT_EQ(rest, c.after) << c.name << ": tail \"" << shown(c.tail) << "\"";
        EXPECT_EQ(got.lines.back(), c.last_line) << c.name << ": tail \"" << shown(c.tail) << "\"";
    }
}

TEST(CsvCell, QuotedOnlyWhenNeeded) {
    struct CellCase {
        std::string text;
        char delimiter;
        std::string written;
    };
    const CellCase cases[] = {
        {"20.64", ',', "20.64"},
        {"   0", ',', "   0"},
        {"", ',', ""},
        {"a,b", ',', "\"a,b\""},
        {"a,b", ';', "a,b"},
        {"a;b", ';', "\"a;b\""},
        {"say \"hi\"", ',', "\"say \"\"hi\"\"\""},
        {"two\nlines", ',', "\"two\nlines\""},
        {"cr\r", ',', "\"cr\r\""},
    };
    for (const auto& c : cases) {
        std::string out = "x";
        append_csv_cell(out, c.text, c.delimiter);
        EXPECT_EQ(out, "x" + c.written) << "text \"" << shown(c.text) << "\", delimiter '" << c.delimiter << "'";
    }
}

TEST(CsvCell, WrittenCellsReadBackWhole) {
    const std::vector<std::string> texts = {"plain", "a,b", "\"q\"", "line\nbreak", " spaced ", ""};
    std::string line;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i != 0)
            line += ',';
        append_csv_cell(line, texts[i], ',');
    }
    const ReadAll got = read_all(line + "\n");
    EXPECT_EQ(got.records, Records{texts}) << "line \"" << shown(line) << "\"";
}

}  // namespace
}  // namespace kestrane::cli
