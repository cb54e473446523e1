// The bytes a run reads and writes, apart from where they come from: the
// program's standard streams and files, or what a test gives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrane::cli {

// Which file a name or an open stream is, so that two can be told to be one
// however they are reached (another name, a link, /dev/stdin, a redirection).
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t index = 0;
    bool regular = false;  // a regular file, not a terminal, pipe or device
    std::uint64_t links = 1;  // its names (hard links)

    bool same_file(const FileIdentity& other) const { return device == other.device && index == other.index; }
};

// What a source and a sink have in common: the file it is, and why it failed.
class Stream {
public:
    Stream() = default;
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;
    virtual ~Stream() = default;

    // The file it reads or writes, when it is one.
    virtual std::optional<FileIdentity> identity() const { return std::nullopt; }
    // Why reading or writing failed; empty while it has not.
    const std::string& failure() const { return failure_; }

protected:
    std::string failure_;
};

// Where input comes from: standard input, a file, or a string.
class ByteSource : public Stream {
public:
    // Reads what has arrived, up to size bytes, waiting only while nothing has.
    // 0 at the end of the input or when reading failed (see failure()).
    virtual std::size_t read(char* buffer, std::size_t size) = 0;
};

// Where output goes: standard output or error, a file, or a string.
class ByteSink : public Stream {
public:
    // Writes all of bytes; false, with failure() set, when it could not. After
    // a failure every write fails.
    virtual bool write(std::string_view bytes) = 0;
};

// The standard streams a run has.
struct Streams {
    ByteSource& in;
    ByteSink& out;
    ByteSink& err;
};

}  // namespace kestrane::cli
