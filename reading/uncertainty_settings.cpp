#include "uncertainty_settings.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "core/coverage.h"
#include "core/fields.h"
#include "core/number_text.h"
#include "decimal_text.h"

namespace kestrane {
namespace {

std::string quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

// A decimal number that is the whole text (blanks around it aside), read to
// double precision; nothing, with the problem, when it is none or none a
// double holds. Within [low, high] (use_what saying so) or refused.
std::optional<double> read_decimal(std::string_view name,
                                   std::string_view text,
                                   double low,
                                   double high,
                                   std::string_view use_what,
                                   std::string& problem) {
    const std::string_view number = trim_blanks(text);
    std::size_t length = 0;
    const std::optional<double> value = scan_double(number, length);
    if (length == 0 || length != number.size()) {
        problem = std::string(name) + " " + quoted(text) + " is not a number; use " + std::string(use_what);
        return std::nullopt;
    }
    if (!value || !std::isfinite(*value) || *value < low || *value > high) {
        problem = std::string(name) + " " + std::string(number) + " is out of range; use " + std::string(use_what);
        return std::nullopt;
    }
    return value;
}

std::string field_names() {
    std::string names;
    for (std::size_t f = 0; f < field_count; ++f) {
        names.append(f == 0 ? "" : f + 1 == field_count ? " or " : ", ").append(field_table[f].option);
        if (all_fields[f] == Field::barometric_pressure)
            names.append(" (or ").append(barometer_alias).append(")");
    }
    return names;
}

bool same_pair(const CorrelationPair& a, const CorrelationPair& b) {
    return (a.first == b.first && a.second == b.second) || (a.first == b.second && a.second == b.first);
}

}  // namespace

// The field an option's name stands for ("barometer" too).
std::optional<Field> field_named(std::string_view name) {
    for (const Field field : all_fields) {
        if (name == info(field).option || (field == Field::barometric_pressure && name == barometer_alias))
            return field;
    }
    return std::nullopt;
}

std::optional<double> read_coverage(std::string_view name, std::string_view text, std::string& problem) {
    const std::optional<double> p = read_decimal(name, text, 0.5, 0.9999, coverage_bounds, problem);
    // The bounds as decimals are the doubles nearest them: one check for both readings.
    if (p && !valid_coverage_probability(*p)) {
        problem = std::string(name) + " " + std::string(trim_blanks(text)) + " is out of range; use " +
                  std::string(coverage_bounds);
        return std::nullopt;
    }
    return p;
}

std::optional<double> read_degrees_of_freedom(std::string_view name, std::string_view text, std::string& problem) {
    return read_decimal(name, text, 1.0, std::numeric_limits<double>::max(),
                        "1 or more (leave it out for infinitely many)", problem);
}

std::optional<CorrelationPair> read_correlation(std::string_view name,
                                                std::string_view text,
                                                const std::vector<CorrelationPair>& before,
                                                std::string& problem) {
    const std::string said = std::string(name) + " " + quoted(text);
    const std::size_t equals = text.find('=');
    const std::size_t comma = text.substr(0, equals).find(',');
    if (equals == std::string_view::npos || comma == std::string_view::npos) {
        problem = said + " is not A,B=R: two fields and their correlation coefficient, such as " +
                  "target-pressure,barometric-pressure=0.9";
        return std::nullopt;
    }
    const std::string_view names[] = {trim_blanks(text.substr(0, comma)),
                                      trim_blanks(text.substr(comma + 1, equals - comma - 1))};
    std::optional<Field> fields[2];
    for (int i = 0; i < 2; ++i) {
        fields[i] = field_named(names[i]);
        if (!fields[i]) {
            problem = said + ": " + quoted(names[i]) + " is no field; use " + field_names();
            return std::nullopt;
        }
    }
    if (*fields[0] == *fields[1]) {
        problem = said + " names " + std::string(info(*fields[0]).option) +
                  " twice: a correlation is between two different fields";
        return std::nullopt;
    }
    std::string r_problem;
    const std::optional<double> r = read_decimal("r", text.substr(equals + 1), -1.0, 1.0, "-1 to 1", r_problem);
    if (!r) {
        problem = said + ": " + r_problem;
        return std::nullopt;
    }
    const CorrelationPair pair{*fields[0], *fields[1], *r};
    for (const CorrelationPair& earlier : before) {
        if (same_pair(earlier, pair)) {
            problem = said + " names a pair given before: give each pair once";
            return std::nullopt;
        }
    }
    return pair;
}

std::optional<std::optional<std::size_t>> read_draws(std::string_view name,
                                                     std::string_view text,
                                                     double coverage_probability,
                                                     std::string& problem) {
    if (text == adaptive_draws)
        return std::optional<std::size_t>();
    const std::size_t fewest = monte_carlo_fewest_draws(coverage_probability);
    const std::string use = std::to_string(fewest) + " to " + std::to_string(monte_carlo_most_draws) + " at " +
                            percent_text(coverage_probability) + " % coverage, or " + std::string(adaptive_draws);
    const std::optional<std::uint64_t> draws =
        read_whole_number(name, text, fewest, monte_carlo_most_draws, problem);
    if (!draws) {
        problem = problem.substr(0, problem.find("; use ")) + "; use " + use;
        return std::nullopt;
    }
    return std::optional<std::size_t>(static_cast<std::size_t>(*draws));
}

std::optional<CoverageInterval> read_interval(std::string_view name, std::string_view text, std::string& problem) {
    for (const CoverageInterval kind : {CoverageInterval::symmetric, CoverageInterval::shortest}) {
        if (text == interval_name(kind))
            return kind;
    }
    problem = std::string(name) + " " + quoted(text) + " is neither " +
              std::string(interval_name(CoverageInterval::symmetric)) + " nor " +
              std::string(interval_name(CoverageInterval::shortest));
    return std::nullopt;
}

std::optional<std::uint64_t> read_whole_number(std::string_view name,
                                               std::string_view text,
                                               std::uint64_t low,
                                               std::uint64_t high,
                                               std::string& problem) {
    const std::string range = std::to_string(low) + " to " + std::to_string(high);
    const bool digits = !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
    if (!digits) {
        problem = std::string(name) + " " + quoted(text) + " is not a whole number; use " + range;
        return std::nullopt;
    }
    std::uint64_t n = 0;
    const auto [at, error] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (error != std::errc{} || at != text.data() + text.size() || n < low || n > high) {
        problem = std::string(name) + " " + std::string(text) + " is out of range; use " + range;
        return std::nullopt;
    }
    return n;
}

std::optional<std::uint64_t> read_seed(std::string_view name, std::string_view text, std::string& problem) {
    return read_whole_number(name, text, 0, std::numeric_limits<std::uint64_t>::max(), problem);
}

}  // namespace kestrane
