// JSON text written in order: objects, arrays, keys, strings, numbers. One
// writer for every front end, so the page and kestrane-cli give one reading
// the same bytes: indented for people, or compact.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kestrane {

class JsonWriter {
public:
    // Indented by `indent` spaces a level (a value after ": "), or compact with 0.
    explicit JsonWriter(int indent = 0) : indent_(indent) {}

    JsonWriter& begin_object() { return open('{'); }
    JsonWriter& end_object() { return close('}'); }
    JsonWriter& begin_array() { return open('['); }
    JsonWriter& end_array() { return close(']'); }
    JsonWriter& key(std::string_view name);
    // Text as UTF-8; a byte that is not part of UTF-8 becomes U+FFFD, so a
    // text from a command line is taken as it comes rather than refused.
    JsonWriter& string(std::string_view text);
    // A number as its shortest text that reads back as itself ("20.95",
    // "1e-05", "2.0"); null for one that is not finite, which JSON cannot write.
    JsonWriter& number(double value);
    JsonWriter& integer(long long value);
    JsonWriter& boolean(bool value);
    JsonWriter& null();
    const std::string& text() const { return text_; }

private:
    JsonWriter& open(char bracket);
    JsonWriter& close(char bracket);
    void separate();
    void new_line();

    std::string text_;
    int indent_ = 0;
    int depth_ = 0;
    bool first_ = true;  // nothing yet in the current object or array
    bool after_key_ = false;
};

}  // namespace kestrane
