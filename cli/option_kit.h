// The pieces kestrane-cli's options are made of, shared by the files that
// define them: names with dashes, help with an example, validators that refuse
// in kestrane-cli's own words.
#pragma once

#include <CLI/CLI.hpp>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "command_line.h"

namespace kestrane::cli {

// A value the command line cannot take, said in kestrane-cli's own words
// rather than as a parse error: "unknown pressure unit ...".
struct OwnUsageError {
    std::string message;
};

inline std::string dashed(std::string_view name) {
    return "--" + std::string(name);
}

// An option's help: what it does, and an example of it.
inline std::string described(std::string_view text, std::string_view example) {
    return std::string(text).append(example_mark).append(example);
}

// A validator that turns a value into its index by find; a value it does not
// find is refused by refuse, in CLI11's words (returned) or kestrane-cli's (thrown).
inline CLI::Validator index_of(std::function<std::optional<std::size_t>(const std::string&)> find,
                               std::function<std::string(const std::string&)> refuse,
                               std::string description = {}) {
    return CLI::Validator(
        [find, refuse](std::string& value) {
            const std::optional<std::size_t> index = find(value);
            if (!index)
                return refuse(value);
            value = std::to_string(*index);
            return std::string();
        },
        std::move(description));
}

// One of names, for an enum option; another text is refused as CLI11 refuses a value not in a set.
inline CLI::Validator choice_of(std::vector<std::string_view> names) {
    std::string set = "{";
    for (const std::string_view name : names)
        set.append(set.size() == 1 ? "" : ",").append(name);
    set += "}";
    const auto find = [names](const std::string& value) -> std::optional<std::size_t> {
        const auto at = std::find(names.begin(), names.end(), value);
        return at == names.end() ? std::nullopt : std::optional<std::size_t>(at - names.begin());
    };
    return index_of(
        find, [set](const std::string& value) { return value + " not in " + set; }, set);
}

// A validator that reads a value with one of the uncertainty settings'
// readers, refusing it in their words.
template <class Reader>
CLI::Validator read_with(std::string option, Reader reader) {
    return CLI::Validator(
        [option, reader](std::string& value) -> std::string {
            std::string problem;
            if (!reader(option, value, problem))
                throw OwnUsageError{problem};
            return {};
        },
        "");
}

// An option that takes a value: its help and example, its value's name, its group.
template <class T>
CLI::Option* add(CLI::App& app,
                 const std::string& names,
                 T& target,
                 const std::string& text,
                 std::string_view example,
                 std::string_view value,
                 std::string_view group = "Options") {
    return app.add_option(names, target, described(text, example))
        ->type_name(std::string(value))
        ->group(std::string(group));
}

}  // namespace kestrane::cli
