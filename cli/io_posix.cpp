// The program's files and standard streams on POSIX systems.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "io.h"

namespace kestrane::cli {

FileSource::~FileSource() {
    if (owned_)
        ::close(fd_);
}

std::size_t FileSource::read_some(char* buffer, std::size_t size) {
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

bool FileSource::ready() {
    pollfd query{fd_, POLLIN, 0};
    return ::poll(&query, 1, 0) != 0;  // readable, at its end, or failing: none of these waits
}

std::unique_ptr<InputSource> open_input(const std::string& path, std::string& reason) {
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
    return std::make_unique<FileSource>(fd, true);
}

OutputBuffer::OutputBuffer(int fd, bool owned) : fd_(fd), owned_(owned) {
    setp(buffer_.data(), buffer_.data() + buffer_.size());
}

OutputBuffer::~OutputBuffer() {
    drain();
    if (owned_)
        ::close(fd_);
}

bool OutputBuffer::write_out(const char* text, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd_, text, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            failure_ = std::strerror(n < 0 ? errno : EIO);
            return false;
        }
        text += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

std::unique_ptr<OutputBuffer> open_output(const std::string& path, std::string& reason) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        reason = std::strerror(errno);
        return nullptr;
    }
    return std::make_unique<OutputBuffer>(fd, true);
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

namespace {

// The new file of an AtomicFile not yet committed, for a signal that ends the
// program to remove. A fixed buffer: a signal handler may not allocate.
char pending_file[PATH_MAX + 1];

extern "C" void remove_pending_file(int signal_number) {
    if (pending_file[0] != '\0')
        ::unlink(pending_file);
    ::signal(signal_number, SIG_DFL);
    ::raise(signal_number);
}

// Removes the pending file when the program is interrupted or told to stop;
// a signal the program was started to ignore stays ignored.
void remove_pending_file_on_signals() {
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction old {};
        if (::sigaction(signal_number, nullptr, &old) == 0 && old.sa_handler == SIG_DFL)
            ::signal(signal_number, remove_pending_file);
    }
}

void set_pending_file(const std::string& path) {
    const std::size_t n = path.size() < PATH_MAX ? path.size() : 0;
    std::memcpy(pending_file, path.data(), n);
    pending_file[n] = '\0';
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

bool AtomicFile::open(const std::string& path, std::string& reason) {
    path_ = replaced_name(path);
    struct stat old {};
    const bool exists = ::stat(path_.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode)) {
        reason = std::strerror(EISDIR);
        return false;
    }
    if (exists && !S_ISREG(old.st_mode)) {
        // A device or a pipe is no file to replace: it takes the text as it comes.
        fd_ = ::open(path_.c_str(), O_WRONLY | O_CLOEXEC);
    } else {
        const std::size_t slash = path_.rfind('/');
        const std::size_t base = slash == std::string::npos ? 0 : slash + 1;
        temporary_ = path_.substr(0, base) + "." + path_.substr(base) + ".XXXXXX";
        fd_ = ::mkostemp(temporary_.data(), O_CLOEXEC);
        if (fd_ >= 0) {
            remove_pending_file_on_signals();
            set_pending_file(temporary_);
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
        temporary_.clear();
        set_pending_file({});
    }
    return reason;
}

void AtomicFile::discard() {
    buffer_.reset();  // what it holds goes to the file that is removed
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!temporary_.empty())
        ::unlink(temporary_.c_str());
    temporary_.clear();
    set_pending_file({});
}

std::optional<bool> same_existing_file(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    if (::stat(a.c_str(), &first) != 0 || ::stat(b.c_str(), &second) != 0)
        return std::nullopt;
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

}  // namespace kestrane::cli
