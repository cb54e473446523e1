// The program's files and standard streams on POSIX systems.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

}  // namespace kestrane::cli
