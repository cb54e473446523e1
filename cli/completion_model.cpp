#include "completion_model.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <functional>
#include <map>
#include <stdexcept>

#include "command_line.h"
#include "core/monte_carlo.h"
#include "core/names.h"
#include "core/units.h"
#include "log/log_header.h"
#include "messages.h"
#include "option_kit.h"
#include "reading/uncertainty_settings.h"

namespace kestrane::cli {
namespace {

// The longest description a shell shows beside an option before it is cut at a word.
constexpr std::size_t description_limit = 60;

// The help's first words: up to its first ": " or "; " outside the quotes it
// may start with, at most description_limit long.
std::string short_description(std::string_view help) {
    std::string text(help.substr(0, help.rfind(example_mark)));
    const std::size_t quoted_end = text.starts_with('"') ? text.find('"', 1) : 0;
    for (const std::string_view stop : {": ", "; "})
        text = text.substr(0, text.find(stop, quoted_end == std::string::npos ? 0 : quoted_end));
    if (text.size() > description_limit) {
        const std::size_t blank = text.rfind(' ', description_limit - 3);
        text = text.substr(0, blank == std::string::npos ? description_limit - 3 : blank) + "...";
    }
    return text;
}

// The names a unit answers to that a shell can offer as one word: its short
// and other names, and its list text unless that has a blank or is one of them in another case.
std::vector<std::string> unit_words(UnitKind kind) {
    std::vector<std::string> words;
    for (const Unit& unit : info(kind).units) {
        bool text_said = unit.text.find(' ') != std::string_view::npos;
        for (const std::string_view other : unit.other_names) {
            if (!other.empty())
                words.emplace_back(other);
            text_said = text_said || (!other.empty() && same_ignoring_case(other, unit.text));
        }
        if (!text_said)
            words.emplace_back(unit.text);
    }
    return words;
}

// The delimiters by the names that stand for them, without the quotes the help puts around them.
std::vector<std::string> delimiter_words() {
    std::vector<std::string> words;
    for (const DelimiterName& delimiter : log_delimiters) {
        std::string name(delimiter.name);
        if (name.size() > 2 && name.front() == '"' && name.back() == '"')
            name = name.substr(1, name.size() - 2);
        words.push_back(name);
    }
    return words;
}

// The words of options whose values a table outside the command line holds, by the option's long name.
std::map<std::string, std::vector<std::string>> words_from_tables() {
    std::map<std::string, std::vector<std::string>> words;
    for (const UnitKind kind : all_unit_kinds)
        words[dashed(info(kind).option)] = unit_words(kind);
    words[dashed(interval_setting)] = {std::string(interval_name(CoverageInterval::symmetric)),
                                       std::string(interval_name(CoverageInterval::shortest))};
    words[dashed(monte_carlo_setting)] = {std::string(adaptive_draws)};
    words["--delimiter"] = delimiter_words();
    return words;
}

// A fixed choice's words, from the "{a,b,c}" a choice's validator adds to its value's name.
std::vector<std::string> choice_words(const std::string& type_name) {
    const std::size_t open = type_name.find(":{");
    std::vector<std::string> words;
    if (open == std::string::npos || !type_name.ends_with('}'))
        return words;
    std::string word;
    for (const char c : type_name.substr(open + 2, type_name.size() - open - 3) + ",") {
        if (c == ',') {
            words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    return words;
}

CompletedOption completed(const CLI::Option& option, std::map<std::string, std::vector<std::string>>& tables) {
    CompletedOption out;
    for (const std::string& name : option.get_snames())
        out.names.push_back("-" + name);
    for (const std::string& name : option.get_lnames())
        out.names.push_back("--" + name);
    out.description = short_description(option.get_description());
    out.takes_value = option.get_expected_min() > 0;  // a flag expects none
    out.repeatable = out.takes_value && option.get_items_expected_max() > 1;
    out.value_name = option.get_type_name().substr(0, option.get_type_name().find(":{"));
    out.words = choice_words(option.get_type_name());
    for (const std::string& name : out.names) {
        if (const auto table = tables.find(name); table != tables.end()) {
            out.words = table->second;
            tables.erase(table);
        }
    }
    out.value = !out.words.empty() ? ValueKind::words : out.value_name == "FILE" ? ValueKind::files : ValueKind::free;
    return out;
}

}  // namespace

CompletionModel completion_model() {
    CompletionModel model;
    model.program = program_name;
    std::map<std::string, std::vector<std::string>> tables = words_from_tables();
    visit_listed([&](std::string_view, const CLI::App& command, const CLI::Option* option) {
        if (option == nullptr) {
            model.commands.push_back({command.get_name(), short_description(command.get_description()), {}});
        } else if (option->get_positional()) {
            model.argument_description = short_description(option->get_description());
        } else if (command.get_parent() != nullptr) {
            model.commands.back().options.push_back(completed(*option, tables));
        } else {
            model.options.push_back(completed(*option, tables));
        }
    });
    // An option a table names that the command line lacks is a renamed one: its words would be offered for nothing.
    if (!tables.empty())
        throw std::logic_error("no option " + tables.begin()->first + " to offer its values for");
    return model;
}

std::string filled(std::string_view script, const std::vector<std::pair<std::string_view, std::string>>& texts) {
    std::string out(script);
    for (const auto& [mark, text] : texts) {
        for (std::size_t at = out.find(mark); at != std::string::npos; at = out.find(mark, at + text.size()))
            out.replace(at, mark.size(), text);
    }
    return out;
}

bool shadowed_by(const CompletedCommand& command, const CompletedOption& option) {
    return std::any_of(command.options.begin(), command.options.end(), [&](const CompletedOption& own) {
        return std::find_first_of(own.names.begin(), own.names.end(), option.names.begin(), option.names.end()) !=
               own.names.end();
    });
}

}  // namespace kestrane::cli
