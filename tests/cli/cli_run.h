// The command line run in-process, as the CLI tests see it: arguments and
// standard input in; the exit status, standard output and standard error out.
#pragma once

#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "cli/app.h"

namespace kestrane::cli {

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

inline CliRun run(const std::vector<std::string>& args, const std::string& input = "") {
    std::vector<const char*> argv = {"kestrane-cli"};
    for (const std::string& arg : args)
        argv.push_back(arg.c_str());
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    const int status = run_cli(static_cast<int>(argv.size()), argv.data(), in, out, err);
    return {status, out.str(), err.str()};
}

inline CliRun run(std::initializer_list<const char*> args, const std::string& input = "") {
    return run(std::vector<std::string>(args.begin(), args.end()), input);
}

}  // namespace kestrane::cli
