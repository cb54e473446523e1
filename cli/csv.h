// Delimited text (commas, or semicolons, tabs, bars): a streaming reader of
// RFC 4180 records, and the writer of one field.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <istream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "io.h"

namespace kestrane::cli {

// What kept a record from reading cleanly.
enum class RecordFault {
    none,
    too_long,            // longer than the reader's bound
    unterminated_quote,  // a quoted field not closed before the end of its record
    text_after_quote,    // a closing quote followed by more text before the delimiter
    stray_quote,         // a quote inside a field that does not start with one
};

// The words for a fault in a row's error: "unterminated quoted field", ...
std::string describe(RecordFault fault, std::size_t max_record);

// Reads delimited records with RFC 4180 quoting: a field in double quotes may
// hold the delimiter, doubled quotes and line breaks, so one record may span
// several lines. Records end in LF, CRLF or CR; empty lines are skipped.
//
// A quote that goes wrong must not take the rest of the log with it: a record
// that spans lines and whose quoting is broken, or that grows past the bound,
// is cut back to its first line (a record with an unterminated quote), and
// reading goes on with the next line. A single line longer than the bound is
// one record that is too long; its text beyond the bound is handed out piece
// by piece (more_text), so memory stays within the bound however long it is.
//
// The reader takes whatever the source has as soon as it has it, so a record
// is given out as soon as its end has arrived; before it waits for more input
// it calls the waiting hook (the moment to write out what is ready).
class CsvReader {
public:
    static constexpr std::size_t default_max_record = std::size_t{1} << 20;
    // The delimiter that lets the first line decide: a semicolon when it holds
    // semicolons and no comma (as spreadsheets save CSV where the comma is the
    // decimal mark), else a comma.
    static constexpr char detect_delimiter = '\0';

    explicit CsvReader(InputSource& in, std::size_t max_record = default_max_record, char delimiter = ',');
    // Reads a stream (for tests and in-process use).
    explicit CsvReader(std::istream& in, std::size_t max_record = default_max_record, char delimiter = ',');

    CsvReader(const CsvReader&) = delete;
    CsvReader& operator=(const CsvReader&) = delete;

    // Called before the reader waits for input that has not arrived yet.
    void on_wait(std::function<void()> hook) { wait_hook_ = std::move(hook); }

    // Reads the next record into fields, which stay valid until the next call.
    // A faulty record still gives the fields that could be read (see fault()).
    // False at the end of the input.
    bool next(std::vector<std::string_view>& fields);

    // The line, counting from 1, on which the last record starts.
    std::size_t line_number() const { return line_number_; }
    // Why the last record did not read cleanly, or RecordFault::none.
    RecordFault fault() const { return fault_; }
    // The last record's text as it stands in the input, without its line
    // break; for a record that is too long, only its start (see more_text).
    std::string_view text() const { return text_; }
    // For a record that is too long, the next piece of its text; false when the
    // whole record has been handed out. Call until false before next().
    bool more_text(std::string_view& piece);
    // The line break that ended the last record ("\n", "\r\n", "\r"), or
    // nothing at the end of the input; for a record that is too long, known
    // once more_text has returned false.
    std::string_view line_break() const { return line_break_; }
    // Whether writing the last record's fields back with append_csv_field gives
    // its text unchanged (no quotes, no field with blanks at either end).
    bool writes_back_unchanged() const { return unchanged_; }
    // Whether the input began with a UTF-8 byte order mark, which no field keeps.
    bool had_byte_order_mark() const { return byte_order_mark_; }
    // Why reading stopped before the end of the input; empty when it did not.
    const std::string& read_failure() const { return in_->failure(); }
    std::size_t max_record() const { return max_record_; }
    // The delimiter; once the first record is read, the one detected.
    char delimiter() const { return delimiter_; }

private:
    CsvReader(std::unique_ptr<InputSource> in, std::size_t max_record, char delimiter);

    // Where the search for the end of the record at start_ stands, so that it
    // goes on where it stopped when more input arrives.
    struct Scan {
        std::size_t pos = 0;  // offset from start_ of the next byte to look at
        bool in_quotes = false;
        std::size_t first_break = 0;  // offset of the first line break inside quotes, if breaks > 0
        std::size_t first_break_length = 0;
        std::size_t breaks = 0;  // line breaks inside quotes so far
    };

    bool fill();
    bool find_end(std::size_t& length, std::size_t& break_length);
    bool cut_back();
    void take(std::size_t length, std::size_t break_length, std::size_t lines);
    void split(std::string_view record, std::vector<std::string_view>& fields);
    void note(RecordFault fault);
    void skip_byte_order_mark();
    void set_delimiter(char delimiter);
    char delimiter_of_first_line();

    std::unique_ptr<InputSource> owned_;
    InputSource* in_;
    std::size_t max_record_;
    char delimiter_;
    std::array<bool, 256> field_stops_{};  // the delimiter and the quote
    std::function<void()> wait_hook_;
    std::vector<char> buffer_;
    std::size_t start_ = 0;  // the current record's first byte
    std::size_t end_ = 0;    // one past the last byte read
    bool at_end_ = false;    // the source has no more
    bool started_ = false;
    bool byte_order_mark_ = false;
    Scan scan_;
    std::string unquoted_;  // the texts of quoted fields, unquoted
    std::string_view text_;
    std::string_view line_break_;
    bool streaming_ = false;  // a record that is too long is being handed out
    std::size_t line_number_ = 0;
    std::size_t next_line_ = 1;
    RecordFault fault_ = RecordFault::none;
    bool unchanged_ = false;
    bool quotes_unpaired_ = false;  // a quote left open, or text after a closing one
};

// Appends text as one field, in quotes when it holds the delimiter, a quote, a
// line break, or starts or ends with a blank, so that reading it back gives the
// text unchanged.
void append_csv_field(std::string& out, std::string_view text, char delimiter = ',');

// Appends the inside of a quoted field: text with each quote doubled.
void append_quoted_text(std::string& out, std::string_view text);

}  // namespace kestrane::cli
