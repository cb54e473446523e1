// Comma-separated text: a streaming reader of lines as records, and the writer of one field.
#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace kestrane::cli {

// What kept a line from reading cleanly as one record.
enum class LineFault {
    none,
    too_long,            // longer than the reader's bound; only its first part was read
    unterminated_quote,  // a quoted field not closed before the end of its line
    text_after_quote,    // a closing quote followed by more text before the comma
    stray_quote,         // a quote inside a field that does not start with one
};

// The words for a fault in a line's error: "unterminated quoted field", ...
std::string describe(LineFault fault, std::size_t max_line);

// Reads comma-separated records with RFC 4180 quoting (a field in double quotes
// may hold commas and doubled quotes, and keeps its spaces). Each physical line
// is one record: lines end in LF, CRLF or CR, and a quote left open ends with its
// line, so one stray quote spoils only its own line and not the rest of the log.
// Blank lines are skipped. The input is read in fixed chunks and a line is kept
// up to a bound, so memory does not grow with the length of the log.
class CsvReader {
public:
    static constexpr std::size_t default_max_line = std::size_t{1} << 20;

    explicit CsvReader(std::istream& in, std::size_t max_line = default_max_line);

    CsvReader(const CsvReader&) = delete;
    CsvReader& operator=(const CsvReader&) = delete;

    // Reads the next non-blank line into fields, which stay valid until the
    // next call. A faulty line still gives the fields that could be read (see
    // fault()). False at the end of the input.
    bool next(std::vector<std::string_view>& fields);

    // The physical line, counting from 1, that the last record was read from.
    std::size_t line_number() const { return line_number_; }
    // Why the last record did not read cleanly, or LineFault::none.
    LineFault fault() const { return fault_; }
    // Whether the input began with a UTF-8 byte order mark, which no field keeps.
    bool had_byte_order_mark() const { return byte_order_mark_; }
    // Whether reading stopped because the stream failed, not at its end.
    bool read_failed() const { return in_.bad(); }
    std::size_t max_line() const { return max_line_; }

private:
    // Makes at least one unread byte available; false at the end of the input.
    bool fill();
    // Reads one physical line, up to the bound, into line_; false at the end of the input.
    bool read_line();
    // Splits line_ in place into fields (unquoting shortens a field, never lengthens it).
    void split(std::vector<std::string_view>& fields);
    void note(LineFault fault);

    std::istream& in_;
    std::size_t max_line_;
    std::vector<char> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool started_ = false;
    bool byte_order_mark_ = false;
    std::string line_;
    bool line_too_long_ = false;
    std::size_t line_number_ = 0;
    LineFault fault_ = LineFault::none;
};

// Appends text as one field, in quotes when it holds a comma, a quote, a line
// break, or starts or ends with a blank, so that reading it back gives the text
// unchanged.
void append_csv_field(std::string& out, std::string_view text);

}  // namespace kestrane::cli
