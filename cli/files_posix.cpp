// The program's files and standard streams on POSIX systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "files.h"

namespace kestrane::cli {
namespace {

std::optional<FileIdentity> identity_of_descriptor(int fd) {
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino),
                        S_ISREG(status.st_mode)};
}

// Writes all of bytes to fd; the system's reason when it cannot.
std::string write_all(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return std::strerror(n < 0 ? errno : EIO);
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return {};
}

class DescriptorSource : public ByteSource {
public:
    explicit DescriptorSource(int fd, bool owned) : fd_(fd), owned_(owned) {}
    ~DescriptorSource() override {
        if (owned_)
            ::close(fd_);
    }
    std::size_t read(char* buffer, std::size_t size) override {
        for (;;) {
            const ssize_t n = ::read(fd_, buffer, size);
            if (n >= 0)
                return static_cast<std::size_t>(n);
            if (errno != EINTR) {
                failure_ = std::strerror(errno);
                return 0;
            }
        }
    }
    std::optional<FileIdentity> identity() const override { return identity_of_descriptor(fd_); }

private:
    int fd_;
    bool owned_;
};

class DescriptorSink : public ByteSink {
public:
    explicit DescriptorSink(int fd) : fd_(fd) {}
    bool write(std::string_view bytes) override {
        if (failure_.empty())
            failure_ = write_all(fd_, bytes);
        return failure_.empty();
    }
    std::optional<FileIdentity> identity() const override { return identity_of_descriptor(fd_); }

private:
    int fd_;
};

// The new files of AtomicFiles not yet committed (the output and the
// rejects), for a signal that ends the program to remove. Fixed buffers: a
// signal handler may not allocate.
std::array<std::array<char, PATH_MAX + 1>, 2> pending_files{};

extern "C" void remove_pending_files(int signal_number) {
    for (const auto& name : pending_files) {
        if (name[0] != '\0')
            ::unlink(name.data());
    }
    ::signal(signal_number, SIG_DFL);
    ::raise(signal_number);
}

// Removes the pending files whenever a signal ends the program: an interrupt,
// a hang-up, a broken pipe on any output, a time limit; a signal the program
// was started to ignore stays ignored.
void remove_pending_files_on_signals() {
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    for (const int signal_number : {SIGHUP, SIGINT, SIGQUIT, SIGPIPE, SIGALRM, SIGTERM, SIGUSR1, SIGUSR2, SIGXCPU,
                                    SIGXFSZ, SIGVTALRM, SIGPROF}) {
        struct sigaction old {};
        if (::sigaction(signal_number, nullptr, &old) == 0 && old.sa_handler == SIG_DFL)
            ::signal(signal_number, remove_pending_files);
    }
}

// Notes or forgets (an empty path) a pending file; false when the name is too long to note.
bool set_pending_file(const std::string& old_path, const std::string& path) {
    for (auto& name : pending_files) {
        if (path.empty() ? old_path == name.data() : name[0] == '\0') {
            const std::size_t n = path.size() <= PATH_MAX ? path.size() : 0;
            std::memcpy(name.data(), path.data(), n);
            name[n] = '\0';
            return n == path.size();
        }
    }
    return path.empty();
}

// The name to replace: a link's target, so that the link stays a link.
std::string replaced_name(const std::string& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
        return path;
    char* target = ::realpath(path.c_str(), nullptr);
    if (target == nullptr)
        return path;
    std::string resolved(target);
    std::free(target);
    return resolved;
}

}  // namespace

std::unique_ptr<ByteSource> standard_input() {
    return std::make_unique<DescriptorSource>(0, false);
}

std::unique_ptr<ByteSink> standard_output() {
    return std::make_unique<DescriptorSink>(1);
}

std::unique_ptr<ByteSink> standard_error() {
    return std::make_unique<DescriptorSink>(2);
}

void hold_standard_descriptors() {
    // Standard input is held open for writing and the outputs for reading, so
    // that any use of a descriptor that was closed fails as it would have.
    const int modes[] = {O_WRONLY, O_RDONLY, O_RDONLY};
    for (int fd = 0; fd < 3; ++fd) {
        if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            const int held = ::open("/dev/null", modes[fd]);
            if (held >= 0 && held != fd) {
                ::dup2(held, fd);
                ::close(held);
            }
        }
    }
}

std::unique_ptr<ByteSource> open_file(const std::string& path, std::string& reason) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        reason = std::strerror(errno);
        return nullptr;
    }
    struct stat status {};
    if (::fstat(fd, &status) == 0 && S_ISDIR(status.st_mode)) {
        ::close(fd);
        reason = std::strerror(EISDIR);
        return nullptr;
    }
    return std::make_unique<DescriptorSource>(fd, true);
}

std::optional<FileIdentity> identity_of(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino),
                        S_ISREG(status.st_mode)};
}

bool AtomicFile::open(const std::string& path, std::string& reason) {
    path_ = replaced_name(path);
    struct stat old {};
    const bool exists = ::stat(path_.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode)) {
        reason = std::strerror(EISDIR);
        return false;
    }
    if (exists && !S_ISREG(old.st_mode)) {
        // A device or a pipe is no file to replace: it takes the bytes as they come.
        fd_ = ::open(path_.c_str(), O_WRONLY | O_CLOEXEC);
    } else {
        // Replacing needs only the folder's permission; the file's own must be
        // asked too, so that -o is refused what the shell's > would be.
        if (exists) {
            const int probe = ::open(path_.c_str(), O_WRONLY | O_CLOEXEC);
            if (probe < 0) {
                reason = std::strerror(errno);
                return false;
            }
            ::close(probe);
        }
        const std::size_t slash = path_.rfind('/');
        const std::size_t base = slash == std::string::npos ? 0 : slash + 1;
        temporary_ = path_.substr(0, base) + "." + path_.substr(base) + ".XXXXXX";
        remove_pending_files_on_signals();
        fd_ = ::mkostemp(temporary_.data(), O_CLOEXEC);
        if (fd_ >= 0 && !set_pending_file({}, temporary_)) {
            ::close(fd_);
            ::unlink(temporary_.c_str());
            fd_ = -1;
            errno = ENAMETOOLONG;
        }
        if (fd_ >= 0) {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            // The old file's permissions and owner (as far as they may be given), or a new file's.
            ::fchmod(fd_, exists ? old.st_mode & 07777 : 0666 & ~mask);
            if (exists && ::fchown(fd_, old.st_uid, old.st_gid) != 0) {
                // Only the owner's own files can be given away; the file is then the runner's.
            }
        }
    }
    if (fd_ < 0) {
        reason = std::strerror(errno);
        temporary_.clear();
        return false;
    }
    return true;
}

bool AtomicFile::write(std::string_view bytes) {
    wrote_ = wrote_ || !bytes.empty();
    if (failure_.empty())
        failure_ = write_all(fd_, bytes);
    return failure_.empty();
}

std::string AtomicFile::finish() {
    std::string reason;
    if (!temporary_.empty() && ::fsync(fd_) != 0)
        reason = std::strerror(errno);
    const int closed = ::close(fd_);
    fd_ = -1;
    if (reason.empty() && closed != 0)
        reason = std::strerror(errno);
    if (reason.empty() && !temporary_.empty() && ::rename(temporary_.c_str(), path_.c_str()) != 0)
        reason = std::strerror(errno);
    if (reason.empty()) {
        set_pending_file(temporary_, {});
        temporary_.clear();
    }
    return reason;
}

void AtomicFile::discard() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        set_pending_file(temporary_, {});
    }
    temporary_.clear();
}

}  // namespace kestrane::cli
