#include "log_blocks.h"

#include <algorithm>

namespace kestrane {

std::size_t line_breaks(std::string_view bytes) {
    const auto count = [bytes](char c) { return static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), c)); };
    const std::size_t lfs = count('\n');
    const std::size_t crs = count('\r');
    if (crs == 0)
        return lfs;
    std::size_t pairs = 0;
    for (std::size_t at = bytes.find("\r\n"); at != std::string_view::npos; at = bytes.find("\r\n", at + 2))
        ++pairs;
    return lfs + crs - pairs;
}

BlockCutter::BlockCutter(std::size_t size) {
    set_size(size);
}

void BlockCutter::set_size(std::size_t size) {
    size_ = std::max<std::size_t>(size, 1);
}

void BlockCutter::push(std::string_view bytes) {
    // The bytes given out are done with: keep the rest at the front.
    if (taken_ > 0) {
        pending_.erase(0, taken_);
        taken_ = 0;
    }
    pending_.append(bytes);
}

void BlockCutter::close() {
    at_end_ = true;
}

// Where the next block ends, counted from its start; nothing while the bytes
// that decide it have not arrived.
std::optional<std::size_t> BlockCutter::cut() const {
    const std::string_view p = std::string_view(pending_).substr(taken_);
    const std::size_t limit = 2 * size_;
    // A break at the limit is told from a CRLF by the byte after it.
    if (!at_end_ && p.size() <= limit)
        return std::nullopt;
    if (p.size() <= size_)
        return p.size();
    const std::size_t end = std::min(p.size(), limit);
    // The line break at i ends a line there, or is the CR of a CRLF.
    const auto ends_line = [p](std::size_t i) {
        return p[i] == '\n' || (p[i] == '\r' && (i + 1 == p.size() || p[i + 1] != '\n'));
    };
    bool odd = std::count(p.begin(), p.begin() + static_cast<std::ptrdiff_t>(size_), '"') % 2 != 0;
    for (std::size_t i = size_; i < end; ++i) {
        odd = odd != (p[i] == '"');
        if (!odd && ends_line(i))
            return i + 1;
    }
    for (std::size_t i = size_; i < end; ++i) {
        if (ends_line(i))
            return i + 1;
    }
    // One line longer than twice the size: cut in it, but after a CRLF's LF.
    return end < p.size() && p[end - 1] == '\r' && p[end] == '\n' ? end + 1 : end;
}

std::optional<LogBlock> BlockCutter::next() {
    const std::optional<std::size_t> length = cut();
    if (!length || *length == 0)
        return std::nullopt;
    LogBlock block;
    block.bytes.assign(pending_, taken_, *length);
    block.line = line_;
    taken_ += *length;
    if (block.bytes.back() == '\r' && taken_ < pending_.size())
        block.ahead.assign(1, pending_[taken_]);
    line_ += line_breaks(block.bytes);
    return block;
}

}  // namespace kestrane
