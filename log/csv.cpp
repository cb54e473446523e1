#include "csv.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kestrane {
namespace {

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

// Whether a field starts or ends with a blank, which only quotes keep.
bool has_blank_edge(std::string_view field) {
    return !field.empty() && (is_blank(field.front()) || is_blank(field.back()));
}

// Appends the text of the quoted field whose opening quote is at i to out, a
// doubled quote as one, and moves i past its closing quote; false when the
// record ends first.
bool append_unquoted(std::string& out, std::string_view record, std::size_t& i) {
    const char* const p = record.data();
    const std::size_t n = record.size();
    for (++i; i < n;) {
        const void* quote = std::memchr(p + i, '"', n - i);
        const std::size_t at = quote ? static_cast<std::size_t>(static_cast<const char*>(quote) - p) : n;
        out.append(p + i, at - i);
        i = at;
        if (i + 1 < n && p[i + 1] == '"') {
            out += '"';
            i += 2;
        } else if (i < n) {
            ++i;
            return true;
        }
    }
    return false;
}

// The bytes at which the search for a record's end must look closer: line
// breaks, and quotes (which may open or close a quoted field).
struct Stops {
    std::array<bool, 256> at{};
    constexpr Stops() { at['\n'] = at['\r'] = at['"'] = true; }
};
constexpr Stops stops;

}  // namespace

std::string describe(RecordFault fault, std::size_t max_record) {
    switch (fault) {
        case RecordFault::none: return {};
        case RecordFault::too_long: return "record longer than " + std::to_string(max_record) + " bytes";
        case RecordFault::unterminated_quote: return "unterminated quoted field";
        case RecordFault::text_after_quote: return "text after the closing quote of a field";
    }
    return {};
}

std::string describe_bare_quotes(const std::vector<std::size_t>& fields) {
    if (fields.empty())
        return {};
    std::string text = fields.size() == 1 ? "quote inside a field that is not quoted (column "
                                          : "quotes inside fields that are not quoted (columns ";
    for (std::size_t k = 0; k < fields.size(); ++k)
        text.append(k == 0 ? "" : ", ").append(std::to_string(fields[k] + 1));
    return text + "), read as text";
}

RecordReader::RecordReader(std::size_t max_record, char delimiter) : max_record_(max_record == 0 ? 1 : max_record) {
    set_delimiter(delimiter);
}

void RecordReader::set_delimiter(char delimiter) {
    delimiter_ = delimiter;
    field_stops_ = {};
    field_stops_[static_cast<unsigned char>(delimiter)] = true;
    field_stops_['"'] = true;
    plain_stops_ = field_stops_;
    plain_stops_['\n'] = plain_stops_['\r'] = true;
    const char patterns[] = {delimiter, '"', '\n', '\r', ' ', '\t'};
    for (std::size_t k = 0; k < plain_patterns_.size(); ++k)
        plain_patterns_[k].bytes.fill(static_cast<unsigned char>(patterns[k]));
}

void RecordReader::push(std::string_view chunk) {
    // The records handed out are done with: keep only the one not yet whole.
    if (start_ > 0) {
        buffer_.erase(0, start_);
        start_ = 0;
        last_start_ = 0;
    }
    buffer_.append(chunk);
}

void RecordReader::close() {
    at_end_ = true;
}

void RecordReader::begin_at_line(std::size_t line) {
    started_ = true;
    next_line_ = line;
    last_line_ = line;
}

// Looks at the start of the input for byte order marks; false while too little has arrived.
bool RecordReader::read_start() {
    const std::size_t held = buffer_.size() - start_;
    if (held < 3 && !at_end_)
        return false;
    const std::string_view head(buffer_.data() + start_, held < 3 ? held : 3);
    if (head == "\xEF\xBB\xBF") {
        byte_order_mark_ = true;
        start_ += 3;
    } else if (head.substr(0, 2) == "\xFF\xFE" || head.substr(0, 2) == "\xFE\xFF") {
        utf16_ = true;
    }
    last_start_ = start_;
    started_ = true;
    return true;
}

// Looks for the end of the record at start_, from where the last look stopped.
// True with the record's length and its line break's when found; false when
// the input held so far ends first.
bool RecordReader::find_end(std::size_t& length, std::size_t& break_length) {
    const char* const p = buffer_.data() + start_;
    const std::size_t n = buffer_.size() - start_;
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

void RecordReader::note(RecordFault fault) {
    if (fault_ == RecordFault::none)
        fault_ = fault;
}

// Splits a record into its fields, unquoting the quoted ones into unquoted_,
// and notes what the record's quotes and blanks say about it.
void RecordReader::split(std::string_view record, std::vector<std::string_view>& fields) {
    fields.clear();
    unquoted_.clear();
    unquoted_.reserve(record.size());  // unquoting only shortens: the fields' views stay valid
    quotes_unpaired_ = false;
    bare_quote_fields_.clear();
    bool quoted = false;
    bool blank_edge = false;
    std::size_t i = 0;
    for (;;) {
        if (i < record.size() && record[i] == '"') {
            quoted = true;
            fields.push_back(quoted_field(record, i));
        } else {
            const std::string_view field = bare_field(record, i, fields.size());
            blank_edge = blank_edge || has_blank_edge(field);
            fields.push_back(field);
        }
        if (i >= record.size())
            break;
        ++i;  // the delimiter: another field follows, empty if the record ends here
    }
    // A quoted field or a bare quote: the writer would quote, so the record's
    // text is no longer what its fields write.
    unchanged_ = !quoted && bare_quote_fields_.empty() && !blank_edge;
}

// The field opening with a quote at i, unquoted into unquoted_; i moves to the
// delimiter or the record's end after it. This and bare_field are inline, parts
// of split: a call for each field cost a log of quoted fields 2 % more instructions.
inline std::string_view RecordReader::quoted_field(std::string_view record, std::size_t& i) {
    const std::size_t begin = unquoted_.size();
    const bool closed = append_unquoted(unquoted_, record, i);
    if (!closed)
        note(RecordFault::unterminated_quote);
    // Text after the closing quote is kept, so the row shows what was there.
    const std::size_t after_quote = i;
    for (; i < record.size() && record[i] != delimiter_; ++i) {
        note(RecordFault::text_after_quote);
        unquoted_ += record[i];
    }
    quotes_unpaired_ = quotes_unpaired_ || !closed || i != after_quote;
    return {unquoted_.data() + begin, unquoted_.size() - begin};
}

// The field starting at i that does not open with a quote, as it stands; i
// moves to the delimiter or the record's end after it. A quote in it is a bare
// quote: text, and the field's column is noted.
inline std::string_view RecordReader::bare_field(std::string_view record, std::size_t& i, std::size_t column) {
    const char* const p = record.data();
    const std::size_t n = record.size();
    const std::size_t begin = i;
    for (;;) {
        while (i < n && !field_stops_[static_cast<unsigned char>(p[i])])
            ++i;
        if (i == n || p[i] == delimiter_)
            break;
        if (bare_quote_fields_.empty() || bare_quote_fields_.back() != column)
            bare_quote_fields_.push_back(column);
        ++i;
    }
    return {p + begin, i - begin};
}

// Hands out the record of `length` bytes at start_ and moves past it and its line break.
void RecordReader::take(std::size_t length, std::size_t break_length, std::size_t lines) {
    const char* const p = buffer_.data() + start_;
    last_start_ = start_;
    last_line_ = next_line_;
    line_number_ = next_line_;
    next_line_ += lines + 1;
    text_ = std::string_view(p, length);
    line_break_ = line_break_text(length < buffer_.size() - start_ ? p[length] : '\n', break_length);
    start_ += length + break_length;
    scan_ = Scan{};
}

// A record that spans lines and went wrong is cut back to its first line, which
// then reads as a record of its own; true when it was.
bool RecordReader::cut_back() {
    if (scan_.breaks == 0 || scan_.first_break > max_record_)
        return false;
    take(scan_.first_break, scan_.first_break_length, 0);
    return true;
}

// A record past the bound: its first line, of which only the start is read
// into fields. Its end may already be held; if not, more_text hands out the rest.
RecordReader::Step RecordReader::too_long(bool found,
                                          std::size_t length,
                                          std::size_t break_length,
                                          std::vector<std::string_view>& fields) {
    const std::size_t first_line = scan_.breaks > 0 ? scan_.first_break : found ? length : scan_.pos;
    const std::size_t first_break = scan_.breaks > 0 ? scan_.first_break_length : found ? break_length : 0;
    streaming_ = scan_.breaks == 0 && !found;
    take(first_line, first_break, 0);
    split(text_.substr(0, max_record_), fields);
    fault_ = RecordFault::too_long;
    return Step::record;
}

// The bytes of a block of the record, p[at, at + stop_block) before n, that
// end a field or a plain record (the delimiter, a quote, a line break), as a
// mask: bit k * stop_bit stands for p[at + k]. Sets blank when the block holds
// a blank. A log's rows are mostly bytes that end nothing, so a block is
// looked at whole: sixteen bytes in vector registers where there are any,
// else eight in a word.
#if defined(__SSE2__)
constexpr std::size_t stop_block = 16;
constexpr unsigned stop_bit = 1;

inline std::uint64_t RecordReader::plain_stops_in(const char* p, std::size_t at, std::size_t n, bool& blank) const {
    const std::size_t size = std::min(stop_block, n - at);
    __m128i block;
    if (size == stop_block) {
        block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at));
    } else {
        alignas(16) char tail[stop_block] = {};
        std::memcpy(tail, p + at, size);
        block = _mm_load_si128(reinterpret_cast<const __m128i*>(tail));
    }
    const auto equal = [&](std::size_t k) {
        return _mm_cmpeq_epi8(block, _mm_load_si128(reinterpret_cast<const __m128i*>(plain_patterns_[k].bytes.data())));
    };
    const __m128i ends = _mm_or_si128(_mm_or_si128(equal(0), equal(1)), _mm_or_si128(equal(2), equal(3)));
    const auto found = static_cast<std::uint64_t>(_mm_movemask_epi8(ends));
    blank = blank || _mm_movemask_epi8(_mm_or_si128(equal(4), equal(5))) != 0;
    return size == stop_block ? found : found & ((std::uint64_t{1} << size) - 1);
}
#else
constexpr std::size_t stop_block = 8;
constexpr unsigned stop_bit = 8;

inline std::uint64_t RecordReader::plain_stops_in(const char* p, std::size_t at, std::size_t n, bool& blank) const {
    const std::size_t size = std::min(stop_block, n - at);
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::uint64_t lows = 0x7F7F7F7F7F7F7F7F;
        std::uint64_t word = 0;
        if (size == 8)
            std::memcpy(&word, p + at, 8);  // one load: the size known here
        else
            std::memcpy(&word, p + at, size);
        std::array<std::uint64_t, 6> found{};  // the top bit of a byte's place for each byte equal to a pattern's
        for (std::size_t k = 0; k < found.size(); ++k) {
            std::uint64_t pattern = 0;
            std::memcpy(&pattern, plain_patterns_[k].bytes.data(), 8);
            const std::uint64_t v = word ^ pattern;  // a byte equal to the pattern's is a zero byte here
            found[k] = ~(((v & lows) + lows) | v | lows);
        }
        const std::uint64_t within = size == 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * size)) - 1;
        blank = blank || ((found[4] | found[5]) & within) != 0;
        return (found[0] | found[1] | found[2] | found[3]) & within;
    }
    std::uint64_t found = 0;
    for (std::size_t k = 0; k < size; ++k) {
        const char c = p[at + k];
        found |= plain_stops_[static_cast<unsigned char>(c)] ? std::uint64_t{0x80} << (8 * k) : 0;
        blank = blank || is_blank(c);
    }
    return found;
}
#endif

namespace {

// Sets fields[k] to field, growing fields by one when k is its size: a log's
// rows all have as many fields, so the vector's elements are reused as they stand.
inline void put_field(std::vector<std::string_view>& fields, std::size_t k, std::string_view field) {
    if (k < fields.size())
        fields[k] = field;
    else
        fields.push_back(field);
}

}  // namespace

// The common record, read in one pass: no quote in it, and its line break
// held, within the bound. The fields are split as the record's end is looked
// for. False, with nothing taken, for any other; the look for its end then
// goes on from where this one stopped.
bool RecordReader::plain_record(std::vector<std::string_view>& fields) {
    const char* const p = buffer_.data() + start_;
    const std::size_t n = std::min(buffer_.size() - start_, max_record_ + 2);
    std::size_t count = 0;
    bool blank = false;  // a blank among the bytes looked at, which may leave a field with a blank edge
    std::size_t begin = 0;
    for (std::size_t at = 0; at < n; at += stop_block) {
        for (std::uint64_t ends = plain_stops_in(p, at, n, blank); ends != 0; ends &= ends - 1) {
            const std::size_t i = at + static_cast<std::size_t>(std::countr_zero(ends)) / stop_bit;
            const char c = p[i];
            if (c == delimiter_) {
                put_field(fields, count++, std::string_view(p + begin, i - begin));
                begin = i + 1;
                continue;
            }
            if (c == '"' || (c == '\r' && i + 1 == n && !at_end_) || i > max_record_ || i == 0) {
                // Quoting, a CR whose pair has not arrived, past the bound, or
                // an empty line (which it skips): the careful way.
                scan_.pos = c == '"' ? 0 : i;
                return false;
            }
            put_field(fields, count++, std::string_view(p + begin, i - begin));
            fields.resize(count);
            take(i, c == '\r' && i + 1 < n && p[i + 1] == '\n' ? 2 : 1, 0);
            fault_ = RecordFault::none;
            unchanged_ = !blank || std::none_of(fields.begin(), fields.end(), has_blank_edge);
            quotes_unpaired_ = false;
            bare_quote_fields_.clear();
            return true;
        }
    }
    scan_.pos = n > max_record_ ? 0 : n;
    return false;
}

RecordReader::Step RecordReader::next(std::vector<std::string_view>& fields) {
    std::string_view rest;
    Step step = Step::end;
    while (streaming_ && (step = more_text(rest)) == Step::record) {
    }
    if (streaming_)
        return step;
    if (!started_ && !read_start())
        return Step::need_input;
    if (utf16_)
        return Step::end;
    if (scan_.pos == 0 && plain_record(fields))
        return Step::record;
    fault_ = RecordFault::none;
    for (;;) {
        std::size_t length = 0;
        std::size_t break_length = 0;
        const bool found = find_end(length, break_length);
        // Unfinished, the record holds at least the bytes before where the look
        // stopped; a last CR or quote held may yet turn out to be its line break.
        if ((found ? length : scan_.pos) > max_record_) {
            if (!cut_back())
                return too_long(found, length, break_length, fields);
            split(text_, fields);
            return Step::record;
        }
        if (!found) {
            if (!at_end_)
                return Step::need_input;
            if (start_ == buffer_.size())
                return Step::end;
            length = buffer_.size() - start_;
        }
        if (length == 0 && scan_.breaks == 0) {  // an empty line
            take(0, break_length, 0);
            continue;
        }
        const Scan scanned = scan_;
        take(length, break_length, scanned.breaks);
        split(text_, fields);
        if (scanned.breaks > 0 && quotes_unpaired_)
            retake_first_line(scanned, length + break_length, fields);
        return Step::record;
    }
}

// The record just taken spans lines and its quoting went wrong: goes back to
// its start, `taken` bytes before, and hands out its first line alone.
void RecordReader::retake_first_line(const Scan& scanned, std::size_t taken, std::vector<std::string_view>& fields) {
    start_ -= taken;
    next_line_ = line_number_;
    scan_ = scanned;
    fault_ = RecordFault::none;
    cut_back();
    split(text_, fields);
}

void RecordReader::reread() {
    start_ = last_start_;
    next_line_ = last_line_;
    scan_ = Scan{};
    streaming_ = false;
    fault_ = RecordFault::none;
}

RecordReader::Step RecordReader::more_text(std::string_view& piece) {
    while (streaming_) {
        const char* const p = buffer_.data();
        const std::size_t n = buffer_.size();
        if (start_ == n) {
            if (!at_end_)
                return Step::need_input;
            streaming_ = false;
            line_break_ = {};
            break;
        }
        std::size_t i = start_;
        while (i < n && p[i] != '\n' && p[i] != '\r')
            ++i;
        if (i > start_) {
            piece = std::string_view(p + start_, i - start_);
            start_ = i;
            return Step::record;
        }
        if (p[i] == '\r' && i + 1 == n && !at_end_)
            return Step::need_input;  // a CR as the last byte held: see whether an LF follows
        const std::size_t size = p[i] == '\r' && i + 1 < n && p[i + 1] == '\n' ? 2 : 1;
        line_break_ = line_break_text(p[i], size);
        start_ += size;
        streaming_ = false;
    }
    return Step::end;
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
    if (text.empty())
        return;  // most cells a log adds, its warning above all
    bool needs_quotes = has_blank_edge(text);
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

}  // namespace kestrane
