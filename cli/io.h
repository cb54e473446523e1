// The program's bytes in and out: files, pipes and terminals read as soon as
// anything arrives, output that keeps the system's reason when a write fails,
// and file names in UTF-8 on every platform.
#pragma once

#include <array>
#include <cstddef>
#include <istream>
#include <memory>
#include <optional>
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
    // Whether anything has been written to it (or is waiting to be).
    bool wrote_anything() const { return written_ || pptr() != pbase(); }

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
    bool written_ = false;
};

// Opens (creates or empties) a file for writing by its UTF-8 name; nothing,
// with reason set, when it cannot.
std::unique_ptr<OutputBuffer> open_output(const std::string& path, std::string& reason);

// A file written whole or not at all: the text goes to a new file beside it,
// which takes the file's place only on commit(), with the old file's
// permissions; without a commit the new file is removed (also when the program
// is interrupted), so a failed run leaves the file as it was. A name that is
// not of a regular file (a terminal, /dev/null, a pipe) is written to directly.
class AtomicFile {
public:
    // Nothing, with reason set, when the new file cannot be made.
    static std::unique_ptr<AtomicFile> create(const std::string& path, std::string& reason);
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile();

    OutputBuffer& buffer() { return *buffer_; }
    // Writes out, closes and renames the new file over the old; false, with
    // reason set and the new file removed, when any of that fails.
    bool commit(std::string& reason);

private:
    AtomicFile() = default;
    // Opens the new file beside path (or path itself, to be written directly);
    // false, with reason set, when it cannot.
    bool open(const std::string& path, std::string& reason);
    // Closes the new file and renames it over the old; why not, or empty.
    std::string finish();
    // Closes and removes the new file.
    void discard();

    std::unique_ptr<OutputBuffer> buffer_;
    int fd_ = -1;
    std::string path_;       // the file to replace
    std::string temporary_;  // the new file beside it; empty when written directly
};

// Whether two names are of one file: for files that exist, the same file however
// it is reached (another spelling, a link); otherwise the same place, spelt
// out in full.
bool same_file(const std::string& a, const std::string& b);

// Whether two existing files are one: nothing when either does not exist.
std::optional<bool> same_existing_file(const std::string& a, const std::string& b);

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
