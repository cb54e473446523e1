// kestrane-cli: the command-line companion of the Kestrane dialog program.
#include <ostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

#include "app.h"
#include "io.h"

namespace {

// Runs the command line with the standard streams as they are in the process.
int run(const std::vector<const char*>& argv) {
    kestrane::cli::hold_standard_descriptors();
    kestrane::cli::FileSource in(0);
    kestrane::cli::OutputBuffer out_buffer(1);
    kestrane::cli::OutputBuffer err_buffer(2);
    std::ostream out(&out_buffer);
    std::ostream err(&err_buffer);
    return kestrane::cli::run_cli(static_cast<int>(argv.size()), argv.data(), in, out, err);
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
    for (int i = 0; i < argc; ++i) {
        const int n = WideCharToMultiByte(CP_UTF8, 0, wargv[i], -1, nullptr, 0, nullptr, nullptr);
        std::string arg(n > 0 ? static_cast<std::size_t>(n) : 1, '\0');
        WideCharToMultiByte(CP_UTF8, 0, wargv[i], -1, arg.data(), n, nullptr, nullptr);
        arg.resize(arg.size() - 1);  // the terminating NUL
        args.push_back(std::move(arg));
    }
    std::vector<const char*> argv;
    for (const std::string& arg : args)
        argv.push_back(arg.c_str());
    return run(argv);
}
#else
int main(int argc, char** argv) {
    return run(std::vector<const char*>(argv, argv + argc));
}
#endif
