#include "log_blocks.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace kestrane {

namespace {

// The most blocks' bytes kept for reuse: about as many as are held at once.
constexpr std::size_t spare_limit = 256;

// The times byte c occurs in bytes, eight bytes at a time: every block is
// counted on the thread that reads and writes, which the others wait for.
std::size_t count_of(std::string_view bytes, char c) {
    if (std::memchr(bytes.data(), c, bytes.size()) == nullptr)
        return 0;  // most logs have no CR, and no quote
    constexpr std::uint64_t lows = 0x7F7F7F7F7F7F7F7F;
    const std::uint64_t pattern = 0x0101010101010101 * static_cast<unsigned char>(c);
    std::size_t count = 0;
    std::size_t at = 0;
    for (; at + 8 <= bytes.size(); at += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes.data() + at, 8);
        const std::uint64_t v = word ^ pattern;  // c's bytes are zero bytes here
        const std::uint64_t found = ~(((v & lows) + lows) | v | lows) >> 7;  // 1 in each byte that was c
        count += static_cast<std::size_t>(found * 0x0101010101010101 >> 56);  // their sum, in the top byte
    }
    return count + static_cast<std::size_t>(std::count(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.end(), c));
}

}  // namespace

std::size_t line_breaks(std::string_view bytes) {
    const std::size_t lfs = count_of(bytes, '\n');
    const std::size_t crs = count_of(bytes, '\r');
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

void BlockCutter::recycle(std::string bytes) {
    if (spare_.size() < spare_limit)
        spare_.push_back(std::move(bytes));
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
    bool odd = count_of(p.substr(0, size_), '"') % 2 != 0;
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
    if (!spare_.empty()) {
        block.bytes = std::move(spare_.back());
        spare_.pop_back();
    }
    block.bytes.assign(pending_, taken_, *length);
    block.line = line_;
    taken_ += *length;
    if (block.bytes.back() == '\r' && taken_ < pending_.size())
        block.ahead.assign(1, pending_[taken_]);
    line_ += line_breaks(block.bytes);
    return block;
}

}  // namespace kestrane
