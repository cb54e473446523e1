#include "csv.h"

namespace kestrane::cli {
namespace {

constexpr std::size_t chunk_size = std::size_t{1} << 16;

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

std::string describe(LineFault fault, std::size_t max_line) {
    switch (fault) {
        case LineFault::none: return {};
        case LineFault::too_long: return "line longer than " + std::to_string(max_line) + " bytes";
        case LineFault::unterminated_quote: return "unterminated quoted field";
        case LineFault::text_after_quote: return "text after the closing quote of a field";
        case LineFault::stray_quote: return "quote inside a field that is not quoted";
    }
    return {};
}

CsvReader::CsvReader(std::istream& in, std::size_t max_line)
    : in_(in), max_line_(max_line == 0 ? 1 : max_line), buffer_(chunk_size) {}

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

bool CsvReader::read_line() {
    line_.clear();
    line_too_long_ = false;
    if (!fill())
        return false;
    ++line_number_;
    for (;;) {
        if (!fill())
            return true;  // the last line, with no line break after it
        const char* const data = buffer_.data();
        std::size_t i = pos_;
        while (i < end_ && data[i] != '\n' && data[i] != '\r')
            ++i;
        const std::size_t room = max_line_ - line_.size();
        const std::size_t length = i - pos_;
        if (length > room)
            line_too_long_ = true;
        line_.append(data + pos_, length < room ? length : room);
        pos_ = i;
        if (i == end_)
            continue;
        ++pos_;
        if (data[i] == '\r' && fill() && buffer_[pos_] == '\n')
            ++pos_;
        return true;
    }
}

void CsvReader::note(LineFault fault) {
    if (fault_ == LineFault::none)
        fault_ = fault;
}

void CsvReader::split(std::vector<std::string_view>& fields) {
    fields.clear();
    char* const p = line_.data();
    const std::size_t n = line_.size();
    std::size_t i = 0;
    for (;;) {
        if (i < n && p[i] == '"') {
            // Unquote in place: the text moves left over its opening quote and
            // over the second quote of each doubled pair.
            const std::size_t start = i;
            std::size_t w = i;
            bool closed = false;
            ++i;
            while (i < n) {
                if (p[i] == '"') {
                    if (i + 1 < n && p[i + 1] == '"') {
                        p[w++] = '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                p[w++] = p[i++];
            }
            if (!closed)
                note(LineFault::unterminated_quote);
            // Text after the closing quote is kept, so the row shows what was there.
            while (i < n && p[i] != ',') {
                note(LineFault::text_after_quote);
                p[w++] = p[i++];
            }
            fields.emplace_back(p + start, w - start);
        } else {
            const std::size_t start = i;
            while (i < n && p[i] != ',') {
                if (p[i] == '"')
                    note(LineFault::stray_quote);
                ++i;
            }
            fields.emplace_back(p + start, i - start);
        }
        if (i >= n)
            return;
        ++i;  // the comma: another field follows, empty if the line ends here
    }
}

bool CsvReader::next(std::vector<std::string_view>& fields) {
    for (;;) {
        if (!read_line())
            return false;
        if (line_.empty() && !line_too_long_)
            continue;
        fault_ = line_too_long_ ? LineFault::too_long : LineFault::none;
        split(fields);
        return true;
    }
}

void append_csv_field(std::string& out, std::string_view text) {
    bool needs_quotes = !text.empty() && (is_blank(text.front()) || is_blank(text.back()));
    for (std::size_t i = 0; i < text.size() && !needs_quotes; ++i) {
        const char c = text[i];
        needs_quotes = c == ',' || c == '"' || c == '\n' || c == '\r';
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
