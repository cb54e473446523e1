#include "check_options.h"

#include "option_kit.h"

namespace kestrane::cli {
namespace {

// An example of each record field's option, for its help.
constexpr std::array<std::string_view, record_field_count> record_examples = {"\"Gas Lab\"",
                                                                              "\"1 Quay St, Leith\"",
                                                                              "GL-2025-0117",
                                                                              "\"North Sea Rigs\"",
                                                                              "Acme",
                                                                              "\"OX-200\"",
                                                                              "01430-22",
                                                                              "\"cylinder 8812\"",
                                                                              "\"certificate C-4471\"",
                                                                              "\"digital barometer, s/n 1120004\"",
                                                                              "2025-03-14",
                                                                              "2025-03-17",
                                                                              "\"A. Ruiz\"",
                                                                              "\"M. Okafor\""};

std::string option_of(CheckInput input) {
    return dashed(info(input).option);
}

std::string record_option(const RecordFieldInfo& field) {
    return dashed(std::string(record_option_prefix).append(field.name));
}

// The first of the check's options given, besides the reading as found.
std::optional<std::string> first_setting(const Request& r) {
    for (const CheckInput input : {CheckInput::as_left, CheckInput::standard_uncertainty, CheckInput::tolerance}) {
        if (r.check_given.test(static_cast<std::size_t>(input)))
            return option_of(input);
    }
    if (r.decision_rule_given)
        return dashed(decision_rule_option);
    return std::nullopt;
}

// The first record option given, or the record file's.
std::optional<std::string> first_record_option(const Request& r) {
    for (const RecordFieldInfo& field : record_field_table) {
        if (r.record[field.field])
            return record_option(field);
    }
    return r.record_file ? std::optional<std::string>("--record") : std::nullopt;
}

// What the check's options need of each other and of the command.
std::optional<std::string> command_refusal(const Request& r) {
    const bool found = r.check_given.test(static_cast<std::size_t>(CheckInput::as_found));
    const bool left = r.check_given.test(static_cast<std::size_t>(CheckInput::as_left));
    const std::optional<std::string> setting = first_setting(r);
    const std::optional<std::string> record = first_record_option(r);
    switch (r.command) {
        case Command::reading:
            if (!found && setting)
                return *setting + " needs " + option_of(CheckInput::as_found);
            if (found && !r.check_given.test(static_cast<std::size_t>(CheckInput::tolerance)))
                return option_of(CheckInput::as_found) + " needs " + option_of(CheckInput::tolerance);
            return std::nullopt;
        case Command::log:
            for (const CheckInput input : {CheckInput::as_found, CheckInput::as_left}) {
                if (input == CheckInput::as_found ? found : left) {
                    return option_of(input) + " does not go with a log: the log gives it in its " +
                           std::string(info(input).column) + " column";
                }
            }
            if (record)
                return *record + " goes with one reading: a log has no record";
            return std::nullopt;
        case Command::table:
            if (found || setting || record)
                return (found     ? option_of(CheckInput::as_found)
                        : setting ? *setting
                                  : *record) +
                       " does not go with table";
            return std::nullopt;
        case Command::help: break;
    }
    return std::nullopt;
}

}  // namespace

void add_check_options(CLI::App& app, Request& r, std::string_view group) {
    const auto text = [&r](CheckInput input) -> std::string& { return r.check_texts[static_cast<std::size_t>(input)]; };
    const std::string gas(info(Result::calculated_gas_pct).label);
    add(app, option_of(CheckInput::as_found), text(CheckInput::as_found),
        "Check the analyzer: its reading as found, in % Vol, against the " + gas + ", decided against --tolerance",
        "--analyzer-reading 20.70", "X", group);
    add(app, option_of(CheckInput::as_left), text(CheckInput::as_left),
        "The analyzer's reading as left (after its adjustment), in % Vol, checked the same way", "--as-left 20.65", "X",
        group);
    add(app, option_of(CheckInput::standard_uncertainty), text(CheckInput::standard_uncertainty),
        "The analyzer's own uncertainty (its resolution, its repeatability) in % Vol, given as the inputs' are "
        "(default 0)",
        "--u-analyzer 0.01:rectangular", "VALUE[:SHAPE]", group);
    add(app, option_of(CheckInput::tolerance), text(CheckInput::tolerance),
        "The largest error the analyzer may have, +/- % Vol (above 0)", "--tolerance 0.1", "T", group);
    std::vector<std::string_view> rules;
    for (const DecisionRuleInfo& rule : decision_rule_table)
        rules.push_back(rule.name);
    add(app, dashed(decision_rule_option), r.decision_rule,
        "simple (pass when the error is within the tolerance) or guarded (within the tolerance less the error's "
        "expanded uncertainty), as ILAC-G8:09/2019 names them",
        "--decision-rule guarded", "RULE", group)
        ->transform(choice_of(rules))
        ->default_str(std::string(rules[0]));
}

void add_record_options(CLI::App& app, Request& r, CheckOptionTexts& texts, std::string_view group) {
    add(app, "--record", r.record_file,
        "Take the record's fields from FILE, UTF-8 lines of FIELD = TEXT (FIELD as the options below name it; # "
        "comments); an option below overrides its line",
        "--record lab.txt", "FILE", group);
    for (const RecordFieldInfo& field : record_field_table) {
        const std::string option = record_option(field);
        add(app, option, texts.record[static_cast<std::size_t>(field.field)],
            "\"" + std::string(field.label) + ": TEXT\" in the record (" + std::string(field.name) +
                " in its file): one line of at most " + std::to_string(record_text_limit) + " characters",
            option + " " + std::string(record_examples[static_cast<std::size_t>(field.field)]), "TEXT", group);
    }
}

std::optional<std::string> finish_check_options(Request& r, const CLI::App& app, const CheckOptionTexts& texts) {
    for (const CheckInputInfo& input : check_input_table)
        r.check_given.set(static_cast<std::size_t>(input.input), app.count(option_of(input.input)) != 0);
    r.decision_rule_given = app.count(dashed(decision_rule_option)) != 0;
    for (const RecordFieldInfo& field : record_field_table) {
        if (app.count(record_option(field)) == 0)
            continue;
        const std::string& text = texts.record[static_cast<std::size_t>(field.field)];
        if (const auto problem = record_text_problem(text))
            return record_option(field) + " " + *problem;
        r.record[field.field] = text;
    }
    return command_refusal(r);
}

}  // namespace kestrane::cli
