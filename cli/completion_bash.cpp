// The bash script: one function that looks at the word before the cursor (an
// option that takes a value: its words, files or nothing) or else offers the
// options, or the command and files. bash-completion loads it by the
// program's name; it needs nothing of bash-completion's own.
#include "completion_model.h"

namespace kestrane::cli {
namespace {

// A word in single quotes, as bash reads it back.
std::string quoted(std::string_view word) {
    std::string out = "'";
    for (const char c : word)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string joined(const std::vector<std::string>& words) {
    std::string out;
    for (const std::string& word : words)
        out.append(out.empty() ? "" : " ").append(quoted(word));
    return out;
}

// The names of an option as one case pattern, each after "COMMAND " (any command when command is empty).
std::string pattern(std::string_view command, const CompletedOption& option) {
    std::string out;
    for (const std::string& name : option.names) {
        out.append(out.empty() ? "" : "|");
        out += command.empty() ? "*" + quoted(" " + name) : quoted(std::string(command) + " " + name);
    }
    return out;
}

// What the case for an option's value does.
std::string value_action(const CompletedOption& option) {
    switch (option.value) {
        case ValueKind::words: return "words=(" + joined(option.words) + ")";
        case ValueKind::files: return "_kestrane_cli_files; return";
        case ValueKind::free: break;
    }
    return "return";
}

// The cases for the values of the options that take one: a command's own first, then the main command's.
std::string value_cases(const CompletionModel& model) {
    std::string out;
    for (const CompletedCommand& command : model.commands) {
        for (const CompletedOption& option : command.options) {
            if (option.takes_value)
                out += "        " + pattern(command.name, option) + ") " + value_action(option) + " ;;\n";
        }
    }
    for (const CompletedOption& option : model.options) {
        if (option.takes_value)
            out += "        " + pattern("", option) + ") " + value_action(option) + " ;;\n";
    }
    return out;
}

std::vector<std::string> all_names(const std::vector<CompletedOption>& options) {
    std::vector<std::string> names;
    for (const CompletedOption& option : options)
        names.insert(names.end(), option.names.begin(), option.names.end());
    return names;
}

// The options offered: after a command its own and the main command's it
// has none of the same name for, else the main command's.
std::string option_cases(const CompletionModel& model) {
    std::string out;
    for (const CompletedCommand& command : model.commands) {
        std::vector<CompletedOption> options;
        for (const CompletedOption& option : model.options) {
            if (!shadowed_by(command, option))
                options.push_back(option);
        }
        options.insert(options.end(), command.options.begin(), command.options.end());
        out += "            " + quoted(command.name) + ") words=(" + joined(all_names(options)) + ") ;;\n";
    }
    return out + "            *) words=(" + joined(all_names(model.options)) + ") ;;\n";
}

std::vector<std::string> command_names(const CompletionModel& model) {
    std::vector<std::string> names;
    for (const CompletedCommand& command : model.commands)
        names.push_back(command.name);
    return names;
}

// The script, its parts to fill in marked @NAME@.
constexpr std::string_view script = R"script(# bash completion for @PROGRAM@. @NOTICE@

# Files, quoted by readline as file names are.
_kestrane_cli_files() {
    compopt -o filenames 2>/dev/null
    mapfile -t -O "${#COMPREPLY[@]}" COMPREPLY < <(compgen -f -- "$cur")
}

_kestrane_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev='' command='' word i
    local -a words=()
    COMPREPLY=()
    ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
    # bash splits --option=value at the =.
    if [[ $cur == = ]]; then
        cur=''
    elif [[ $prev == = ]] && ((COMP_CWORD > 1)); then
        prev=${COMP_WORDS[COMP_CWORD - 2]}
    fi
    for ((i = 1; i < COMP_CWORD; i++)); do
        for word in @COMMANDS@; do
            [[ ${COMP_WORDS[i]} == "$word" ]] && command=$word
        done
    done
    # The value of the option before: its words, files, or nothing to offer.
    case "$command $prev" in
@VALUE_CASES@    esac
    if ((${#words[@]} == 0)); then
        if [[ $cur == -* ]]; then
            case $command in
@OPTION_CASES@            esac
        else
            # A command takes no file; without one, the word is the command or the log.
            [[ -n $command ]] && return
            words=(@COMMANDS@)
            _kestrane_cli_files
        fi
    fi
    for word in "${words[@]}"; do
        [[ $word == "$cur"* ]] && COMPREPLY+=("$(printf '%q' "$word")")
    done
}

complete -F _kestrane_cli @PROGRAM@
)script";

}  // namespace

std::string bash_completion(const CompletionModel& model) {
    return filled(script, {{"@PROGRAM@", model.program},
                           {"@NOTICE@", std::string(completion_notice)},
                           {"@COMMANDS@", joined(command_names(model))},
                           {"@VALUE_CASES@", value_cases(model)},
                           {"@OPTION_CASES@", option_cases(model)}});
}

}  // namespace kestrane::cli
