#include "monte_carlo_statistics.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "number_text.h"
#include "shortest_decimal.h"

namespace kestrane {
namespace {

// The index in the sorted values of the r-th smallest, r counted from 1 and
// brought into 1..count.
std::size_t order_index(std::uint64_t r, std::size_t count) {
    return static_cast<std::size_t>(std::clamp<std::uint64_t>(r, 1, count) - 1);
}

// The shortest interval [y(r), y(r + q)] over r = 1 ... M - q of the sorted
// values (JCGM 101 7.7.2); of equally short ones the first.
void shortest_interval(std::vector<double>& values, std::uint64_t q, SampleStatistics& s) {
    std::sort(values.begin(), values.end());
    const std::size_t count = values.size();
    std::size_t best = 0;
    const std::size_t width = order_index(q + 1, count);  // y(r + q) is this many places after y(r)
    for (std::size_t low = 1; low + width < count; ++low) {
        if (values[low + width] - values[low] < values[best + width] - values[best])
            best = low;
    }
    s.low = values[best];
    s.high = values[std::min(best + width, count - 1)];
}

void symmetric_interval(std::vector<double>& values, const CoverageOrder& order, SampleStatistics& s) {
    const std::size_t count = values.size();
    const auto low = values.begin() + static_cast<std::ptrdiff_t>(order_index(order.r, count));
    const auto high = values.begin() + static_cast<std::ptrdiff_t>(order_index(order.r + order.q, count));
    std::nth_element(values.begin(), low, values.end());
    s.low = *low;
    std::nth_element(low, high, values.end());
    s.high = *high;
}

// The place of the first significant digit of value written to `digits`
// significant digits (a carry counts: 0.0999 to two digits is 0.10, place -1),
// read from its exact text; 0 for a value that text gives as "0".
int leading_place(double value, int digits) {
    const std::string text = significant_text(value, digits);
    const std::size_t first = text.find_first_of("123456789");
    if (first == std::string::npos)
        return 0;
    const std::size_t point = std::min(text.find('.'), text.size());
    return first < point ? static_cast<int>(point - first) - 1 : static_cast<int>(point) - static_cast<int>(first);
}

// Twice the standard deviation of the mean of h block values: the largest over
// the four statistics (JCGM 101 7.9.3's 2 s_y, 2 s_u, 2 s_low, 2 s_high).
double largest_block_spread(std::span<const SampleStatistics> blocks) {
    const auto h = static_cast<double>(blocks.size());
    double largest = 0.0;
    for (double SampleStatistics::*statistic : {&SampleStatistics::mean, &SampleStatistics::standard_deviation,
                                                &SampleStatistics::low, &SampleStatistics::high}) {
        double sum = 0.0;
        for (const SampleStatistics& block : blocks)
            sum += block.*statistic;
        const double mean = sum / h;
        double squares = 0.0;
        for (const SampleStatistics& block : blocks)
            squares += (block.*statistic - mean) * (block.*statistic - mean);
        const double spread = 2.0 * std::sqrt(squares / (h * (h - 1.0)));
        // Written so that a spread that is not a number is the largest.
        if (!(spread <= largest))
            largest = spread;
    }
    return largest;
}

}  // namespace

std::optional<DecimalFraction> decimal_fraction(double p) {
    if (!(p > 0.0 && p < 1.0))
        return std::nullopt;
    // p = d.ddd x 10^exponent with exponent <= -1: its last digit is at this place after the point.
    const Decimal d = shortest_decimal(p);
    const int places = static_cast<int>(d.count) - 1 - d.exponent;
    if (places > 12)
        return std::nullopt;
    DecimalFraction f;
    for (std::size_t i = 0; i < d.count; ++i)
        f.numerator = f.numerator * 10 + static_cast<std::uint64_t>(d.digits[i] - '0');
    for (int place = 0; place < places; ++place)
        f.denominator *= 10;
    return f;
}

CoverageOrder coverage_order(std::size_t count, double coverage_probability) {
    const std::uint64_t m = count;
    CoverageOrder order;
    const auto p = decimal_fraction(coverage_probability);
    if (p &&
        p->numerator <= (std::numeric_limits<std::uint64_t>::max() - p->denominator) / std::max<std::uint64_t>(m, 1)) {
        order.q = (p->numerator * m + p->denominator / 2) / p->denominator;
    } else {
        // More digits than any coverage probability is written with: the product as the double has it.
        order.q = static_cast<std::uint64_t>(std::floor(coverage_probability * static_cast<double>(m) + 0.5));
    }
    order.q = std::min(order.q, m);
    order.r = (m - order.q + 1) / 2;
    return order;
}

SampleStatistics sample_statistics(std::vector<double>& values,
                                   double coverage_probability,
                                   CoverageInterval interval) {
    SampleStatistics s;
    const std::size_t count = values.size();
    if (count == 0) {
        s.mean = s.standard_deviation = s.low = s.high = std::numeric_limits<double>::quiet_NaN();
        return s;
    }
    // Summed as differences from the first value: more accurate for values
    // close together, and values all equal (every input exact) give that value
    // itself with no spread at all.
    const double shift = values.front();
    double sum = 0.0;
    for (const double y : values)
        sum += y - shift;
    s.mean = shift + sum / static_cast<double>(count);
    double squares = 0.0;
    for (const double y : values)
        squares += (y - s.mean) * (y - s.mean);
    s.standard_deviation = count > 1 ? std::sqrt(squares / static_cast<double>(count - 1)) : 0.0;

    const CoverageOrder order = coverage_order(count, coverage_probability);
    if (interval == CoverageInterval::shortest)
        shortest_interval(values, order.q, s);
    else
        symmetric_interval(values, order, s);
    return s;
}

double pooled_standard_deviation(std::span<const SampleStatistics> blocks) {
    const auto h = static_cast<double>(blocks.size());
    const auto m = static_cast<double>(monte_carlo_block);
    double sum = 0.0;
    for (const SampleStatistics& block : blocks)
        sum += block.mean - blocks[0].mean;
    const double mean = blocks[0].mean + sum / h;
    // The squares of each block about its own mean, then of the block means about the whole mean.
    double squares = 0.0;
    for (const SampleStatistics& block : blocks) {
        const double shift = block.mean - mean;
        squares += (m - 1.0) * block.standard_deviation * block.standard_deviation + m * shift * shift;
    }
    return std::sqrt(squares / (h * m - 1.0));
}

double power_of_ten(int exponent) {
    if (exponent < 0)
        return 1.0 / power_of_ten(-exponent);
    double power = 1.0;
    for (int i = 0; i < exponent; ++i)
        power *= 10.0;  // exact up to 10^22
    return power;
}

std::optional<int> two_digit_exponent(double u) {
    if (!(u > 0.0 && u <= std::numeric_limits<double>::max()))
        return std::nullopt;
    return leading_place(u, 2) - 1;
}

StatedDigits stated_digits(std::span<const SampleStatistics> blocks, double standard_uncertainty, double mean) {
    if (standard_uncertainty == 0.0)
        return {leading_place(mean, 6) - 5, true};
    const std::optional<int> finest = two_digit_exponent(standard_uncertainty);
    if (!finest)
        return {0, false};
    if (blocks.size() < 2)
        return {*finest + 1, false};
    const double spread = largest_block_spread(blocks);
    int exponent = *finest;
    while (!(spread <= power_of_ten(exponent) / 2.0) && exponent < std::numeric_limits<double>::max_exponent10)
        ++exponent;
    return {exponent, exponent == *finest};
}

MonteCarloValidation validate_budget(const BudgetForValidation& budget, double low, double high) {
    MonteCarloValidation v;
    v.budget_low = budget.value - budget.expanded_uncertainty;
    v.budget_high = budget.value + budget.expanded_uncertainty;
    v.d_low = std::abs(v.budget_low - low);
    v.d_high = std::abs(v.budget_high - high);
    const std::optional<int> exponent = two_digit_exponent(budget.standard_uncertainty);
    v.delta = exponent ? power_of_ten(*exponent) / 2.0 : 0.0;
    v.validated = v.d_low <= v.delta && v.d_high <= v.delta;
    return v;
}

}  // namespace kestrane
