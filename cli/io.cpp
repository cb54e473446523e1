#include "io.h"

#include <cstring>
#include <filesystem>

namespace kestrane::cli {

std::size_t StreamSource::read_some(char* buffer, std::size_t size) {
    if (!in_)
        return 0;
    in_.read(buffer, static_cast<std::streamsize>(size));
    if (in_.bad())
        failure_ = "the input stream failed";
    return static_cast<std::size_t>(in_.gcount());
}

OutputBuffer::int_type OutputBuffer::overflow(int_type c) {
    if (!drain())
        return traits_type::eof();
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    return c;
}

std::streamsize OutputBuffer::xsputn(const char* text, std::streamsize size) {
    if (!failure_.empty())
        return 0;
    const auto n = static_cast<std::size_t>(size);
    if (n <= static_cast<std::size_t>(epptr() - pptr())) {
        std::memcpy(pptr(), text, n);
        pbump(static_cast<int>(n));
        return size;
    }
    // Too big for what is left of the buffer: what is buffered goes first, then
    // the text itself, without copying it through the buffer.
    if (!drain())
        return 0;
    written_ = true;
    if (!write_out(text, n))
        return 0;
    return size;
}

int OutputBuffer::sync() {
    return drain() ? 0 : -1;
}

bool OutputBuffer::drain() {
    const auto pending = static_cast<std::size_t>(pptr() - pbase());
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    if (!failure_.empty())
        return false;
    written_ = written_ || pending != 0;
    return pending == 0 || write_out(buffer_.data(), pending);
}

std::string write_failure(const std::ostream& out) {
    if (const auto* buffer = dynamic_cast<const OutputBuffer*>(out.rdbuf()); buffer && !buffer->failure().empty())
        return buffer->failure();
    return "the output stream failed";
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
    file->buffer_ = std::make_unique<OutputBuffer>(file->fd_);
    return file;
}

bool AtomicFile::commit(std::string& reason) {
    buffer_->pubsync();
    reason = buffer_->failure();
    buffer_.reset();
    if (reason.empty())
        reason = finish();
    if (!reason.empty()) {
        discard();
        return false;
    }
    return true;
}

AtomicFile::~AtomicFile() {
    discard();
}

bool same_file(const std::string& a, const std::string& b) {
    if (const auto same = same_existing_file(a, b))
        return *same;
    // Names are UTF-8 on every platform.
    const auto full = [](const std::string& name) {
        std::error_code error;
        const std::filesystem::path path(std::u8string(name.begin(), name.end()));
        return std::filesystem::absolute(path, error).lexically_normal();
    };
    return full(a) == full(b);
}

std::string quoted_name(std::string_view name) {
    return "'" + std::string(name) + "'";
}

}  // namespace kestrane::cli
