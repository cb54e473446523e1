// The command line run in-process, as the CLI tests see it: arguments and
// standard input in; the exit status, standard output and standard error out.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "cli/messages.h"
#include "cli/run.h"

namespace kestrane::cli {

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
