#include "csv.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace kestrane::cli {
namespace {

constexpr std::size_t chunk_size = std::size_t{1} << 16;
// Room for a chunk and the unfinished record before it; kept under 128 KiB, past
// which allocators map memory of its own for each buffer.
constexpr std::size_t initial_buffer = chunk_size + chunk_size / 2;

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

// The line break of `length` bytes that starts with c, as text that outlives the buffer.
std::string_view line_break_text(char c, std::size_t length) {
    if (length == 0)
        return {};
    if (length == 2)
        return "\r\n";
    return c == '\r' ? "\r" : "\n";
}

}  // namespace

std::string describe(RecordFault fault, std::size_t max_record) {
    switch (fault) {
        case RecordFault::none: return {};
        case RecordFault::too_long: return "record longer than " + std::to_string(max_record) + " bytes";
        case RecordFault::unterminated_quote: return "unterminated quoted field";
        case RecordFault::text_after_quote: return "text after the closing quote of a field";
        case RecordFault::stray_quote: return "quote inside a field that is not quoted";
    }
    return {};
}

CsvReader::CsvReader(InputSource& in, std::size_t max_record, char delimiter)
    : in_(&in), max_record_(max_record == 0 ? 1 : max_record), buffer_(initial_buffer) {
    set_delimiter(delimiter);
}

void CsvReader::set_delimiter(char delimiter) {
    delimiter_ = delimiter;
    field_stops_ = {};
    field_stops_[static_cast<unsigned char>(delimiter)] = true;
    field_stops_['"'] = true;
}

CsvReader::CsvReader(std::istream& in, std::size_t max_record, char delimiter)
    : CsvReader(std::make_unique<StreamSource>(in), max_record, delimiter) {}

CsvReader::CsvReader(std::unique_ptr<InputSource> in, std::size_t max_record, char delimiter)
    : CsvReader(*in, max_record, delimiter) {
    owned_ = std::move(in);
}

// Reads more input after what is held, moving the unfinished record to the
// front first. False at the end of the input (or when it failed).
bool CsvReader::fill() {
    if (at_end_)
        return false;
    if (start_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + start_, end_ - start_);
        end_ -= start_;
        start_ = 0;
    }
    // A record is held whole up to the bound, and a chunk more shows that it passed it.
    if (buffer_.size() - end_ < chunk_size)
        buffer_.resize(std::max(buffer_.size() * 2, end_ + chunk_size));
    if (wait_hook_ && !in_->ready())
        wait_hook_();
    const std::size_t n = in_->read_some(buffer_.data() + end_, std::min(chunk_size, buffer_.size() - end_));
    if (n == 0) {
        at_end_ = true;
        return false;
    }
    end_ += n;
    return true;
}

// Reads until the first line is held whole (or the bound is passed) and says
// which delimiter it is written with.
char CsvReader::delimiter_of_first_line() {
    for (;;) {
        const std::string_view held(buffer_.data() + start_, end_ - start_);
        const std::size_t line_end = held.find_first_of("\r\n");
        if (line_end != std::string_view::npos || held.size() > max_record_ || !fill()) {
            const std::string_view line = held.substr(0, line_end);
            const bool semicolons = line.find(';') != std::string_view::npos;
            return semicolons && line.find(',') == std::string_view::npos ? ';' : ',';
        }
    }
}

void CsvReader::skip_byte_order_mark() {
    while (end_ - start_ < 3 && fill()) {
    }
    const char* p = buffer_.data() + start_;
    if (end_ - start_ >= 3 && p[0] == '\xEF' && p[1] == '\xBB' && p[2] == '\xBF') {
        byte_order_mark_ = true;
        start_ += 3;
    }
}

// The bytes at which the search for a record's end must look closer: line
// breaks, and quotes (which may open or close a quoted field).
struct Stops {
    std::array<bool, 256> at{};
    constexpr Stops() { at['\n'] = at['\r'] = at['"'] = true; }
};
constexpr Stops stops;

// Looks for the end of the record at start_, from where the last look stopped.
// True with the record's length and its line break's when found; false when
// the input held so far ends first.
bool CsvReader::find_end(std::size_t& length, std::size_t& break_length) {
    const char* const p = buffer_.data() + start_;
    const std::size_t n = end_ - start_;
    Scan& s = scan_;
    std::size_t i = s.pos;
    // A quote or CR as the last byte held may be the first of a pair ("" or
    // CRLF): wait for the next byte unless the input has ended.
    const bool more_may_come = !at_end_;
    for (;;) {
        while (i < n && !stops.at[static_cast<unsigned char>(p[i])])
            ++i;
        if (i == n)
            break;
        const char c = p[i];
        if (c == '"') {
            if (!s.in_quotes) {
                // A quote opens a quoted field only at the field's start.
                s.in_quotes = i == 0 || p[i - 1] == delimiter_;
            } else if (i + 1 == n && more_may_come) {
                break;
            } else if (i + 1 < n && p[i + 1] == '"') {
                ++i;
            } else {
                s.in_quotes = false;
            }
            ++i;
            continue;
        }
        if (c == '\r' && i + 1 == n && more_may_come)
            break;
        const std::size_t size = c == '\r' && i + 1 < n && p[i + 1] == '\n' ? 2 : 1;
        if (!s.in_quotes) {
            s.pos = i;
            length = i;
            break_length = size;
            return true;
        }
        if (s.breaks++ == 0) {
            s.first_break = i;
            s.first_break_length = size;
        }
        i += size;
    }
    s.pos = i;
    return false;
}

void CsvReader::note(RecordFault fault) {
    if (fault_ == RecordFault::none)
        fault_ = fault;
}

void CsvReader::split(std::string_view record, std::vector<std::string_view>& fields) {
    fields.clear();
    unquoted_.clear();
    unquoted_.reserve(record.size());  // unquoting only shortens: the fields' views stay valid
    quotes_unpaired_ = false;
    const char* const p = record.data();
    const std::size_t n = record.size();
    bool quotes = false;
    bool blank_edge = false;
    std::size_t i = 0;
    for (;;) {
        if (i < n && p[i] == '"') {
            quotes = true;
            const std::size_t begin = unquoted_.size();
            bool closed = false;
            for (++i; i < n && !closed;) {
                const void* quote = std::memchr(p + i, '"', n - i);
                const std::size_t at = quote ? static_cast<std::size_t>(static_cast<const char*>(quote) - p) : n;
                unquoted_.append(p + i, at - i);
                i = at;
                if (i + 1 < n && p[i + 1] == '"') {
                    unquoted_ += '"';
                    i += 2;
                } else if (i < n) {
                    ++i;
                    closed = true;
                }
            }
            if (!closed)
                note(RecordFault::unterminated_quote);
            // Text after the closing quote is kept, so the row shows what was there.
            const std::size_t after_quote = i;
            for (; i < n && p[i] != delimiter_; ++i) {
                note(RecordFault::text_after_quote);
                unquoted_ += p[i];
            }
            quotes_unpaired_ = quotes_unpaired_ || !closed || i != after_quote;
            fields.emplace_back(unquoted_.data() + begin, unquoted_.size() - begin);
        } else {
            const std::size_t begin = i;
            for (;;) {
                while (i < n && !field_stops_[static_cast<unsigned char>(p[i])])
                    ++i;
                if (i == n || p[i] == delimiter_)
                    break;
                quotes = true;
                note(RecordFault::stray_quote);
                ++i;
            }
            blank_edge = blank_edge || (i > begin && (is_blank(p[begin]) || is_blank(p[i - 1])));
            fields.emplace_back(p + begin, i - begin);
        }
        if (i >= n)
            break;
        ++i;  // the delimiter: another field follows, empty if the record ends here
    }
    unchanged_ = !quotes && !blank_edge;
}

// Hands out the record of `length` bytes at start_ and moves past it and its line break.
void CsvReader::take(std::size_t length, std::size_t break_length, std::size_t lines) {
    const char* const p = buffer_.data() + start_;
    line_number_ = next_line_;
    next_line_ += lines + 1;
    text_ = std::string_view(p, length);
    line_break_ = line_break_text(length < end_ - start_ ? p[length] : '\n', break_length);
    start_ += length + break_length;
    scan_ = Scan{};
}

// A record that spans lines and went wrong is cut back to its first line, which
// then reads as a record of its own; true when it was.
bool CsvReader::cut_back() {
    if (scan_.breaks == 0 || scan_.first_break > max_record_)
        return false;
    take(scan_.first_break, scan_.first_break_length, 0);
    return true;
}

bool CsvReader::next(std::vector<std::string_view>& fields) {
    std::string_view rest;
    while (more_text(rest)) {
    }
    if (!started_) {
        started_ = true;
        skip_byte_order_mark();
        if (delimiter_ == detect_delimiter)
            set_delimiter(delimiter_of_first_line());
    }
    fault_ = RecordFault::none;
    for (;;) {
        std::size_t length = 0;
        std::size_t break_length = 0;
        const bool found = find_end(length, break_length);
        // Unfinished, the record holds at least the bytes before where the look
        // stopped; a last CR or quote held may yet turn out to be its line break.
        if ((found ? length : scan_.pos) > max_record_) {
            if (cut_back()) {
                split(text_, fields);
                return true;
            }
            // One line past the bound: a record that is too long. Its end may
            // already be held; if not, the rest is handed out by more_text.
            const std::size_t first_line = scan_.breaks > 0 ? scan_.first_break : found ? length : scan_.pos;
            const std::size_t first_break = scan_.breaks > 0 ? scan_.first_break_length : found ? break_length : 0;
            streaming_ = scan_.breaks == 0 && !found;
            take(first_line, first_break, 0);
            split(text_.substr(0, max_record_), fields);
            fault_ = RecordFault::too_long;
            return true;
        }
        if (!found) {
            // More input, or its end: either way look again, since a last CR or
            // quote reads differently once nothing can follow it.
            if (!at_end_) {
                fill();
                continue;
            }
            if (start_ == end_)
                return false;
            length = end_ - start_;
        }
        if (length == 0 && scan_.breaks == 0) {  // an empty line
            take(0, break_length, 0);
            continue;
        }
        const Scan scanned = scan_;
        take(length, break_length, scanned.breaks);
        split(text_, fields);
        if (scanned.breaks > 0 && quotes_unpaired_) {
            // Go back to the record's start and hand out its first line alone.
            start_ -= length + break_length;
            next_line_ = line_number_;
            scan_ = scanned;
            fault_ = RecordFault::none;
            cut_back();
            split(text_, fields);
        }
        return true;
    }
}

bool CsvReader::more_text(std::string_view& piece) {
    while (streaming_) {
        if (start_ == end_ && !fill()) {
            streaming_ = false;
            line_break_ = {};
            return false;
        }
        const char* const p = buffer_.data();
        std::size_t i = start_;
        while (i < end_ && p[i] != '\n' && p[i] != '\r')
            ++i;
        if (i > start_) {
            piece = std::string_view(p + start_, i - start_);
            start_ = i;
            return true;
        }
        if (p[i] == '\r' && i + 1 == end_ && fill())
            continue;  // a CR as the last byte held: see whether an LF follows
        const std::size_t size = p[i] == '\r' && i + 1 < end_ && p[i + 1] == '\n' ? 2 : 1;
        line_break_ = line_break_text(p[i], size);
        start_ += size;
        streaming_ = false;
    }
    return false;
}

void append_quoted_text(std::string& out, std::string_view text) {
    for (;;) {
        const std::size_t quote = text.find('"');
        if (quote == std::string_view::npos) {
            out.append(text);
            return;
        }
        out.append(text.substr(0, quote + 1)) += '"';
        text.remove_prefix(quote + 1);
    }
}

void append_csv_field(std::string& out, std::string_view text, char delimiter) {
    bool needs_quotes = !text.empty() && (is_blank(text.front()) || is_blank(text.back()));
    for (std::size_t i = 0; i < text.size() && !needs_quotes; ++i) {
        const char c = text[i];
        needs_quotes = c == delimiter || c == '"' || c == '\n' || c == '\r';
    }
    if (!needs_quotes) {
        out.append(text);
        return;
    }
    out += '"';
    append_quoted_text(out, text);
    out += '"';
}

}  // namespace kestrane::cli
