// A log file corrected on several threads: cut into blocks of whole lines,
// each corrected apart, and written in order, byte for byte as one thread
// writes it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "log_pipe.h"

namespace kestrane {

// The most threads a log is corrected on.
inline constexpr std::size_t most_log_threads = 64;

struct BlockSettings {
    std::size_t threads = 2;  // the threads that correct blocks, besides the one that reads and writes
    std::size_t block = std::size_t{1} << 20;  // about how many bytes a block holds
};

// The threads a log is corrected on when not told: those the machine has (at most most_log_threads).
std::size_t machine_threads();

// Corrects the log as correct_log_streaming does, with the same output,
// rejects, report and stops, but in blocks corrected on settings.threads
// threads. The header is read first, on this thread; then a block is
// corrected as if it began at a record's start, and its result is kept only
// when the block before it ended exactly where a record did; otherwise the
// block is corrected again on this thread, going on from the record the one
// before left unfinished. At most two blocks for each thread are held at once.
// A log still being written is not followed: a block is corrected once whole.
LogReport correct_log_in_blocks(const LogOptions& options, const BlockSettings& settings, LogPipe& pipe);

// Corrects a whole log held in memory in blocks, as correct_log_text does in one piece: for tests.
LogReport correct_log_text_in_blocks(std::string_view log,
                                     const LogOptions& options,
                                     const BlockSettings& settings,
                                     std::string& out,
                                     std::string* rejects = nullptr);

}  // namespace kestrane
