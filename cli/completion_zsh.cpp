// The zsh script: the options as _arguments descriptions, the main
// command's alone or, after a command, with that command's own in place of
// theirs of the same name; a word that is no option is the log's file or the
// command. zsh finds it on its fpath as _kestrane-cli.
#include "completion_model.h"

namespace kestrane::cli {
namespace {

// Text in single quotes, as zsh reads it back.
std::string quoted(std::string_view text) {
    std::string out = "'";
    for (const char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Text with each of `escapes` after a backslash, as _arguments reads its fields.
std::string escaped(std::string_view text, std::string_view escapes) {
    std::string out;
    for (const char c : text)
        out.append(escapes.find(c) != std::string_view::npos ? "\\" : "").append(1, c);
    return out;
}

// What _arguments does with an option's value: offer its words, files, or only say what it is.
std::string value_description(const CompletedOption& option) {
    std::string action = " ";
    if (option.value == ValueKind::files) {
        action = "_files";
    } else if (option.value == ValueKind::words) {
        action = "(";
        for (const std::string& word : option.words)
            action.append(action.size() == 1 ? "" : " ").append(escaped(word, "\\ ()|;&<>'\"`$"));
        action += ")";
    }
    return ":" + escaped(option.value_name, "\\:") + ":" + action;
}

// One option's description: "'(-o --output)'{-o+,--output=}'[Write ...]:FILE:_files'".
std::string option_description(const CompletedOption& option) {
    std::string names;
    std::string exclusions;
    for (const std::string& name : option.names) {
        const std::string taking = !option.takes_value ? "" : name.starts_with("--") ? "=" : "+";
        names.append(names.empty() ? "" : ",").append(name + taking);
        exclusions.append(exclusions.empty() ? "" : " ").append(name);
    }
    std::string text = "[" + escaped(option.description, "\\[]") + "]";
    if (option.takes_value)
        text += value_description(option);
    if (option.repeatable)
        return quoted("*" + names + text);
    if (option.names.size() == 1)
        return quoted(names + text);
    return quoted("(" + exclusions + ")") + "{" + names + "}" + quoted(text);
}

// The array of a command's option descriptions, one a line.
std::string description_lines(const std::vector<const CompletedOption*>& options, std::string_view argument) {
    std::string out;
    for (const CompletedOption* option : options)
        out += "        " + option_description(*option) + "\n";
    return out + "        " + quoted(argument) + "\n";
}

// The main command's options, without those the command has its own of (all for no command), then its own.
std::vector<const CompletedOption*> options_in(const CompletionModel& model, const CompletedCommand* command) {
    std::vector<const CompletedOption*> options;
    for (const CompletedOption& option : model.options) {
        if (command == nullptr || !shadowed_by(*command, option))
            options.push_back(&option);
    }
    if (command == nullptr)
        return options;
    for (const CompletedOption& option : command->options)
        options.push_back(&option);
    return options;
}

// "_kestrane-cli_first": a word that is no option, as the first: a command, or the log's file.
std::string first_word_function(const CompletionModel& model) {
    std::string commands;
    for (const CompletedCommand& command : model.commands) {
        commands.append(commands.empty() ? "" : " ")
            .append(escaped(command.name, "\\:") + "\\:" + escaped(quoted(command.description), "\\:"));
    }
    return "_kestrane-cli_first() {\n"
           "    _alternative " +
           quoted("commands:command:((" + commands + "))") + " " +
           quoted("files:" + escaped(model.argument_description, "\\:") + ":_files") + "\n}\n";
}

// The case of each command: the descriptions that hold after it.
std::string command_cases(const CompletionModel& model) {
    std::string cases;
    for (const CompletedCommand& command : model.commands) {
        cases += "        " + command.name + ") descriptions=(\n" +
                 description_lines(options_in(model, &command), "1:command:(" + command.name + ")") + "    ) ;;\n";
    }
    return cases;
}

// The script, its parts to fill in marked @NAME@.
constexpr std::string_view script = R"script(#compdef @PROGRAM@
# zsh completion for @PROGRAM@. @NOTICE@

@FIRST_WORD@
_kestrane-cli() {
    local command='' word
    local -a descriptions
    for word in ${words[2,CURRENT-1]}; do
        [[ $word == (@COMMANDS@) ]] && command=$word
    done
    case $command in
@COMMAND_CASES@        *) descriptions=(
@MAIN_DESCRIPTIONS@    ) ;;
    esac
    _arguments -S : $descriptions
}

_kestrane-cli "$@"
)script";

}  // namespace

std::string zsh_completion(const CompletionModel& model) {
    std::string names;
    for (const CompletedCommand& command : model.commands)
        names.append(names.empty() ? "" : "|").append(command.name);
    return filled(script,
                  {{"@PROGRAM@", model.program},
                   {"@NOTICE@", std::string(completion_notice)},
                   {"@FIRST_WORD@", first_word_function(model)},
                   {"@COMMANDS@", names},
                   {"@COMMAND_CASES@", command_cases(model)},
                   {"@MAIN_DESCRIPTIONS@", description_lines(options_in(model, nullptr), "1: :_kestrane-cli_first")}});
}

}  // namespace kestrane::cli
