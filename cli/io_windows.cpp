// The program's files and standard streams on Windows: names go to the system
// as UTF-16, and a console gets its text as UTF-16 too.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <cstring>

#include "io.h"

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

}  // namespace

FileSource::~FileSource() {
    if (owned_)
        _close(fd_);
}

std::size_t FileSource::read_some(char* buffer, std::size_t size) {
    const int n = _read(fd_, buffer, static_cast<unsigned>(size < 0x40000000 ? size : 0x40000000));
    if (n < 0) {
        failure_ = std::strerror(errno);
        return 0;
    }
    return static_cast<std::size_t>(n);
}

bool FileSource::ready() {
    const HANDLE handle = handle_of(fd_);
    switch (GetFileType(handle)) {
        case FILE_TYPE_PIPE: {
            DWORD available = 0;
            // A pipe whose writer has gone reports a failure: its end is ready to be read.
            return !PeekNamedPipe(handle, nullptr, 0, nullptr, &available, nullptr) || available > 0;
        }
        case FILE_TYPE_DISK: return true;
        default: return false;  // a console: what the user types next may be a while
    }
}

std::unique_ptr<InputSource> open_input(const std::string& path, std::string& reason) {
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
    return std::make_unique<FileSource>(fd, true);
}

OutputBuffer::OutputBuffer(int fd, bool owned) : fd_(fd), owned_(owned), console_(is_console(fd)) {
    setp(buffer_.data(), buffer_.data() + buffer_.size());
}

OutputBuffer::~OutputBuffer() {
    drain();
    if (owned_)
        _close(fd_);
}

bool OutputBuffer::write_out(const char* text, std::size_t size) {
    if (console_) {
        // A character cut at the end of the last write is completed by this one.
        partial_character_.append(text, size);
        const std::size_t whole = whole_characters(partial_character_);
        const std::wstring utf16 = wide(std::string_view(partial_character_).substr(0, whole));
        partial_character_.erase(0, whole);
        DWORD written = 0;
        for (std::size_t done = 0; done < utf16.size(); done += written) {
            const auto chunk = static_cast<DWORD>(utf16.size() - done < 16384 ? utf16.size() - done : 16384);
            if (!WriteConsoleW(handle_of(fd_), utf16.data() + done, chunk, &written, nullptr) || written == 0) {
                failure_ = "the console did not take the text";
                return false;
            }
        }
        return true;
    }
    while (size > 0) {
        const unsigned chunk = size < 0x40000000 ? static_cast<unsigned>(size) : 0x40000000u;
        const int n = _write(fd_, text, chunk);
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
    const int fd = _wopen(wide(path).c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0) {
        reason = std::strerror(errno);
        return nullptr;
    }
    return std::make_unique<OutputBuffer>(fd, true);
}

void hold_standard_descriptors() {
    // Nothing to do: the C runtime keeps descriptors 0 to 2 for the standard
    // handles, so a file opened later cannot take their place.
}

namespace {

// What the system says of an existing file, or nothing when the name is of none.
std::optional<BY_HANDLE_FILE_INFORMATION> file_information(const std::string& path, DWORD& type) {
    const HANDLE handle = CreateFileW(wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION information{};
    type = GetFileType(handle);
    const bool known = GetFileInformationByHandle(handle, &information) != 0;
    CloseHandle(handle);
    if (!known && type == FILE_TYPE_DISK)
        return std::nullopt;
    return information;
}

}  // namespace

bool AtomicFile::open(const std::string& path, std::string& reason) {
    path_ = path;
    DWORD type = FILE_TYPE_UNKNOWN;
    const auto old = file_information(path, type);
    if (old && (old->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        reason = std::strerror(EISDIR);
        return false;
    }
    if (old && type != FILE_TYPE_DISK) {
        // A device (NUL, CON) or a pipe is no file to replace: it takes the text as it comes.
        fd_ = _wopen(wide(path).c_str(), _O_WRONLY | _O_BINARY);
    } else {
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
    buffer_.reset();  // what it holds goes to the file that is removed
    if (fd_ >= 0)
        _close(fd_);
    fd_ = -1;
    if (!temporary_.empty())
        DeleteFileW(wide(temporary_).c_str());
    temporary_.clear();
}

std::optional<bool> same_existing_file(const std::string& a, const std::string& b) {
    DWORD type = 0;
    const auto first = file_information(a, type);
    const auto second = file_information(b, type);
    if (!first || !second)
        return std::nullopt;
    return first->dwVolumeSerialNumber == second->dwVolumeSerialNumber &&
           first->nFileIndexHigh == second->nFileIndexHigh && first->nFileIndexLow == second->nFileIndexLow;
}

}  // namespace kestrane::cli
