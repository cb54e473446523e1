#include "correlation.h"

#include <cmath>

namespace kestrane {
namespace {

// How far below zero a pivot may fall by rounding alone and still count as
// zero: the matrix's entries are at most 1, so its rounding errors are a few
// units of the last place of 1.
constexpr double pivot_tolerance = 1e-12;

}  // namespace

CorrelationMatrix correlation_matrix(const std::vector<CorrelationPair>& pairs) {
    CorrelationMatrix r{};
    for (std::size_t i = 0; i < field_count; ++i)
        r[i][i] = 1.0;
    for (const CorrelationPair& pair : pairs) {
        const auto a = static_cast<std::size_t>(pair.first);
        const auto b = static_cast<std::size_t>(pair.second);
        r[a][b] = r[b][a] = pair.r;
    }
    return r;
}

std::optional<CorrelationMatrix> cholesky_factor(const CorrelationMatrix& r) {
    CorrelationMatrix l{};
    for (std::size_t j = 0; j < field_count; ++j) {
        double pivot = r[j][j];
        for (std::size_t k = 0; k < j; ++k)
            pivot -= l[j][k] * l[j][k];
        if (pivot < -pivot_tolerance)
            return std::nullopt;
        const double diagonal = pivot > pivot_tolerance ? std::sqrt(pivot) : 0.0;
        l[j][j] = diagonal;
        for (std::size_t i = j + 1; i < field_count; ++i) {
            double sum = r[i][j];
            for (std::size_t k = 0; k < j; ++k)
                sum -= l[i][k] * l[j][k];
            if (diagonal != 0.0) {
                l[i][j] = sum / diagonal;
            } else if (std::abs(sum) > pivot_tolerance) {
                // Input j is a combination of those before it, and input i is
                // correlated with it otherwise than through them: impossible.
                return std::nullopt;
            }
        }
    }
    return l;
}

std::optional<std::size_t> impossible_correlation(const std::vector<CorrelationPair>& pairs) {
    std::vector<CorrelationPair> so_far;
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        so_far.push_back(pairs[i]);
        if (!cholesky_factor(correlation_matrix(so_far)))
            return i;
    }
    return std::nullopt;
}

}  // namespace kestrane
