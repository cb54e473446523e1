// The program's descriptors on Windows: names go to the system as UTF-16, and
// a console gets its text as UTF-16 too.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <cstring>
#include <string_view>

#include "descriptors.h"
#include "files.h"

namespace kestrane::cli::os {
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

std::optional<FileIdentity> identity_of_handle(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION information{};
    if (handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(handle, &information))
        return std::nullopt;
    return FileIdentity{
        information.dwVolumeSerialNumber, (std::uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow,
        GetFileType(handle) == FILE_TYPE_DISK && (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0,
        information.nNumberOfLinks};
}

// A console takes its text as UTF-16; a character cut at the end of the last
// write is completed by this one.
bool write_console(int fd, std::string_view bytes, std::string& held) {
    held.append(bytes);
    const std::size_t whole = whole_characters(held);
    const std::wstring utf16 = wide(std::string_view(held).substr(0, whole));
    held.erase(0, whole);
    DWORD written = 0;
    for (std::size_t done = 0; done < utf16.size(); done += written) {
        const auto chunk = static_cast<DWORD>(utf16.size() - done < 16384 ? utf16.size() - done : 16384);
        if (!WriteConsoleW(handle_of(fd), utf16.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
    }
    return true;
}

}  // namespace

int open_to_read(const std::string& path) {
    return _wopen(wide(path).c_str(), _O_RDONLY | _O_BINARY);
}

int open_to_write(const std::string& path) {
    return _wopen(wide(path).c_str(), _O_WRONLY | _O_BINARY);
}

int descriptor_named(const std::string&) {
    return -1;
}

int duplicate(int fd) {
    return _dup(fd);  // never asked for: no name is of a descriptor
}

std::uint64_t process_id() {
    return GetCurrentProcessId();
}

bool left_by_ended_run(const std::string& path, std::uint64_t owner) {
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(owner));
    if (process != nullptr || GetLastError() != ERROR_INVALID_PARAMETER) {  // it runs, or cannot be asked
        if (process != nullptr)
            CloseHandle(process);
        return false;
    }
    const DWORD attributes = GetFileAttributesW(wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

int create_new(std::string& name) {
    static unsigned counter = 0;
    const std::string digits = std::to_string(1000000 + ++counter % 1000000).substr(1);
    name.replace(name.size() - digits.size(), digits.size(), digits);
    return _wopen(wide(name).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}

std::string why_not_replaceable(const std::string&) {
    return {};
}

std::string truncate_here(int fd) {
    const long long at = _telli64(fd);
    return at < 0 || _chsize_s(fd, at) == 0 ? "" : std::strerror(errno);
}

long read(int fd, char* buffer, std::size_t size) {
    return _read(fd, buffer, static_cast<unsigned>(size < 0x40000000 ? size : 0x40000000));
}

std::string write(int fd, std::string_view bytes, std::string& held) {
    DWORD mode = 0;
    if (GetConsoleMode(handle_of(fd), &mode))
        return write_console(fd, bytes, held) ? "" : "the console did not take the text";
    while (!bytes.empty()) {
        const unsigned chunk = bytes.size() < 0x40000000 ? static_cast<unsigned>(bytes.size()) : 0x40000000u;
        const int n = _write(fd, bytes.data(), chunk);
        if (n <= 0)
            return std::strerror(n < 0 ? errno : EIO);
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return {};
}

std::string close(int fd, bool) {
    return _close(fd) == 0 ? "" : std::strerror(errno);
}

std::optional<FileIdentity> identity(int fd) {
    return identity_of_handle(handle_of(fd));
}

std::optional<FileIdentity> identity(const std::string& path) {
    const HANDLE handle = CreateFileW(wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    auto found = identity_of_handle(handle);
    if (!found && GetFileType(handle) != FILE_TYPE_DISK)
        found = FileIdentity{0, 0, false, 1};  // a device (NUL, CON): no index, and never a log
    CloseHandle(handle);
    return found;
}

void keep_owner(int, const std::string&) {
    // A new file is its creator's, as one the shell's > writes would be.
}

void remove_on_signals(const std::string&, bool) {
    // No signal ends a Windows program so that it could still tidy up: Ctrl+C
    // may leave the unfinished new file beside the old, which is untouched,
    // until the next run writing that file removes it.
}

}  // namespace kestrane::cli::os

namespace kestrane::cli {

void hold_standard_descriptors() {
    // The C runtime keeps descriptors 0 to 2 for the standard handles, open or not.
}

}  // namespace kestrane::cli
