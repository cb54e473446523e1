// Text to a console goes out in whole characters: a UTF-8 character cut by the
// end of one write waits for the rest.
#include <gtest/gtest.h>

#include <string_view>

#include "cli/files.h"

namespace kestrane::cli {
namespace {

TEST(WholeCharacters, ACharacterCutAtTheEndWaits) {
    const std::pair<std::string_view, std::size_t> cases[] = {
        {"", 0},
        {"abc", 3},
        {"a\xC3", 1},              // the first of two bytes of "é"
        {"a\xC3\xA9", 3},          // "é" whole
        {"\xE6\xB8", 0},           // two of three bytes of "測"
        {"\xE6\xB8\xAC", 3},       // "測" whole
        {"x\xF0\x9F\x98", 1},      // three of four bytes of an emoji
        {"x\xF0\x9F\x98\x80", 5},  // the emoji whole
        {"\x80\x80", 2},           // stray continuation bytes are passed on as they are
        {"\x80\x80\x80\x80\xE6\xB8", 4},
    };
    for (const auto& [text, whole] : cases)
        EXPECT_EQ(whole_characters(text), whole) << "text of " << text.size() << " bytes";
}

}  // namespace
}  // namespace kestrane::cli
