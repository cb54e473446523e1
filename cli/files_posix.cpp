// The program's descriptors on POSIX systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <string_view>

#include "descriptors.h"
#include "files.h"

namespace kestrane::cli {
namespace {

FileIdentity identity_of_status(const struct stat& status) {
    return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino),
            S_ISREG(status.st_mode), static_cast<std::uint64_t>(status.st_nlink)};
}

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

}  // namespace

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

namespace os {

int open_to_read(const std::string& path) {
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
}

int open_to_write(const std::string& path) {
    return ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
}

int descriptor_named(const std::string& path) {
    int fd = -1;
    const std::string_view name = path;
    if (name == "/dev/stdin" || name == "/dev/stdout" || name == "/dev/stderr") {
        fd = name == "/dev/stdin" ? 0 : name == "/dev/stdout" ? 1 : 2;
    }
    for (const std::string_view folder : {"/dev/fd/", "/proc/self/fd/"}) {
        const std::string_view number = name.starts_with(folder) ? name.substr(folder.size()) : "";
        if (!number.empty() && number.size() < 10 && number.find_first_not_of("0123456789") == std::string_view::npos)
            fd = std::stoi(std::string(number));
    }
    return fd;
}

int duplicate(int fd) {
    // Above the standard descriptors, so that closing the copy leaves the program's own open.
    return ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
}

std::uint64_t process_id() {
    return static_cast<std::uint64_t>(::getpid());
}

bool left_by_ended_run(const std::string& path, std::uint64_t owner) {
    struct stat status {};
    return ::kill(static_cast<pid_t>(owner), 0) != 0 && errno == ESRCH &&
           ::lstat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && status.st_uid == ::geteuid();
}

int create_new(std::string& name) {
    remove_pending_files_on_signals();
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0 && name.size() > PATH_MAX) {  // too long to note for a signal's removal
        ::close(fd);
        ::unlink(name.c_str());
        errno = ENAMETOOLONG;
        return -1;
    }
    if (fd >= 0) {
        // A new file's permissions, as the shell's > would give it (mkostemp's are the owner's alone).
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    return fd;
}

std::string why_not_replaceable(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    struct statx file {};
    struct statx dir {};
    if (::statx(AT_FDCWD, path.c_str(), 0, STATX_BASIC_STATS | STATX_MNT_ID, &file) != 0 ||
        ::statx(AT_FDCWD, folder.c_str(), 0, STATX_BASIC_STATS | STATX_MNT_ID, &dir) != 0)
        return {};
    const bool mount_ids = (file.stx_mask & dir.stx_mask & STATX_MNT_ID) != 0;
    if ((mount_ids && file.stx_mnt_id != dir.stx_mnt_id) || file.stx_dev_major != dir.stx_dev_major ||
        file.stx_dev_minor != dir.stx_dev_minor)
        return "it is mounted on its own";
    const uid_t me = ::geteuid();
    if ((dir.stx_mode & S_ISVTX) != 0 && me != 0 && file.stx_uid != me && dir.stx_uid != me)
        return "it is another user's file in a folder where only a file's owner may replace it";
    return {};
}

std::string truncate_here(int fd) {
    const off_t at = ::lseek(fd, 0, SEEK_CUR);
    if (at >= 0 && ::ftruncate(fd, at) != 0)
        return std::strerror(errno);
    return {};
}

long read(int fd, char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(fd, buffer, size);
        if (n >= 0 || errno != EINTR)
            return n;
    }
}

std::string write(int fd, std::string_view bytes, std::string&) {
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

std::string close(int fd, bool sync) {
    std::string reason;
    if (sync && ::fsync(fd) != 0)
        reason = std::strerror(errno);
    if (::close(fd) != 0 && reason.empty())
        reason = std::strerror(errno);
    return reason;
}

std::optional<FileIdentity> identity(int fd) {
    struct stat status {};
    return ::fstat(fd, &status) == 0 ? std::optional(identity_of_status(status)) : std::nullopt;
}

std::optional<FileIdentity> identity(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? std::optional(identity_of_status(status)) : std::nullopt;
}

void keep_owner(int fd, const std::string& path) {
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0 && ::fchown(fd, old.st_uid, old.st_gid) != 0) {
        // Only the owner's own files can be given away; the file is then the runner's.
    }
}

void remove_on_signals(const std::string& name, bool pending) {
    for (auto& slot : pending_files) {
        if (pending ? slot[0] == '\0' : name == slot.data()) {
            const std::size_t n = pending ? name.size() : 0;
            std::memcpy(slot.data(), name.data(), n);
            slot[n] = '\0';
            return;
        }
    }
}

}  // namespace os
}  // namespace kestrane::cli
