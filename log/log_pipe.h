// A log corrected from where it is read to where it is written: the loop that
// feeds a corrector, apart from the files and streams of the program running it.
#pragma once

#include <cstddef>
#include <string>

#include "log_corrector.h"

namespace kestrane {

// Where a log comes from and where its correction goes.
class LogPipe {
public:
    LogPipe() = default;
    LogPipe(const LogPipe&) = delete;
    LogPipe& operator=(const LogPipe&) = delete;
    virtual ~LogPipe() = default;

    // Reads what has arrived of the log, up to size bytes; 0 at its end, or
    // when reading failed (read_failed then says so).
    virtual std::size_t read(char* buffer, std::size_t size) = 0;
    virtual bool read_failed() const = 0;
    // Writes the corrected bytes and the malformed records' texts, and
    // empties both; false when writing failed, which ends the correction.
    virtual bool write(std::string& out, std::string& rejects) = 0;
};

// Corrects the log on this thread, each row written as soon as it is read, so
// that a log still being written can be followed. Stops at a bad header, a
// failed write or a failed read; the log is finished (its last record, with
// no line break, read) only when it ended as it should.
LogReport correct_log_streaming(const LogOptions& options, LogPipe& pipe);

// The size of the pieces a log is read in.
inline constexpr std::size_t log_read_size = std::size_t{1} << 16;

}  // namespace kestrane
