// The CSV reader's quoting, faults, line numbers and chunk boundaries, and the field writer.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "log/csv.h"

namespace kestrane {
namespace {

using Records = std::vector<std::vector<std::string>>;

// Every record of input, with the line each came from and its fault.
struct ReadAll {
    Records records;
    std::vector<std::size_t> lines;
    std::vector<RecordFault> faults;
    std::vector<std::string> texts;  // whole, a record past the bound with the rest of its text
    std::vector<std::string> breaks;
    std::vector<std::vector<std::size_t>> bare;  // each record's fields read with a bare quote
    bool byte_order_mark = false;

    bool operator==(const ReadAll&) const = default;
};

// Reads the records a reader gives until it needs more input or the input ends.
bool read_ready(RecordReader& reader, ReadAll& result, bool& carrying) {
    std::vector<std::string_view> fields;
    for (;;) {
        if (carrying) {
            std::string_view piece;
            RecordReader::Step step;
            while ((step = reader.more_text(piece)) == RecordReader::Step::record)
                result.texts.back() += piece;
            if (step == RecordReader::Step::need_input)
                return true;
            carrying = false;
            result.breaks.emplace_back(reader.line_break());
        }
        const RecordReader::Step step = reader.next(fields);
        if (step != RecordReader::Step::record)
            return step == RecordReader::Step::need_input;
        result.records.emplace_back(fields.begin(), fields.end());
        result.lines.push_back(reader.line_number());
        result.faults.push_back(reader.fault());
        result.bare.push_back(reader.bare_quote_fields());
        result.texts.emplace_back(reader.text());
        carrying = reader.fault() == RecordFault::too_long;
        if (!carrying)
            result.breaks.emplace_back(reader.line_break());
    }
}

// Every record of input, fed to the reader in pieces that end at each of cuts.
ReadAll read_in_pieces(std::string_view input, std::size_t max_record, const std::vector<std::size_t>& cuts) {
    RecordReader reader(max_record);
    ReadAll result;
    bool carrying = false;
    std::size_t at = 0;
    for (const std::size_t cut : cuts) {
        reader.push(input.substr(at, cut - at));
        at = cut;
        read_ready(reader, result, carrying);
    }
    reader.push(input.substr(at));
    reader.close();
    read_ready(reader, result, carrying);
    result.byte_order_mark = reader.had_byte_order_mark();
    return result;
}

ReadAll read_all(std::string_view input, std::size_t max_record = RecordReader::default_max_record) {
    return read_in_pieces(input, max_record, {});
}

// Whatever the cuts, the records are the same: the input whole, one byte at a
// time, and cut in two at every byte.
void expect_any_cuts_read_alike(std::string_view input, std::size_t max_record, const char* name) {
    const ReadAll whole = read_all(input, max_record);
    std::vector<std::size_t> bytes;
    for (std::size_t i = 1; i < input.size(); ++i)
        bytes.push_back(i);
    EXPECT_TRUE(read_in_pieces(input, max_record, bytes) == whole) << name << ": a byte at a time";
    for (std::size_t i = 1; i < input.size(); ++i)
        EXPECT_TRUE(read_in_pieces(input, max_record, {i}) == whole) << name << ": cut at byte " << i;
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
    std::vector<std::vector<std::size_t>> bare = {};  // none in any record when not given
};

using Bare = std::vector<std::size_t>;

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
        // A quote that does not start its field is text, and the record says where.
        {"QuoteInsideUnquotedField", "12\"3,4\n", {{"12\"3", "4"}}, {1}, {ok}, {Bare{0}}},
        {"SpaceBeforeQuoteIsUnquoted", "a, \"b\"\n", {{"a", " \"b\""}}, {1}, {ok}, {Bare{1}}},
        {"DegreesMinutesSeconds",
         "site,37°36'37.8\"N,122°22'52.6\"W,x\r\n",
         {{"site", "37°36'37.8\"N", "122°22'52.6\"W", "x"}},
         {1},
         {ok},
         {Bare{1, 2}}},
        {"BareQuotesLastAndDoubled", "a,b\"\"\"\nc,5'11\"", {{"a", "b\"\"\""}, {"c", "5'11\""}}, {1, 2}, {ok, ok},
         {Bare{1}, Bare{1}}},
        // A bare quote opens nothing: the comma and line break after it end the field and record.
        {"BareQuoteOpensNothing", "1\"2,\"3\"\n4\n", {{"1\"2", "3"}, {"4"}}, {1, 2}, {ok, ok}, {Bare{0}, Bare{}}},
        {"BareQuoteThenFault", "1\"2,\"open\n", {{"1\"2", "open"}}, {1}, {RecordFault::unterminated_quote}, {Bare{0}}},
        {"BlankAfterClosingQuote", "\"a\" ,b\n", {{"a ", "b"}}, {1}, {RecordFault::text_after_quote}},
        {"QuoteAfterClosingQuote", "\"a\"\"b\"c,d\n", {{"a\"bc", "d"}}, {1}, {RecordFault::text_after_quote}},
        {"EmptyFieldsOnly", ",,\n\"\",\n", {{"", "", ""}, {"", ""}}, {1, 2}, {ok, ok}},
        {"QuotedDelimiterAndBreakAtTheEnd", "\"x,\ny\"", {{"x,\ny"}}, {1}, {ok}},
        // A quoted field may hold line breaks: one record, numbered by its first line.
        {"QuotedLineBreaks", "a,\"two\nlines\"\nb,c\n", {{"a", "two\nlines"}, {"b", "c"}}, {1, 3}, {ok, ok}},
        {"QuotedCrLfKept", "\"x\r\ny\",z\r\nw\r\n", {{"x\r\ny", "z"}, {"w"}}, {1, 3}, {ok, ok}},
        {"QuotedBlankLineKept", "\"x\n\n\",z\n", {{"x\n\n", "z"}}, {1}, {ok}},
        // Quoting that goes wrong across lines spoils only its first line.
        {"BrokenQuoteCutBackToItsLine",
         "\"open,x\nnext\"y,z\nlast\n",
         {{"open,x"}, {"next\"y", "z"}, {"last"}},
         {1, 2, 3},
         {RecordFault::unterminated_quote, ok, ok},
         {Bare{}, Bare{0}, Bare{}}},
        {"TextAfterQuoteAcrossLinesCutBack",
         "a,\"b\nc\"d,e\nf\n",
         {{"a", "b"}, {"c\"d", "e"}, {"f"}},
         {1, 2, 3},
         {RecordFault::unterminated_quote, ok, ok},
         {Bare{}, Bare{0}, Bare{}}},
    };
    for (const auto& c : cases) {
        const ReadAll got = read_all(c.input);
        EXPECT_EQ(got.records, c.records) << c.name << ": input \"" << shown(c.input) << "\"";
        EXPECT_EQ(got.lines, c.lines) << c.name << ": input \"" << shown(c.input) << "\"";
        EXPECT_EQ(got.faults, c.faults) << c.name << ": input \"" << shown(c.input) << "\"";
        EXPECT_EQ(got.bare, c.bare.empty() ? std::vector<Bare>(c.records.size()) : c.bare) << c.name;
        EXPECT_FALSE(got.byte_order_mark) << c.name;
        expect_any_cuts_read_alike(c.input, RecordReader::default_max_record, c.name);
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
    const std::vector<std::size_t> chunks = {100, 65536, 131072, 200010};
    for (const ReadAll& got : {read_all(input, 100), read_in_pieces(input, 100, chunks)}) {
        EXPECT_EQ(got.texts, (std::vector<std::string>{"a,\"b\r\nc\"", huge, "x", "\"open", std::string(300, 'q'), "last"}));
        EXPECT_EQ(got.breaks, (std::vector<std::string>{"\r\n", "\r", "\n", "\n", "\n", ""}));
        EXPECT_EQ(got.lines, (std::vector<std::size_t>{1, 3, 4, 5, 6, 7}));
    }
}

TEST(CsvReader, LongLinesAreCutAtTheBound) {
    // Bound 8: the first 8 bytes are read, the rest of the line is skipped, and
    // the next line reads normally. A line of exactly 8 bytes is whole.
    const ReadAll got = read_all("12345678\n123,5678901234\n\"ab,cdefghij\nx\n", 8);
    EXPECT_EQ(got.records, (Records{{"12345678"}, {"123", "5678"}, {"ab,cdef"}, {"x"}}));
    EXPECT_EQ(got.lines, (std::vector<std::size_t>{1, 2, 3, 4}));
    EXPECT_EQ(got.faults, (std::vector<RecordFault>{ok, RecordFault::too_long, RecordFault::too_long, ok}));
}

// UTF-16, as Excel's "Unicode Text" saves it, is not read as UTF-8 would be.
TEST(CsvReader, Utf16IsKnownByItsMark) {
    for (const std::string& input : {std::string("\xFF\xFEt\0a\0", 6), std::string("\xFE\xFF\0t\0a", 6)}) {
        RecordReader reader;
        reader.push(input);
        reader.close();
        std::vector<std::string_view> fields;
        EXPECT_EQ(reader.next(fields), RecordReader::Step::end) << shown(input);
        EXPECT_TRUE(reader.utf16());
    }
}

// A record read again with another delimiter, as a log's header is while its
// delimiter is chosen.
TEST(CsvReader, RereadWithAnotherDelimiter) {
    RecordReader reader;
    reader.push("\xEF\xBB\xBF\n\"Zeit, UTC\";gas\n1;2\n");
    std::vector<std::string_view> fields;
    ASSERT_EQ(reader.next(fields), RecordReader::Step::record);
    EXPECT_EQ(reader.fault(), RecordFault::text_after_quote);
    reader.reread();
    reader.set_delimiter(';');
    ASSERT_EQ(reader.next(fields), RecordReader::Step::record);
    EXPECT_EQ(std::vector<std::string>(fields.begin(), fields.end()), (std::vector<std::string>{"Zeit, UTC", "gas"}));
    EXPECT_EQ(reader.line_number(), 2u);
    ASSERT_EQ(reader.next(fields), RecordReader::Step::record);
    EXPECT_EQ(std::vector<std::string>(fields.begin(), fields.end()), (std::vector<std::string>{"1", "2"}));
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
}  // namespace kestrane
