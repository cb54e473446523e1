// kestrane-cli: the command-line companion of the Kestrane dialog program.
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

#include "files.h"
#include "run.h"

namespace {

// Runs the command line with the standard streams as they are in the process.
int run(const std::vector<std::string>& args) {
    kestrane::cli::hold_standard_descriptors();
    kestrane::cli::DescriptorSource in(0, false);
    kestrane::cli::DescriptorSink out(1);
    kestrane::cli::DescriptorSink err(2);
    kestrane::cli::Streams streams{in, out, err};
    return kestrane::cli::run_cli(args, streams);
}

}  // namespace

#ifdef _WIN32
// The wide command line, so that file names outside the ANSI code page arrive
// whole; the program works in UTF-8 from here on.
int wmain(int argc, wchar_t** wargv) {
    // Byte for byte the same output and messages as on Linux: no CRLF
    // translation, and a log's own line endings reach the reader untouched.
    _setmode(0, _O_BINARY);
    _setmode(1, _O_BINARY);
    _setmode(2, _O_BINARY);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const int n = WideCharToMultiByte(CP_UTF8, 0, wargv[i], -1, nullptr, 0, nullptr, nullptr);
        std::string arg(n > 0 ? static_cast<std::size_t>(n) : 1, '\0');
        WideCharToMultiByte(CP_UTF8, 0, wargv[i], -1, arg.data(), n, nullptr, nullptr);
        arg.resize(arg.size() - 1);  // the terminating NUL
        args.push_back(std::move(arg));
    }
    return run(args);
}
#else
int main(int argc, char** argv) {
    return run(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
}
#endif
