// The program's bytes in and out: files, pipes and terminals read as soon as
// anything arrives, output that keeps the system's reason when a write fails,
// and file names in UTF-8 on every platform.
#pragma once

#include <array>
#include <cstddef>
#include <istream>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>

namespace kestrane::cli {

// Where a log's bytes come from: a file, a pipe, a terminal, or a stream in tests.
class InputSource {
public:
    InputSource() = default;
    InputSource(const InputSource&) = delete;
    InputSource& operator=(const InputSource&) = delete;
    virtual ~InputSource() = default;

    // Reads what has arrived, up to size bytes, waiting only while nothing has.
    // 0 at the end of the input or when reading failed (see failure()).
    virtual std::size_t read_some(char* buffer, std::size_t size) = 0;
    // Whether read_some would return without waiting.
    virtual bool ready() = 0;
    // Why reading failed; empty while it has not.
    const std::string& failure() const { return failure_; }

protected:
    std::string failure_;
};

// An input stream as a source; it never waits, so it is always ready.
class StreamSource : public InputSource {
public:
    explicit StreamSource(std::istream& in) : in_(in) {}
    std::size_t read_some(char* buffer, std::size_t size) override;
    bool ready() override { return true; }

private:
    std::istream& in_;
};

// An open file descriptor (standard input is 0) as a source.
class FileSource : public InputSource {
public:
    explicit FileSource(int fd, bool owned = false) : fd_(fd), owned_(owned) {}
    ~FileSource() override;
    std::size_t read_some(char* buffer, std::size_t size) override;
    bool ready() override;

private:
    int fd_;
    bool owned_;
};

// Opens a file for reading by its UTF-8 name; nothing, with reason set to the
// system's words ("No such file or directory", "Is a directory"), when it cannot.
std::unique_ptr<InputSource> open_input(const std::string& path, std::string& reason);

// A stream buffer over a file descriptor that keeps the system's reason when a
// write fails. On Windows a console gets the text as UTF-16, so that names
// outside the console's code page show as they are.
class OutputBuffer : public std::streambuf {
public:
    explicit OutputBuffer(int fd, bool owned = false);
    OutputBuffer(const OutputBuffer&) = delete;
    OutputBuffer& operator=(const OutputBuffer&) = delete;
    ~OutputBuffer() override;

    // Why a write failed; empty while none has.
    const std::string& failure() const { return failure_; }

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* text, std::streamsize size) override;
    int sync() override;

private:
    bool drain();
    bool write_out(const char* text, std::size_t size);

    int fd_;
    bool owned_;
    bool console_ = false;
    std::string partial_character_;  // the start of a UTF-8 character cut by a write to a console
    std::array<char, 8192> buffer_{};
    std::string failure_;
};

// Opens (creates or empties) a file for writing by its UTF-8 name; nothing,
// with reason set, when it cannot.
std::unique_ptr<OutputBuffer> open_output(const std::string& path, std::string& reason);

// Why writing to out failed: the system's reason when out writes through an
// OutputBuffer, or a general one.
std::string write_failure(const std::ostream& out);

// The length of the longest start of text that does not end inside a UTF-8
// character, so that a character cut between two writes can be completed first.
std::size_t whole_characters(std::string_view text);

// Makes the three standard descriptors safe to use when the program was started
// with one of them closed: the slot is taken by a descriptor open the wrong way,
// so a file opened later cannot land there, and writing to a closed standard
// output still fails ("Bad file descriptor") as it should.
void hold_standard_descriptors();

// A name as a user sees it in a message: in single quotes, as coreutils quotes
// a file name.
std::string quoted_name(std::string_view name);

}  // namespace kestrane::cli
