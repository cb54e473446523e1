// The operating system's files and standard streams, as kestrane-cli uses
// them: file names in UTF-8 on every platform, the system's reason for every
// failure, and an output file that is written whole or not at all.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "streams.h"

namespace kestrane::cli {

// Makes the three standard descriptors safe to use when the program was started
// with one of them closed: the slot is taken by a descriptor open the wrong way,
// so a file opened later cannot land there, and writing to a closed standard
// output still fails ("Bad file descriptor") as it should. (On Windows the C
// runtime keeps descriptors 0 to 2 for the standard handles.)
void hold_standard_descriptors();

// Reads a descriptor: standard input (0), or a file it owns and closes.
class DescriptorSource : public ByteSource {
public:
    DescriptorSource(int fd, bool owned) : fd_(fd), owned_(owned) {}
    ~DescriptorSource() override;
    std::size_t read(char* buffer, std::size_t size) override;
    std::optional<FileIdentity> identity() const override;

private:
    int fd_;
    bool owned_;
};

// Writes a descriptor: standard output (1) or error (2), or a file. A console
// on Windows gets its text as UTF-16, so that names outside its code page show
// as they are.
class DescriptorSink : public ByteSink {
public:
    explicit DescriptorSink(int fd) : fd_(fd) {}
    bool write(std::string_view bytes) override;
    std::optional<FileIdentity> identity() const override;

protected:
    int fd_;
    std::string held_;  // the start of a character cut at the end of a write
};

// Opens a file for reading by its UTF-8 name; nothing, with reason set to the
// system's words ("No such file or directory", "Is a directory"), when it cannot.
std::unique_ptr<ByteSource> open_file(const std::string& path, std::string& reason);

// The file a name is, when it names one that exists.
std::optional<FileIdentity> identity_of(const std::string& path);

// Whether a name is of a descriptor the program has open (/dev/stdout,
// /dev/fd/3), which an output writes to as the shell opened it.
bool names_descriptor(const std::string& path);

// The place a file of this name is or would be: its folder with every link
// in the folder's path resolved, and its name, case-folded where the file
// system folds case; for files that do not exist yet.
std::string resolved_place(const std::string& path);

// The length of the longest start of text that does not end inside a UTF-8
// character, so that a character cut between two writes to a console can be
// completed first.
std::size_t whole_characters(std::string_view text);

// A file written whole or not at all: the bytes go to a new file beside it,
// which takes the file's place only on commit(), with the old file's
// permissions; without a commit the new file is removed (also when a signal
// ends the program), so a failed run leaves the file as it was. A name that is
// not of a regular file (a terminal, /dev/null, a pipe) is written to directly,
// and a name of a descriptor the program has open (/dev/stdout, /dev/fd/3)
// writes to that descriptor as it was opened. Where renaming a new file over
// the old cannot work but the shell's > would (a read-only folder, a file
// mounted on its own), the file is written in place instead, and note() says so.
class AtomicFile : public DescriptorSink {
public:
    // Nothing, with reason set, when the new file cannot be made, or when the
    // file exists and its user could not open it for writing.
    static std::unique_ptr<AtomicFile> create(const std::string& path, std::string& reason);
    ~AtomicFile() override;

    bool write(std::string_view bytes) override;
    // Whether anything has been written to it.
    bool wrote() const { return wrote_; }
    // Writes out, closes and renames the new file over the old; false, with
    // reason set and the new file removed, when any of that fails.
    bool commit(std::string& reason);
    // What the user should know of how the file is written: why it is written
    // in place rather than replaced whole, or that it has other names which
    // keep the old text; empty when nothing.
    const std::string& note() const { return note_; }
    bool in_place() const { return in_place_; }

private:
    AtomicFile() : DescriptorSink(-1) {}
    bool open(const std::string& path, std::string& reason);
    bool open_existing(const FileIdentity& old, std::string& reason);
    void discard();

    bool wrote_ = false;
    std::string path_;       // the file to replace
    std::string temporary_;  // the new file beside it; empty when written directly
    bool in_place_ = false;  // a regular file written over, cut to length on commit
    std::string note_;
};

}  // namespace kestrane::cli
