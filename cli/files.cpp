#include "files.h"

namespace kestrane::cli {

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

bool AtomicFile::commit(std::string& reason) {
    reason = failure_;
    if (reason.empty())
        reason = finish();
    if (reason.empty())
        return true;
    discard();
    return false;
}

AtomicFile::~AtomicFile() {
    discard();
}

}  // namespace kestrane::cli
