#include "files.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "descriptors.h"

namespace kestrane::cli {
namespace {

namespace fs = std::filesystem;

// A name as the system takes it; names are UTF-8 on every platform.
fs::path path_of(const std::string& name) {
    return fs::path(std::u8string(name.begin(), name.end()));
}

std::string utf8_of(const fs::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

// The process number in a new file's name after `prefix` (".out.csv.kestrane-"),
// when the rest is "PID-XXXXXX" as create_beside makes it; 0 when it is not.
std::uint64_t owner_in_name(std::string_view name, std::string_view prefix) {
    if (!name.starts_with(prefix))
        return 0;
    name.remove_prefix(prefix.size());
    const std::size_t dash = name.find('-');
    if (dash == 0 || dash > 9 || name.size() != dash + 7 ||
        name.substr(0, dash).find_first_not_of("0123456789") != std::string_view::npos)
        return 0;
    return std::stoull(std::string(name.substr(0, dash)));
}

// Creates a new file beside path, named for its file and its process
// (".out.csv.kestrane-PID-XXXXXX"), for writing; -1, with errno set, when it
// cannot. The new files of that file left by runs that no longer exist (one
// killed outright cannot tidy up) are removed first.
int create_beside(const std::string& path, std::string& name) {
    const fs::path file = path_of(path);
    const std::string prefix = "." + utf8_of(file.filename()) + ".kestrane-";
    std::error_code error;
    const fs::path folder = file.parent_path().empty() ? fs::path(".") : file.parent_path();
    for (fs::directory_iterator it(folder, error); !error && it != fs::directory_iterator(); it.increment(error)) {
        const std::uint64_t owner = owner_in_name(utf8_of(it->path().filename()), prefix);
        std::error_code ignored;
        if (owner != 0 && owner != os::process_id() && os::left_by_ended_run(utf8_of(it->path()), owner))
            fs::remove(it->path(), ignored);
    }
    name = utf8_of(file.parent_path() / path_of(prefix + std::to_string(os::process_id()) + "-XXXXXX"));
    return os::create_new(name);
}

}  // namespace

DescriptorSource::~DescriptorSource() {
    if (owned_)
        os::close(fd_, false);
}

std::size_t DescriptorSource::read(char* buffer, std::size_t size) {
    const long n = os::read(fd_, buffer, size);
    if (n >= 0)
        return static_cast<std::size_t>(n);
    failure_ = std::strerror(errno);
    return 0;
}

std::optional<FileIdentity> DescriptorSource::identity() const {
    return os::identity(fd_);
}

bool DescriptorSink::write(std::string_view bytes) {
    if (failure_.empty())
        failure_ = os::write(fd_, bytes, held_);
    return failure_.empty();
}

std::optional<FileIdentity> DescriptorSink::identity() const {
    return os::identity(fd_);
}

std::unique_ptr<ByteSource> open_file(const std::string& path, std::string& reason) {
    std::error_code error;
    if (fs::is_directory(path_of(path), error)) {
        reason = std::strerror(EISDIR);
        return nullptr;
    }
    const int fd = os::open_to_read(path);
    if (fd < 0) {
        reason = std::strerror(errno);
        return nullptr;
    }
    return std::make_unique<DescriptorSource>(fd, true);
}

std::optional<FileIdentity> identity_of(const std::string& path) {
    return os::identity(path);
}

bool names_descriptor(const std::string& path) {
    return os::descriptor_named(path) >= 0;
}

std::string resolved_place(const std::string& path) {
    std::error_code error;
    const fs::path full = fs::absolute(path_of(path), error).lexically_normal();
    fs::path folder = fs::weakly_canonical(full.parent_path(), error);
    if (error)
        folder = full.parent_path();
    std::string place = utf8_of(folder / full.filename());
#if defined(_WIN32) || defined(__APPLE__)
    // These systems take OUT.csv and out.csv for one file.
    for (char& c : place)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
#endif
    return place;
}

std::size_t whole_characters(std::string_view text) {
    // Look back over at most three continuation bytes for the lead byte of the
    // last character, and keep it only if all its bytes are there.
    std::size_t back = 0;
    while (back < 3 && back < text.size() && (static_cast<unsigned char>(text[text.size() - 1 - back]) & 0xC0) == 0x80)
        ++back;
    if (back == text.size())
        return text.size();
    const auto lead = static_cast<unsigned char>(text[text.size() - 1 - back]);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    return length > back + 1 ? text.size() - 1 - back : text.size();
}

std::unique_ptr<AtomicFile> AtomicFile::create(const std::string& path, std::string& reason) {
    std::unique_ptr<AtomicFile> file(new AtomicFile());
    if (!file->open(path, reason))
        return nullptr;
    return file;
}

bool AtomicFile::open(const std::string& path, std::string& reason) {
    // A descriptor the shell opened is written as it opened it: an appending
    // redirection keeps what its file had.
    if (const int named = os::descriptor_named(path); named >= 0) {
        fd_ = os::duplicate(named);
        reason = fd_ < 0 ? std::strerror(errno) : "";
        return fd_ >= 0;
    }
    std::error_code error;
    // A link is replaced through: the file it names gets the new text, and the link stays.
    const fs::path target = fs::is_symlink(path_of(path), error) ? fs::canonical(path_of(path), error) : path_of(path);
    path_ = error ? path : utf8_of(target);
    const std::optional<FileIdentity> old = os::identity(path_);
    fd_ = -1;
    if (fs::is_directory(path_of(path_), error))
        errno = EISDIR;
    else if (old && !old->regular)
        fd_ = os::open_to_write(path_);  // a device (NUL too) or a pipe takes the bytes as they come
    else if (old)
        return open_existing(*old, reason);
    else
        fd_ = create_beside(path_, temporary_);
    if (fd_ < 0) {
        reason = std::strerror(errno);
        temporary_.clear();
        return false;
    }
    if (!temporary_.empty())
        os::remove_on_signals(temporary_, true);
    return true;
}

bool AtomicFile::open_existing(const FileIdentity& old, std::string& reason) {
    // Replacing needs only the folder's permission; the file's own is asked
    // too, so that -o is refused what the shell's > would be. Whether the new
    // file can take the old one's place is found out now, before the run.
    const int probe = os::open_to_write(path_);
    if (probe < 0) {
        reason = std::strerror(errno);
        return false;
    }
    note_ = os::why_not_replaceable(path_);
    if (note_.empty() && (fd_ = create_beside(path_, temporary_)) < 0) {
        if (errno != EACCES && errno != EPERM && errno != EROFS) {
            reason = std::strerror(errno);
            temporary_.clear();
            os::close(probe, false);
            return false;
        }
        note_ = "its folder may not be written";
    }
    if (!note_.empty()) {
        fd_ = probe;
        in_place_ = true;
        temporary_.clear();
        return true;
    }
    os::close(probe, false);
    os::remove_on_signals(temporary_, true);
    // The new file takes this one name's place; the file's other names keep
    // the old file, which stays whole, as a failed run would leave it.
    if (old.links > 1)
        note_ = "has " + std::to_string(old.links - 1) + " other name(s) (hard links), which keep its old text";
    std::error_code error;
    fs::permissions(path_of(temporary_), fs::status(path_of(path_), error).permissions(), error);
    os::keep_owner(fd_, path_);
    return true;
}

bool AtomicFile::write(std::string_view bytes) {
    wrote_ = wrote_ || !bytes.empty();
    return DescriptorSink::write(bytes);
}

bool AtomicFile::commit(std::string& reason) {
    reason = failure_;
    if (reason.empty() && in_place_)
        reason = os::truncate_here(fd_);
    if (reason.empty()) {
        reason = os::close(fd_, !temporary_.empty() || in_place_);
        fd_ = -1;
    }
    std::error_code error;
    if (reason.empty() && !temporary_.empty())
        fs::rename(path_of(temporary_), path_of(path_), error);
    if (reason.empty() && error)
        reason = error.message();
    if (reason.empty()) {
        os::remove_on_signals(temporary_, false);
        temporary_.clear();
        return true;
    }
    discard();
    return false;
}

void AtomicFile::discard() {
    if (fd_ >= 0)
        os::close(fd_, false);
    fd_ = -1;
    if (!temporary_.empty()) {
        std::error_code error;
        fs::remove(path_of(temporary_), error);
        os::remove_on_signals(temporary_, false);
    }
    temporary_.clear();
}

AtomicFile::~AtomicFile() {
    discard();
}

}  // namespace kestrane::cli
