// Delimited text (commas, or semicolons, tabs, bars): a reader of RFC 4180
// records that is handed the input a chunk at a time, and the writer of one field.
#pragma once

#include <array>
#include <cstdint>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestrane {

// What kept a record from reading cleanly.
enum class RecordFault {
    none,
    too_long,            // longer than the reader's bound
    unterminated_quote,  // a quoted field not closed before the end of its record
    text_after_quote,    // a closing quote followed by more text before the delimiter
};

// The words for a fault in a row's error: "unterminated quoted field", ...
std::string describe(RecordFault fault, std::size_t max_record);

// The warning for fields read with a bare quote in them (see
// RecordReader::bare_quote_fields), naming their columns from 1; empty for none.
std::string describe_bare_quotes(const std::vector<std::size_t>& fields);

// Reads delimited records with RFC 4180 quoting: a field in double quotes may
// hold the delimiter, doubled quotes and line breaks, so one record may span
// several lines. Records end in LF, CRLF or CR; empty lines are skipped.
//
// A quote opens a quoted field only as the field's first byte. One further in
// (37°36'37.8"N, 5'11") is a bare quote: text, as spreadsheets and Python's csv
// read it, so the record reads cleanly and says which fields held one.
//
// The input arrives in chunks (push), and a record is given out (next) as soon
// as its end has arrived, so a file, a pipe that a logger writes to and a
// browser's stream all drive the same code.
//
// A quote that goes wrong must not take the rest of the log with it: a record
// that spans lines and whose quoting is broken, or that grows past the bound,
// is cut back to its first line (a record with an unterminated quote), and
// reading goes on with the next line. A single line longer than the bound is
// one record that is too long; its text beyond the bound is handed out piece
// by piece (more_text) as it arrives, so memory stays within the bound
// however long it is.
class RecordReader {
public:
    static constexpr std::size_t default_max_record = std::size_t{1} << 20;

    explicit RecordReader(std::size_t max_record = default_max_record, char delimiter = ',');

    RecordReader(const RecordReader&) = delete;
    RecordReader& operator=(const RecordReader&) = delete;

    // Appends the next chunk of the input. Invalidates the fields and texts
    // handed out before.
    void push(std::string_view chunk);
    // The input has ended: what is held is all there is.
    void close();
    // Reading starts inside an input, at the start of a record on line `line`
    // (counting from 1): the start is not looked at for byte order marks.
    // Before the first push.
    void begin_at_line(std::size_t line);
    // The bytes pushed that no record given out has taken: those of the record
    // not yet whole. None when the input so far ends where a record ended.
    std::size_t held() const { return buffer_.size() - start_; }

    enum class Step {
        record,      // a record was read
        need_input,  // the next record has not arrived whole: push more, or close
        end,         // the input has ended and every record was read
    };
    // Reads the next record into fields, which stay valid until the next call
    // or push. A faulty record still gives the fields that could be read (see fault()).
    Step next(std::vector<std::string_view>& fields);
    // Undoes the last next() that gave a record, so that it can be read again
    // (with another delimiter); only before the next push.
    void reread();

    // For a record that is too long, the next piece of its text that has
    // arrived: Step::record with the piece, Step::need_input when the rest has
    // not arrived yet, Step::end when the whole record has been handed out.
    Step more_text(std::string_view& piece);

    // Whether the input begins with the bytes of a byte order mark of UTF-16
    // (FF FE or FE FF), a text this reader does not read; known after the first next().
    bool utf16() const { return utf16_; }
    // Whether the input began with a UTF-8 byte order mark, which no field keeps.
    bool had_byte_order_mark() const { return byte_order_mark_; }

    // The line, counting from 1, on which the last record starts.
    std::size_t line_number() const { return line_number_; }
    // Why the last record did not read cleanly, or RecordFault::none.
    RecordFault fault() const { return fault_; }
    // The last record's text as it stands in the input, without its line
    // break; for a record that is too long, only its start (see more_text).
    std::string_view text() const { return text_; }
    // The line break that ended the last record ("\n", "\r\n", "\r"), or
    // nothing at the end of the input; for a record that is too long, known
    // once more_text has given Step::end.
    std::string_view line_break() const { return line_break_; }
    // Whether writing the last record's fields back with append_csv_field gives
    // its text unchanged (no quotes, no field with blanks at either end).
    bool writes_back_unchanged() const { return unchanged_; }
    // The fields of the last record, counting from 0, that hold a quote without
    // starting with one: read as text, as they stand, and written back so.
    const std::vector<std::size_t>& bare_quote_fields() const { return bare_quote_fields_; }
    std::size_t max_record() const { return max_record_; }
    char delimiter() const { return delimiter_; }
    void set_delimiter(char delimiter);

private:
    // Where the search for the end of the record at start_ stands, so that it
    // goes on where it stopped when more input arrives.
    struct Scan {
        std::size_t pos = 0;  // offset from start_ of the next byte to look at
        bool in_quotes = false;
        std::size_t first_break = 0;  // offset of the first line break inside quotes, if breaks > 0
        std::size_t first_break_length = 0;
        std::size_t breaks = 0;  // line breaks inside quotes so far
    };

    bool plain_record(std::vector<std::string_view>& fields);
    bool find_end(std::size_t& length, std::size_t& break_length);
    bool cut_back();
    void retake_first_line(const Scan& scanned, std::size_t taken, std::vector<std::string_view>& fields);
    void take(std::size_t length, std::size_t break_length, std::size_t lines);
    std::uint64_t plain_stops_in(const char* p, std::size_t at, std::size_t n, bool& blank) const;
    void split(std::string_view record, std::vector<std::string_view>& fields);
    std::string_view quoted_field(std::string_view record, std::size_t& i);
    std::string_view bare_field(std::string_view record, std::size_t& i, std::size_t column);
    void note(RecordFault fault);
    bool read_start();
    Step too_long(bool found, std::size_t length, std::size_t break_length, std::vector<std::string_view>& fields);

    std::size_t max_record_;
    char delimiter_ = ',';
    std::array<bool, 256> field_stops_{};  // the delimiter and the quote
    std::array<bool, 256> plain_stops_{};  // those and the line breaks
    // The bytes that end a plain record or a field (the delimiter, the quote,
    // LF, CR) and then the blanks (space, tab), each sixteen times over: the
    // patterns a block of the record is compared with.
    struct alignas(16) Pattern {
        std::array<unsigned char, 16> bytes;
    };
    std::array<Pattern, 6> plain_patterns_{};
    std::string buffer_;
    std::size_t start_ = 0;  // the current record's first byte
    bool at_end_ = false;    // the input has no more
    bool started_ = false;   // the byte order marks have been looked for
    bool byte_order_mark_ = false;
    bool utf16_ = false;
    Scan scan_;
    std::string unquoted_;  // the texts of quoted fields, unquoted
    std::string_view text_;
    std::string_view line_break_;
    bool streaming_ = false;  // a record that is too long is being handed out
    std::size_t line_number_ = 0;
    std::size_t next_line_ = 1;
    std::size_t last_start_ = 0;  // where the last record given out starts, for reread()
    std::size_t last_line_ = 1;
    RecordFault fault_ = RecordFault::none;
    bool unchanged_ = false;
    bool quotes_unpaired_ = false;  // a quote left open, or text after a closing one
    std::vector<std::size_t> bare_quote_fields_;
};

// Appends text as one field, in quotes when it holds the delimiter, a quote, a
// line break, or starts or ends with a blank, so that reading it back gives the
// text unchanged.
void append_csv_field(std::string& out, std::string_view text, char delimiter = ',');

// Appends the inside of a quoted field: text with each quote doubled.
void append_quoted_text(std::string& out, std::string_view text);

}  // namespace kestrane
