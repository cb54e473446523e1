#include "query_text.h"

#include <cstddef>
#include <cstdint>
#include <utility>

#include "uncertainty_settings.h"

namespace kestrane {
namespace {

// The byte a "%" at `at` escapes, given as two hex digits of either case.
std::optional<unsigned char> escaped_byte(std::string_view text, std::size_t at) {
    const auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    };
    if (at + 2 >= text.size() || text[at] != '%')
        return std::nullopt;
    const int high = digit(text[at + 1]);
    const int low = digit(text[at + 2]);
    if (high < 0 || low < 0)
        return std::nullopt;
    return static_cast<unsigned char>(high * 16 + low);
}

// The escapes of one character starting at `at` ("%C2%B5"), appended to out
// and `at` moved past them: the whole UTF-8 form of one code point (no
// overlong form, no surrogate, nothing past U+10FFFF), as a browser's
// decodeURIComponent demands; false for anything else.
bool decode_escape(std::string_view text, std::size_t& at, std::string& out) {
    const auto first = escaped_byte(text, at);
    if (!first)
        return false;
    out += static_cast<char>(*first);
    at += 3;
    if (*first < 0x80)
        return true;
    // The leading one bits of the first byte are the length of the whole form.
    int length = 0;
    while (length < 5 && (*first & (0x80u >> length)) != 0)
        ++length;
    if (length < 2 || length > 4)
        return false;
    std::uint32_t code = *first & (0x7Fu >> length);
    for (int i = 1; i < length; ++i, at += 3) {
        const auto next = escaped_byte(text, at);
        if (!next || (*next & 0xC0) != 0x80)
            return false;
        code = code << 6 | (*next & 0x3Fu);
        out += static_cast<char>(*next);
    }
    constexpr std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    return code >= least[length] && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
}

// The text with its escapes decoded: itself when it has none, otherwise
// decoded into storage; nothing when one is not written properly.
std::optional<std::string_view> percent_decoded(std::string_view text, std::string& storage) {
    if (text.find('%') == std::string_view::npos)
        return text;
    storage.clear();
    for (std::size_t at = 0; at < text.size();) {
        if (text[at] != '%')
            storage += text[at++];
        else if (!decode_escape(text, at, storage))
            return std::nullopt;
    }
    return storage;
}

std::optional<UnitKind> unit_kind_named(std::string_view name) {
    for (const UnitKind kind : all_unit_kinds) {
        if (name == info(kind).option)
            return kind;
    }
    return std::nullopt;
}

// A message ended as a sentence: a full stop unless it already ends in one, or in a question.
std::string sentence(std::string text) {
    if (text.empty() || (text.back() != '.' && text.back() != '?' && text.back() != '!'))
        text += '.';
    return text;
}

std::string quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

// The settings of the uncertainty besides the inputs', by their names.
enum class Setting { none, coverage, correlation, monte_carlo, interval, seed };

Setting setting_named(std::string_view name) {
    constexpr std::pair<std::string_view, Setting> settings[] = {{coverage_setting, Setting::coverage},
                                                                 {correlation_setting, Setting::correlation},
                                                                 {monte_carlo_setting, Setting::monte_carlo},
                                                                 {interval_setting, Setting::interval},
                                                                 {seed_setting, Setting::seed}};
    for (const auto& [setting_name, setting] : settings) {
        if (name == setting_name)
            return setting;
    }
    return Setting::none;
}

// What a name in a text stands for: a field, a field's uncertainty or its
// degrees of freedom, a unit kind, another setting of the uncertainty, or
// nothing of the page's.
struct Named {
    std::string_view name;
    std::optional<Field> field;
    std::optional<Field> uncertainty;
    std::optional<Field> degrees_of_freedom;
    std::optional<UnitKind> unit;
    Setting setting = Setting::none;
    std::optional<CheckInput> check;
    bool decision_rule = false;
    std::optional<RecordField> record;

    bool takes_value() const {
        return field || uncertainty || degrees_of_freedom || unit || setting != Setting::none || check ||
               decision_rule || record;
    }
};

std::optional<CheckInput> check_input_named(std::string_view name) {
    for (const CheckInputInfo& input : check_input_table) {
        if (name == input.option)
            return input.input;
    }
    return std::nullopt;
}

// A record field by its name, or its option's ("record-lab-name"); the
// barometer's only by its option's, as its name is the barometric pressure's.
std::optional<RecordField> record_field_of(std::string_view name) {
    if (name.starts_with(record_option_prefix))
        return record_field_named(name.substr(record_option_prefix.size()));
    const std::optional<RecordField> field = record_field_named(name);
    return field == RecordField::barometer ? std::nullopt : field;
}

Named named(std::string_view name) {
    Named n{name,
            field_named(name),
            std::nullopt,
            std::nullopt,
            unit_kind_named(name),
            setting_named(name),
            check_input_named(name),
            name == decision_rule_option,
            record_field_of(name)};
    if (name.starts_with(uncertainty_option_prefix))
        n.uncertainty = field_named(name.substr(uncertainty_option_prefix.size()));
    if (name.starts_with(degrees_of_freedom_option_prefix))
        n.degrees_of_freedom = field_named(name.substr(degrees_of_freedom_option_prefix.size()));
    return n;
}

// The Monte Carlo settings as given, read once the whole text is: the
// fewest draws depend on the coverage probability, wherever it stands.
struct MonteCarloTexts {
    std::optional<std::string> draws;
    std::optional<CoverageInterval> interval;
    std::optional<std::uint64_t> seed;
};

// A setting of the uncertainty besides the inputs' given a value; false,
// with the problem, when the value is refused.
bool take_setting(QueryText& read, MonteCarloTexts& monte_carlo, const Named& setting, std::string_view value,
                  std::string& problem) {
    if (setting.degrees_of_freedom) {
        const auto dof = read_degrees_of_freedom(setting.name, value, problem);
        if (dof)
            read.known[*setting.degrees_of_freedom].degrees_of_freedom = *dof;
        return dof.has_value();
    }
    switch (setting.setting) {
        case Setting::coverage:
            if (const auto p = read_coverage(setting.name, value, problem))
                return read.coverage_probability = p, true;
            return false;
        case Setting::correlation:
            if (const auto pair = read_correlation(setting.name, value, read.known.correlations, problem))
                return read.known.correlations.push_back(*pair), true;
            return false;
        case Setting::monte_carlo: monte_carlo.draws = std::string(value); return true;
        case Setting::interval:
            if (const auto kind = read_interval(setting.name, value, problem))
                return monte_carlo.interval = kind, true;
            return false;
        case Setting::seed:
            if (const auto seed = read_seed(setting.name, value, problem))
                return monte_carlo.seed = seed, true;
            return false;
        case Setting::none: break;
    }
    return true;
}

// Monte Carlo's run, when its draws are given and can be read.
void take_monte_carlo(QueryText& read, const MonteCarloTexts& texts) {
    if (!texts.draws)
        return;
    MonteCarloRequest request;
    std::string problem;
    const double p = read.coverage_probability.value_or(request.coverage_probability);
    const auto draws = read_draws(monte_carlo_setting, *texts.draws, p, problem);
    if (!draws) {
        read.problems.push_back("In the address: " + sentence(problem));
        return;
    }
    request.draws = *draws;
    request.seed = texts.seed.value_or(request.seed);
    request.interval = texts.interval.value_or(request.interval);
    read.monte_carlo = request;
}

// A text of the analyzer's check, its rule, or a field of the record.
void take_check_or_record(QueryText& read, const Named& setting, std::string_view value) {
    if (setting.check) {
        read.check[static_cast<std::size_t>(*setting.check)] = std::string(value);
    } else if (setting.decision_rule) {
        if (const auto rule = decision_rule_named(value))
            read.decision_rule = *rule;
        else
            read.problems.push_back("In the address: " + quoted(setting.name) + " is " + quoted(value) + ", which is " +
                                    "neither " + quoted(info(DecisionRule::simple).name) + " nor " +
                                    quoted(info(DecisionRule::guarded).name) + ".");
    } else if (const auto problem = record_text_problem(value)) {
        read.problems.push_back("In the address: " + std::string(setting.name) + " " + *problem + ".");
    } else {
        read.record[*setting.record] = std::string(value);
    }
}

// A setting that takes a value, given one: a field's text, an uncertainty's,
// a unit by any of its names, or another setting of the uncertainty.
void take_value(QueryText& read, MonteCarloTexts& monte_carlo, const Named& setting, std::string_view value) {
    if (setting.check || setting.decision_rule || setting.record) {
        take_check_or_record(read, setting, value);
    } else if (setting.degrees_of_freedom || setting.setting != Setting::none) {
        std::string problem;
        if (!take_setting(read, monte_carlo, setting, value, problem))
            read.problems.push_back("In the address: " + sentence(problem));
    } else if (setting.field) {
        const auto f = static_cast<std::size_t>(*setting.field);
        read.fields[f] = value;
        read.fields_given.set(f);
    } else if (setting.uncertainty) {
        read.uncertainties[static_cast<std::size_t>(*setting.uncertainty)] = std::string(value);
    } else if (const auto index = unit_index(*setting.unit, value)) {
        read.units.*info(*setting.unit).selection = *index;
        read.units_given.set(static_cast<std::size_t>(*setting.unit));
    } else {
        read.problems.push_back("In the address: " + sentence(unknown_unit_message(*setting.unit, value)));
    }
}

// One part: "name=value", or a flag alone.
void read_part(QueryText& read, MonteCarloTexts& monte_carlo, std::string_view part) {
    const std::size_t equals = part.find('=');
    const bool valued = equals != std::string_view::npos;
    std::string name_storage;
    std::string value_storage;
    const auto name = percent_decoded(part.substr(0, equals), name_storage);
    const auto value = valued ? percent_decoded(part.substr(equals + 1), value_storage) : std::nullopt;
    if (!name || (valued && !value)) {
        read.problems.push_back("The address has a part that is not written properly: " + quoted(part) + ".");
    } else if (*name == lenient_option || *name == decimal_comma_option) {
        if (valued)
            read.problems.push_back(quoted(*name) + " in the address takes no value, but has " + quoted(*value) + ".");
        else if (*name == lenient_option)
            read.rules.mode = ReadingMode::lenient;
        else
            read.decimal_comma = true;
    } else if (const Named setting = named(*name); setting.takes_value()) {
        if (valued)
            take_value(read, monte_carlo, setting, *value);
        else
            read.problems.push_back(quoted(*name) + " in the address has no value.");
    } else {
        read.problems.push_back("The address names " + quoted(*name) + ", which is no setting of this page.");
    }
}

}  // namespace

QueryText read_query_text(std::string_view text) {
    QueryText read;
    // A text that says anything is read as a command line is: with a decimal
    // point unless it names the decimal comma.
    if (!text.empty())
        read.decimal_comma = false;
    MonteCarloTexts monte_carlo;
    while (!text.empty()) {
        const std::size_t end = text.find('&');
        if (end != 0)
            read_part(read, monte_carlo, text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    take_monte_carlo(read, monte_carlo);
    read.rules.decimal_comma = read.decimal_comma.value_or(false);
    for (const Field field : all_fields) {
        if (!read.fields_given.test(static_cast<std::size_t>(field)))
            read.fields[static_cast<std::size_t>(field)] = default_text(field, read.rules);
    }
    return read;
}

ReadingQuery QueryText::query() const {
    ReadingQuery q;
    for (std::size_t f = 0; f < field_count; ++f) {
        q.texts[f] = fields[f];
        if (uncertainties[f] && !trim_blanks(*uncertainties[f]).empty()) {
            q.uncertainties[f] = *uncertainties[f];
            q.uncertainty = true;
        }
    }
    q.units = units;
    q.rules = rules;
    q.known = known;
    q.coverage_probability = coverage_probability;
    q.monte_carlo = monte_carlo;
    q.uncertainty = q.uncertainty || monte_carlo.has_value();
    for (std::size_t i = 0; i < check_input_count; ++i) {
        if (check[i] && !trim_blanks(*check[i]).empty())
            q.check.texts[i] = *check[i];
    }
    q.check.rule = decision_rule;
    q.record = record;
    return q;
}

}  // namespace kestrane
