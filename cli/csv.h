// Comma-separated text: a streaming reader of records and the writer of one cell.
#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace kestrane::cli {

// Reads records of delimited text with the usual quoting: a cell in double
// quotes may hold the delimiter, line breaks and doubled quotes (""). Lines end
// in LF, CRLF or CR. Cell texts are kept whole, spaces included. Reads the
// stream in large chunks, so it suits logs of any length.
class CsvReader {
public:
    CsvReader(std::istream& in, char delimiter);

    CsvReader(const CsvReader&) = delete;
    CsvReader& operator=(const CsvReader&) = delete;

    // Reads the next record into cells, reusing their storage; blank lines are
    // skipped. False at the end of the input, or when it is malformed (then
    // error() says why).
    bool next(std::vector<std::string>& cells);

    // The line, counting from 1, on which the record last read starts.
    std::size_t record_line() const { return record_line_; }
    // Why reading stopped early; empty after a clean end.
    const std::string& error() const { return error_; }
    // Whether the input began with a UTF-8 byte order mark, which no cell keeps.
    bool had_byte_order_mark() const { return byte_order_mark_; }

private:
    // Makes at least one unread byte available; false at the end of the input.
    bool fill();
    // Appends the quoted part of a cell (its opening quote already read) to cell.
    bool read_quoted(std::string& cell);

    std::istream& in_;
    char delimiter_;
    std::vector<char> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool started_ = false;
    bool byte_order_mark_ = false;
    std::size_t line_ = 1;
    std::size_t record_line_ = 0;
    std::string error_;
};

// Appends text as one cell, quoted only when it holds the delimiter, a double
// quote or a line break.
void append_csv_cell(std::string& out, std::string_view text, char delimiter);

}  // namespace kestrane::cli
