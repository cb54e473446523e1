// Correlations between a reading's inputs: the matrix of the pairs a user
// names, whether any set of inputs can have them together, and the factor
// that turns uncorrelated deviates into correlated ones.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <vector>

#include "fields.h"

namespace kestrane {

// A correlation coefficient between two different inputs, in [-1, 1].
struct CorrelationPair {
    Field first;
    Field second;
    double r;
};

using CorrelationMatrix = std::array<std::array<double, field_count>, field_count>;

// The full correlation matrix of the pairs, 1 on the diagonal and 0 for every
// pair not named.
CorrelationMatrix correlation_matrix(const std::vector<CorrelationPair>& pairs);

// The lower triangular L with L L^T = R, for a positive semi-definite R (a
// pivot that rounding leaves a hair below zero is taken as zero, and its
// column as zero below it); nullopt when R is not positive semi-definite.
std::optional<CorrelationMatrix> cholesky_factor(const CorrelationMatrix& r);

// The index in pairs of the first pair that, added after those before it,
// leaves the matrix not positive semi-definite (no inputs can have those
// correlations together); nullopt when all of them can hold.
std::optional<std::size_t> impossible_correlation(const std::vector<CorrelationPair>& pairs);

}  // namespace kestrane
