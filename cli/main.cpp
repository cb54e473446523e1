// kestrane-cli: the command-line companion of the Kestrane dialog program.
#include <cstdio>
#include <iostream>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "app.h"

int main(int argc, char** argv) {
#ifdef _WIN32
    // Byte for byte the same output and messages as on Linux: no CRLF
    // translation, and a log's own line endings reach the reader untouched.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    std::ios::sync_with_stdio(false);
    return kestrane::cli::run_cli(argc, argv, std::cin, std::cout, std::cerr);
}
