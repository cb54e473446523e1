// The program's files and standard streams on Windows: names go to the system
// as UTF-16, and a console gets its text as UTF-16 too.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <cstring>

#include "files.h"

namespace kestrane::cli {
namespace {

std::wstring wide(std::string_view utf8) {
    if (utf8.empty())
        return {};
    const auto size = static_cast<int>(utf8.size());
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring text(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, text.data(), n);
    return text;
}

HANDLE handle_of(int fd) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

bool is_console(int fd) {
    DWORD mode = 0;
    return GetConsoleMode(handle_of(fd), &mode) != 0;
}

std::optional<FileIdentity> identity_of_handle(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION information{};
    if (handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(handle, &information))
        return std::nullopt;
    return FileIdentity{information.dwVolumeSerialNumber,
                        (std::uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow,
                        GetFileType(handle) == FILE_TYPE_DISK &&
                            (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0};
}

// Writes all of bytes to fd; the system's reason when it cannot.
std::string write_all(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const unsigned chunk = bytes.size() < 0x40000000 ? static_cast<unsigned>(bytes.size()) : 0x40000000u;
        const int n = _write(fd, bytes.data(), chunk);
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
            _close(fd_);
    }
    std::size_t read(char* buffer, std::size_t size) override {
        const int n = _read(fd_, buffer, static_cast<unsigned>(size < 0x40000000 ? size : 0x40000000));
        if (n < 0) {
            failure_ = std::strerror(errno);
            return 0;
        }
        return static_cast<std::size_t>(n);
    }
    std::optional<FileIdentity> identity() const override { return identity_of_handle(handle_of(fd_)); }

private:
    int fd_;
    bool owned_;
};

// A standard output or error: a console takes its text as UTF-16, anything else the bytes.
class DescriptorSink : public ByteSink {
public:
    explicit DescriptorSink(int fd) : fd_(fd), console_(is_console(fd)) {}
    bool write(std::string_view bytes) override {
        if (!failure_.empty())
            return false;
        if (!console_)
            failure_ = write_all(fd_, bytes);
        else if (!write_console(bytes))
            failure_ = "the console did not take the text";
        return failure_.empty();
    }
    std::optional<FileIdentity> identity() const override { return identity_of_handle(handle_of(fd_)); }

private:
    bool write_console(std::string_view bytes) {
        // A character cut at the end of the last write is completed by this one.
        partial_character_.append(bytes);
        const std::size_t whole = whole_characters(partial_character_);
        const std::wstring utf16 = wide(std::string_view(partial_character_).substr(0, whole));
        partial_character_.erase(0, whole);
        DWORD written = 0;
        for (std::size_t done = 0; done < utf16.size(); done += written) {
            const auto chunk = static_cast<DWORD>(utf16.size() - done < 16384 ? utf16.size() - done : 16384);
            if (!WriteConsoleW(handle_of(fd_), utf16.data() + done, chunk, &written, nullptr) || written == 0)
                return false;
        }
        return true;
    }

    int fd_;
    bool console_;
    std::string partial_character_;
};

// What the system says of an existing file, or nothing when the name is of none.
std::optional<FileIdentity> identity_of_name(const std::string& path, bool& directory) {
    const HANDLE handle = CreateFileW(wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION information{};
    directory = GetFileInformationByHandle(handle, &information) &&
                (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    std::optional<FileIdentity> identity = identity_of_handle(handle);
    if (!identity && GetFileType(handle) != FILE_TYPE_DISK)
        identity = FileIdentity{0, 0, false};  // a device (NUL, CON): no index, and never a log
    CloseHandle(handle);
    return identity;
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

std::unique_ptr<ByteSource> open_file(const std::string& path, std::string& reason) {
    const std::wstring name = wide(path);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        reason = std::strerror(EISDIR);
        return nullptr;
    }
    const int fd = _wopen(name.c_str(), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        reason = std::strerror(errno);
        return nullptr;
    }
    return std::make_unique<DescriptorSource>(fd, true);
}

std::optional<FileIdentity> identity_of(const std::string& path) {
    bool directory = false;
    return identity_of_name(path, directory);
}

bool AtomicFile::open(const std::string& path, std::string& reason) {
    path_ = path;
    bool directory = false;
    const auto old = identity_of_name(path, directory);
    if (old && directory) {
        reason = std::strerror(EISDIR);
        return false;
    }
    if (old && !old->regular) {
        // A device (NUL, CON) or a pipe is no file to replace: it takes the bytes as they come.
        fd_ = _wopen(wide(path).c_str(), _O_WRONLY | _O_BINARY);
    } else {
        if (old) {
            // Replacing needs only the folder's permission; a read-only file must be refused as > refuses it.
            const int probe = _wopen(wide(path).c_str(), _O_WRONLY | _O_BINARY);
            if (probe < 0) {
                reason = std::strerror(errno);
                return false;
            }
            _close(probe);
        }
        static unsigned counter = 0;
        const std::size_t slash = path.find_last_of("/\\");
        const std::size_t base = slash == std::string::npos ? 0 : slash + 1;
        temporary_ = path.substr(0, base) + "." + path.substr(base) + "." + std::to_string(GetCurrentProcessId()) +
                     "." + std::to_string(++counter) + ".tmp";
        fd_ = _wopen(wide(temporary_).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
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
    if (_close(fd_) != 0)
        reason = std::strerror(errno);
    fd_ = -1;
    if (reason.empty() && !temporary_.empty() &&
        !MoveFileExW(wide(temporary_).c_str(), wide(path_).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        reason = "the file could not be replaced (Windows error " + std::to_string(GetLastError()) + ")";
    }
    if (reason.empty())
        temporary_.clear();
    return reason;
}

void AtomicFile::discard() {
    if (fd_ >= 0)
        _close(fd_);
    fd_ = -1;
    if (!temporary_.empty())
        DeleteFileW(wide(temporary_).c_str());
    temporary_.clear();
}

}  // namespace kestrane::cli
