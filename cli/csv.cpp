#include "csv.h"

namespace kestrane::cli {
namespace {

constexpr std::size_t chunk_size = std::size_t{1} << 16;

}  // namespace

CsvReader::CsvReader(std::istream& in, char delimiter) : in_(in), delimiter_(delimiter), buffer_(chunk_size) {}

bool CsvReader::fill() {
    if (pos_ < end_)
        return true;
    if (!in_)
        return false;
    in_.read(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    pos_ = 0;
    end_ = static_cast<std::size_t>(in_.gcount());
    if (!started_) {
        started_ = true;
        // istream::read only comes back short at the end of the input, so a
        // mark, if there is one, lies whole in the first chunk.
        if (end_ >= 3 && buffer_[0] == '\xEF' && buffer_[1] == '\xBB' && buffer_[2] == '\xBF') {
            byte_order_mark_ = true;
            pos_ = 3;
        }
    }
    return pos_ < end_;
}

bool CsvReader::read_quoted(std::string& cell) {
    for (;;) {
        if (!fill()) {
            error_ = "a quoted cell that starts on line " + std::to_string(record_line_) + " is never closed";
            return false;
        }
        const char* const data = buffer_.data();
        std::size_t i = pos_;
        while (i < end_ && data[i] != '"') {
            if (data[i] == '\n')
                ++line_;
            ++i;
        }
        cell.append(data + pos_, i - pos_);
        pos_ = i;
        if (i == end_)
            continue;
        ++pos_;  // the quote
        // A doubled quote is a quote in the text; any other character closes the cell.
        if (fill() && buffer_[pos_] == '"') {
            cell += '"';
            ++pos_;
            continue;
        }
        return true;
    }
}

bool CsvReader::next(std::vector<std::string>& cells) {
    for (;;) {
        if (!error_.empty() || !fill())
            return false;
        record_line_ = line_;
        std::size_t count = 0;
        bool quoted = false;
        bool record_done = false;
        while (!record_done) {
            if (count == cells.size())
                cells.emplace_back();
            std::string& cell = cells[count++];
            cell.clear();
            if (fill() && buffer_[pos_] == '"') {
                ++pos_;
                quoted = true;
                if (!read_quoted(cell))
                    return false;
            }
            // The unquoted text of the cell, or what follows a closing quote:
            // taken as it stands up to the delimiter or the end of the line.
            for (;;) {
                if (!fill()) {
                    record_done = true;
                    break;
                }
                const char* const data = buffer_.data();
                std::size_t i = pos_;
                while (i < end_ && data[i] != delimiter_ && data[i] != '\n' && data[i] != '\r')
                    ++i;
                cell.append(data + pos_, i - pos_);
                pos_ = i;
                if (i == end_)
                    continue;
                const char stop = data[i];
                ++pos_;
                if (stop == delimiter_)
                    break;
                ++line_;
                if (stop == '\r' && fill() && buffer_[pos_] == '\n')
                    ++pos_;
                record_done = true;
                break;
            }
        }
        cells.resize(count);
        const bool blank_line = count == 1 && !quoted && cells[0].empty();
        if (!blank_line)
            return true;
    }
}

void append_csv_cell(std::string& out, std::string_view text, char delimiter) {
    bool needs_quotes = false;
    for (const char c : text) {
        if (c == delimiter || c == '"' || c == '\n' || c == '\r') {
            needs_quotes = true;
            break;
        }
    }
    if (!needs_quotes) {
        out.append(text);
        return;
    }
    out += '"';
    for (const char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

}  // namespace kestrane::cli
