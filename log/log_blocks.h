// A log cut into blocks that can be corrected apart: each ends at a line
// break, where a record most likely ends, and knows the line it starts on.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrane {

// A run of whole lines of a log.
struct LogBlock {
    std::string bytes;
    std::size_t line = 1;  // the line its first byte is on, counting from 1
    // The first byte of the next block when this one ends in a lone CR: a
    // reader must see that no LF follows to know the CR ends a line.
    std::string ahead;
};

// Cuts the input, as it arrives, into blocks of about `size` bytes. A cut is
// made at the first line break past `size` bytes after which the block holds
// an even number of quotes: at a record's end, unless a bare quote or a broken
// one misleads it, which the corrector finds out and mends. Failing that, at
// any line break within twice the size, and failing that (one line longer
// than that) at twice the size. A CRLF is never cut in two, so that each
// block's lines are counted alone (LF, CRLF and a lone CR each end one, as the
// reader counts them).
class BlockCutter {
public:
    explicit BlockCutter(std::size_t size);

    // The size of the blocks cut from now on.
    void set_size(std::size_t size);
    // Appends the next bytes of the input.
    void push(std::string_view bytes);
    // The input has ended.
    void close();
    // The next block, once enough has arrived to cut it (or the input has
    // ended); nothing while more is needed, and nothing once every byte has
    // been given out.
    std::optional<LogBlock> next();
    // Takes back a block's bytes once done with, so that the next block is
    // cut into memory already in use rather than new.
    void recycle(std::string bytes);
    // Whether every byte has been given out and no more will come.
    bool done() const { return at_end_ && pending_.size() == taken_; }

private:
    std::optional<std::size_t> cut() const;

    std::size_t size_;
    std::string pending_;
    std::vector<std::string> spare_;
    std::size_t taken_ = 0;  // the bytes of pending_ already given out
    std::size_t line_ = 1;
    bool at_end_ = false;
};

// The lines a run of bytes ends: its LFs, CRLFs and lone CRs.
std::size_t line_breaks(std::string_view bytes);

}  // namespace kestrane
