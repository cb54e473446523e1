// The CSV reader's quoting, faults, line numbers and chunk boundaries, and the field writer.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/csv.h"

namespace kestrane::cli {
namespace {

using Records = std::vector<std::vector<std::string>>;

// Every record of input, with the line each came from and its fault.
struct ReadAll {
    Records records;
    std::vector<std::size_t> lines;
    std::vector<RecordFault> faults;
    bool byte_order_mark = false;
};

ReadAll read_all(const std::string& input, std::size_t max_record = CsvReader::default_max_record) {
    std::istringstream in(input);
    CsvReader reader(in, max_record);
    ReadAll result;
    std::vector<std::string_view> fields;
    while (reader.next(fields)) {
        result.records.emplace_back(fields.begin(), fields.end());
        result.lines.push_back(reader.line_number());
        result.faults.push_back(reader.fault());
    }
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

constexpr RecordFault ok = RecordFault::none;

struct ReadCase {
    const char* name;
    std::string input;
    Records records;
    std::vector<std::size_t> lines;
    std::vector<RecordFault> faults;
};

TEST(CsvReader, ReadsLinesAsRecords) {
    const ReadCase cases[] = {
        {"LfLines", "a,b\n1,2\n", {{"a", "b"}, {"1", "2"}}, {1, 2}, {ok, ok}},
        {"CrLfLines", "a,b\r\n1,2\r\n", {{"a", "b"}, {"1", "2"}}, {1, 2}, {ok, ok}},
        {"LoneCrLines", "a,b\r1,2\r", {{"a", "b"}, {"1", "2"}}, {1, 2}, {ok, ok}},
        {"NoFinalLineBreak", "a,b\n1,2", {{"a", "b"}, {"1", "2"}}, {1, 2}, {ok, ok}},
        {"SpacesKept", "  0 , 50\n", {{"  0 ", " 50"}}, {1}, {ok}},
        {"EmptyFields", ",x,\n", {{"", "x", ""}}, {1}, {ok}},
        // Blank lines are skipped but still counted, so line numbers stay physical.
        {"BlankLinesSkipped", "\na\n\r\n\nb\n\n", {{"a"}, {"b"}}, {2, 5}, {ok, ok}},
        {"QuotedEmptyFieldIsARecord", "\"\"\n", {{""}}, {1}, {ok}},
        {"QuotedComma", "\"a,b\",c\n", {{"a,b", "c"}}, {1}, {ok}},
        {"QuotedLeadingSpaces", "\"   0\",\" 50\"\n", {{"   0", " 50"}}, {1}, {ok}},
        {"DoubledQuote", "\"say \"\"hi\"\"\",x\n", {{"say \"hi\"", "x"}}, {1}, {ok}},
        {"RaggedRowsAsTheyStand", "a,b,c\n1\n", {{"a", "b", "c"}, {"1"}}, {1, 2}, {ok, ok}},
        // A quote left open ends with its line: the next line is a record of its own.
        {"UnterminatedQuoteEndsWithItsLine",
         "\"open,x\nnext,y\n",
         {{"open,x"}, {"next", "y"}},
         {1, 2},
         {RecordFault::unterminated_quote, ok}},
        {"TextAfterClosingQuoteKept", "\"ab\"cd,e\n", {{"abcd", "e"}}, {1}, {RecordFault::text_after_quote}},
        {"QuoteInsideUnquotedField", "12\"3,4\n", {{"12\"3", "4"}}, {1}, {RecordFault::stray_quote}},
        {"SpaceBeforeQuoteIsUnquoted", "a, \"b\"\n", {{"a", " \"b\""}}, {1}, {RecordFault::stray_quote}},
        // The first fault of a line is the one reported.
        {"FirstFaultWins", "1\"2,\"open\n", {{"1\"2", "open"}}, {1}, {RecordFault::stray_quote}},
        // A quoted field may hold line breaks: one record, numbered by its first line.
        {"QuotedLineBreaks", "a,\"two\nlines\"\nb,c\n", {{"a", "two\nlines"}, {"b", "c"}}, {1, 3}, {ok, ok}},
        {"QuotedCrLfKept", "\"x\r\ny\",z\r\nw\r\n", {{"x\r\ny", "z"}, {"w"}}, {1, 3}, {ok, ok}},
        {"QuotedBlankLineKept", "\"x\n\n\",z\n", {{"x\n\n", "z"}}, {1}, {ok}},
        // Quoting that goes wrong across lines spoils only its first line.
        {"BrokenQuoteCutBackToItsLine",
         "\"open,x\nnext\"y,z\nlast\n",
         {{"open,x"}, {"next\"y", "z"}, {"last"}},
         {1, 2, 3},
         {RecordFault::unterminated_quote, RecordFault::stray_quote, ok}},
        {"TextAfterQuoteAcrossLinesCutBack",
         "a,\"b\nc\"d,e\nf\n",
         {{"a", "b"}, {"c\"d", "e"}, {"f"}},
         {1, 2, 3},
         {RecordFault::unterminated_quote, RecordFault::stray_quote, ok}},
    };
    for (const auto& c : cases) {
        const ReadAll got = read_all(c.input);
        EXPECT_EQ(got.records, c.records) << c.name << ": input \"" << shown(c.input) << "\"";
        EXPECT_EQ(got.lines, c.lines) << c.name << ": input \"" << shown(c.input) << "\"";
        EXPECT_EQ(got.faults, c.faults) << c.name << ": input \"" << shown(c.input) << "\"";
        EXPECT_FALSE(got.byte_order_mark) << c.name;
    }
}

TEST(CsvReader, EmptyInputHasNoRecord) {
    for (const std::string input : {"", "\n", "\r\n\r\n", "\xEF\xBB\xBF", "\xEF\xBB\xBF\n"}) {
        const ReadAll got = read_all(input);
        EXPECT_TRUE(got.records.empty()) << "input \"" << shown(input) << "\"";
    }
}

TEST(CsvReader, ByteOrderMarkIsDropped) {
    const ReadAll got = read_all("\xEF\xBB\xBFgas,rh\n1,2\n");
    EXPECT_TRUE(got.byte_order_mark);
    EXPECT_EQ(got.records, (Records{{"gas", "rh"}, {"1", "2"}}));
}

// A record's own text and line break, as it stood; a record past the bound is
// handed out whole, piece by piece, and a quote left open past the bound spoils
// only its first line.
TEST(CsvReader, RecordTextsAsTheyStood) {
    const std::string huge(200000, 'h');
    const std::string input = "a,\"b\r\nc\"\r\n" + huge + "\rx\n\"open\n" + std::string(300, 'q') + "\nlast";
    std::istringstream in(input);
    CsvReader reader(in, 100);
    std::vector<std::string_view> fields;
    std::vector<std::string> texts;
    std::vector<std::string> breaks;
    std::vector<std::size_t> lines;
    while (reader.next(fields)) {
        std::string text(reader.text());
        for (std::string_view piece; reader.more_text(piece);)
            text += piece;
        texts.push_back(text);
        breaks.emplace_back(reader.line_break());
        lines.push_back(reader.line_number());
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"a,\"b\r\nc\"", huge, "x", "\"open", std::string(300, 'q'), "last"}));
    EXPECT_EQ(breaks, (std::vector<std::string>{"\r\n", "\r", "\n", "\n", "\n", ""}));
    EXPECT_EQ(lines, (std::vector<std::size_t>{1, 3, 4, 5, 6, 7}));
}

TEST(CsvReader, LongLinesAreCutAtTheBound) {
    // Bound 8: the first 8 bytes are read, the rest of the line is skipped, and
    // the next line reads normally. A line of exactly 8 bytes is whole.
    const ReadAll got = read_all("12345678\n123,5678901234\n\"ab,cdefghij\nx\n", 8);
    EXPECT_EQ(got.records, (Records{{"12345678"}, {"123", "5678"}, {"ab,cdef"}, {"x"}}));
    EXPECT_EQ(got.lines, (std::vector<std::size_t>{1, 2, 3, 4}));
    EXPECT_EQ(got.faults, (std::vector<RecordFault>{ok, RecordFault::too_long, RecordFault::too_long, ok}));
}

// The reader takes its input 64 KiB at a time; each of these puts a hazard
// across the edge of the first chunk.
TEST(CsvReader, HazardsAcrossTheChunkEdge) {
    constexpr std::size_t chunk = 65536;
    struct EdgeCase {
        const char* name;
        std::string tail;       // written so that its first character is the last of the chunk
        Records after;          // the records, the padding field's own text left out
        std::size_t last_line;  // the line of the last record
    };
    const EdgeCase cases[] = {
        {"DoubledQuoteSplit", "\"\"x\"\n", {{"\"x"}}, 1},
        {"ClosingQuoteThenComma", "\",y\n", {{"", "y"}}, 1},
        // A CR and LF split by the edge are one line break, not two.
        {"CrThenLf", "\r\nz\n", {{""}, {"z"}}, 2},
        {"CommaThenEnd", ",", {{"", ""}}, 1},
    };
    for (const auto& c : cases) {
        // The padding fills the chunk up to the tail: a quoted field for the
        // quote cases (so the tail's quote closes or doubles), else plain.
        const bool quoted = c.tail[0] == '"';
        std::string input = quoted ? "\"" : "";
        const std::size_t padding = chunk - 1 - input.size();
        input.append(padding, 'p');
        input += c.tail;
        const ReadAll got = read_all(input);
        ASSERT_FALSE(got.records.empty()) << c.name;
        const std::string first = got.records[0][0];
        EXPECT_EQ(first.substr(0, padding), std::string(padding, 'p')) << c.name;
        Records rest = got.records;
        rest[0][0] = first.substr(padding);
        EXPECT_EQ(rest, c.after) << c.name << ": tail \"" << shown(c.tail) << "\"";
        EXPECT_EQ(got.lines.back(), c.last_line) << c.name << ": tail \"" << shown(c.tail) << "\"";
        EXPECT_EQ(got.faults[0], ok) << c.name;
    }
}

TEST(CsvField, QuotedOnlyWhenNeeded) {
    const std::pair<std::string, std::string> cases[] = {
        {"20.64", "20.64"},
        {"", ""},
        {"a b", "a b"},
        {"   0", "\"   0\""},
        {"50 ", "\"50 \""},
        {"\t5", "\"\t5\""},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {"cr\r", "\"cr\r\""},
    };
    for (const auto& [text, written] : cases) {
        std::string out = "x";
        append_csv_field(out, text);
        EXPECT_EQ(out, "x" + written) << "text \"" << shown(text) << "\"";
    }
}

TEST(CsvField, WrittenFieldsReadBackWhole) {
    const std::vector<std::string> texts = {"plain", "a,b", "\"q\"", " spaced ", "", "   0", "x\"y", ",", "\"\""};
    std::string line;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i != 0)
            line += ',';
        append_csv_field(line, texts[i]);
    }
    const ReadAll got = read_all(line + "\n");
    EXPECT_EQ(got.records, Records{texts}) << "line \"" << shown(line) << "\"";
    EXPECT_EQ(got.faults, std::vector<RecordFault>{ok}) << "line \"" << shown(line) << "\"";
}

}  // namespace
}  // namespace kestrane::cli
