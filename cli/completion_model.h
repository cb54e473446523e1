// What a shell completes for kestrane-cli, taken from the command line as the
// program sets it up (visit_listed) and from the tables its values come from:
// the options with their names and short descriptions, what each one's value
// may be, and the commands. The bash, zsh and fish scripts are written from it,
// so that none of them is written by hand.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrane::cli {

// What may follow an option that takes a value.
enum class ValueKind {
    free,   // a number or a text: nothing to offer
    words,  // one of a few words: a unit's names, a fixed choice
    files,  // a file's name
};

struct CompletedOption {
    std::vector<std::string> names;  // with their dashes: "-o", "--output"
    std::string description;         // the help's first words: "The pressure unit"
    bool takes_value = false;
    bool repeatable = false;  // given more than once, as --correlation is
    std::string value_name;   // "UNIT", "FILE"
    ValueKind value = ValueKind::free;
    std::vector<std::string> words;  // the words of ValueKind::words, as typed
};

// A command besides the reading and the log ("table") and its own options,
// which take the place of the main command's of the same name after it.
struct CompletedCommand {
    std::string name;
    std::string description;
    std::vector<CompletedOption> options;
};

struct CompletionModel {
    std::string program;                   // "kestrane-cli"
    std::vector<CompletedOption> options;  // the main command's, in the help's order
    std::vector<CompletedCommand> commands;
    std::string argument_description;  // the log a word that is no option names
};

// The model of kestrane-cli's command line.
CompletionModel completion_model();

// Whether a command's own options include one named as option is.
bool shadowed_by(const CompletedCommand& command, const CompletedOption& option);

// A script's template with each of its @NAME@ marks replaced by its text.
std::string filled(std::string_view script, const std::vector<std::pair<std::string_view, std::string>>& texts);

// The three scripts, each complete and ready to install.
std::string bash_completion(const CompletionModel& model);
std::string zsh_completion(const CompletionModel& model);
std::string fish_completion(const CompletionModel& model);

// The first line of every script, after its shell's comment mark.
inline constexpr std::string_view completion_notice =
    "Written from kestrane-cli's own option table by cli/completions_main.cpp; do not edit.";

}  // namespace kestrane::cli
