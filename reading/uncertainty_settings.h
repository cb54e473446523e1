// The settings of a reading's uncertainty besides the inputs' own: degrees
// of freedom, a coverage probability, correlations, and Monte Carlo's draws,
// interval and seed. The command line's options and the page's address name
// them alike ("--coverage 0.95", "coverage=0.95") and read them here, so that
// a value is refused in the same words wherever it is given. Each reader
// takes the name the setting was given by ("--coverage", or "coverage") and
// gives the value, or nothing with the problem in those words:
// --coverage 1.5 is out of range; use 0.5 to 0.9999
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/correlation.h"
#include "core/monte_carlo.h"

namespace kestrane {

inline constexpr std::string_view coverage_setting = "coverage";
inline constexpr std::string_view correlation_setting = "correlation";
inline constexpr std::string_view monte_carlo_setting = "monte-carlo";
inline constexpr std::string_view interval_setting = "interval";
inline constexpr std::string_view seed_setting = "seed";
// Monte Carlo's draws when the run decides them (JCGM 101's adaptive procedure).
inline constexpr std::string_view adaptive_draws = "auto";

// The bounds of a coverage probability, as the messages state them.
inline constexpr std::string_view coverage_bounds = "0.5 to 0.9999";

// A coverage probability: a decimal number from 0.5 to 0.9999.
// The field an option's name stands for: its option, or "barometer" for the
// barometric pressure; nullopt for any other name.
std::optional<Field> field_named(std::string_view name);

std::optional<double> read_coverage(std::string_view name, std::string_view text, std::string& problem);

// An input's degrees of freedom: a decimal number of at least 1.
std::optional<double> read_degrees_of_freedom(std::string_view name, std::string_view text, std::string& problem);

// A correlation "A,B=R": A and B the names of two different fields (as their
// options are named), R from -1 to 1, a pair not among those before.
std::optional<CorrelationPair> read_correlation(std::string_view name,
                                                std::string_view text,
                                                const std::vector<CorrelationPair>& before,
                                                std::string& problem);

// Monte Carlo's draws: a whole number from monte_carlo_fewest_draws at the
// coverage probability to monte_carlo_most_draws, or adaptive_draws (an
// empty optional inside).
std::optional<std::optional<std::size_t>> read_draws(std::string_view name,
                                                     std::string_view text,
                                                     double coverage_probability,
                                                     std::string& problem);

// The coverage interval's kind, by its name.
std::optional<CoverageInterval> read_interval(std::string_view name, std::string_view text, std::string& problem);

// A whole number in plain decimal digits from low to high: a sign, a
// hexadecimal prefix, an exponent or an empty text is refused rather than
// read as something else, and a number past high rather than clamped.
std::optional<std::uint64_t> read_whole_number(std::string_view name,
                                               std::string_view text,
                                               std::uint64_t low,
                                               std::uint64_t high,
                                               std::string& problem);

// Monte Carlo's seed: a whole number from 0 to 2^64 - 1.
std::optional<std::uint64_t> read_seed(std::string_view name, std::string_view text, std::string& problem);

}  // namespace kestrane
