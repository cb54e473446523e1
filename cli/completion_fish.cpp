// The fish script: a `complete` line for each option, those of a command
// ("table") once it was typed and the main command's of the same name until
// then; a word that is no option is a file (the log) or the command. fish
// loads it by the program's name.
#include "completion_model.h"

namespace kestrane::cli {
namespace {

// Text in single quotes, as fish reads it back.
std::string quoted(std::string_view text) {
    std::string out = "'";
    for (const char c : text)
        out.append(c == '\\' || c == '\'' ? "\\" : "").append(1, c);
    return out + "'";
}

// Text in double quotes, as fish reads it back: the words of -a, which fish splits once more.
std::string double_quoted(std::string_view text) {
    std::string out = "\"";
    for (const char c : text)
        out.append(c == '\\' || c == '"' || c == '$' ? "\\" : "").append(1, c);
    return out + "\"";
}

// -s and -l with the option's names, and what its value may be.
std::string option_flags(const CompletedOption& option) {
    std::string out;
    for (const std::string& name : option.names)
        out += name.starts_with("--") ? " -l " + name.substr(2) : " -s " + name.substr(1);
    if (!option.takes_value)
        return out;
    if (option.value == ValueKind::files)
        return out + " -r -F";
    out += " -x";
    if (option.value == ValueKind::words) {
        std::string words;
        for (const std::string& word : option.words)
            words.append(words.empty() ? "" : " ").append(quoted(word));
        out += " -a " + double_quoted(words);
    }
    return out;
}

std::string line(std::string_view program, std::string_view condition, const CompletedOption& option) {
    const std::string when = condition.empty() ? "" : " -n " + quoted(condition);
    return "complete -c " + std::string(program) + when + option_flags(option) + " -d " + quoted(option.description) +
           "\n";
}

}  // namespace

std::string fish_completion(const CompletionModel& model) {
    std::string out = "# fish completion for " + model.program + ". " + std::string(completion_notice) + "\n\n";
    std::string seen = "__fish_seen_subcommand_from";
    for (const CompletedCommand& command : model.commands)
        seen += " " + command.name;
    const std::string program = model.program;
    out += "# The first word that is no option: a command, or the log's file.\n";
    for (const CompletedCommand& command : model.commands) {
        out += "complete -c " + program + " -n " + quoted("not " + seen) + " -a " + quoted(command.name) + " -d " +
               quoted(command.description) + "\n";
    }
    out += "complete -c " + program + " -n " + quoted(seen) + " -f\n\n";
    for (const CompletedOption& option : model.options) {
        // Offered until a command that has its own of the same name.
        std::string shadowing;
        for (const CompletedCommand& command : model.commands)
            shadowing += shadowed_by(command, option) ? " " + command.name : "";
        out += line(program, shadowing.empty() ? "" : "not __fish_seen_subcommand_from" + shadowing, option);
    }
    for (const CompletedCommand& command : model.commands) {
        out += "\n";
        for (const CompletedOption& option : command.options)
            out += line(program, "__fish_seen_subcommand_from " + command.name, option);
    }
    return out;
}

}  // namespace kestrane::cli
