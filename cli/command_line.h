// The command line of kestrane-cli: its options, its commands (table, help),
// their help in groups, and the one Request a parse makes of them.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "request.h"
#include "streams.h"

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace kestrane::cli {

// Parses the arguments (the program's name not among them) into request. When
// the parse ends the run itself (a usage error, --help, --version) it writes
// what it has to say to the streams and gives the exit status; otherwise nothing.
std::optional<int> parse_command_line(const std::vector<std::string>& args, Request& request, Streams& streams);

// A field's option as the user types it: "--barometric-pressure".
std::string field_option(Field field);

// The main help, as --help and the help command print it; with a command's
// name, that command's help.
std::string help_text(const std::string& command = {});

// What joins an option's help to its example: "...; e.g. --gas 20.9".
inline constexpr std::string_view example_mark = "; e.g. ";

// Calls visit with everything the main help lists, in its groups and its
// order: each command (option null) and each option, with the command whose
// it is. The manual page's list of options is written from it.
void visit_listed(
    const std::function<void(std::string_view group, const CLI::App& command, const CLI::Option* option)>& visit);

}  // namespace kestrane::cli
