// The command line run in-process, as the CLI tests see it: arguments and
// standard input in; the exit status, standard output and standard error out.
#pragma once

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "cli/messages.h"
#include "cli/run.h"

namespace kestrane::cli {

// A string as standard input.
class StringSource : public ByteSource {
public:
    explicit StringSource(std::string_view text) : text_(text) {}
    std::size_t read(char* buffer, std::size_t size) override {
        const std::size_t n = std::min(text_.size(), size);
        std::copy_n(text_.data(), n, buffer);
        text_.remove_prefix(n);
        return n;
    }

private:
    std::string_view text_;
};

// Standard output or error kept in a string.
class StringSink : public ByteSink {
public:
    bool write(std::string_view bytes) override {
        text_.append(bytes);
        return true;
    }
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

inline CliRun run(const std::vector<std::string>& args, const std::string& input = "") {
    StringSource in(input);
    StringSink out;
    StringSink err;
    Streams streams{in, out, err};
    const int status = run_cli(args, streams);
    return {status, out.text(), err.text()};
}

inline CliRun run(std::initializer_list<const char*> args, const std::string& input = "") {
    return run(std::vector<std::string>(args.begin(), args.end()), input);
}

}  // namespace kestrane::cli
