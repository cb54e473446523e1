#include "names.h"

#include <algorithm>
#include <vector>

namespace kestrane {
namespace {

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The edit distance of a and b, ignoring case: letters changed, added, removed,
// or two neighbours swapped, each counting one.
std::size_t edit_distance(std::string_view a, std::string_view b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i)
        d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j)
        d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t change = lower(a[i - 1]) == lower(b[j - 1]) ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + change});
            if (i > 1 && j > 1 && lower(a[i - 1]) == lower(b[j - 2]) && lower(a[i - 2]) == lower(b[j - 1]))
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[a.size()][b.size()];
}

std::string_view without_dashes(std::string_view name) {
    while (!name.empty() && name.front() == '-')
        name.remove_prefix(1);
    return name;
}

}  // namespace

bool same_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

std::string_view nearest_name(std::string_view typed, std::span<const std::string_view> candidates) {
    const std::string_view word = without_dashes(typed);
    std::string_view best;
    std::size_t best_distance = 3;  // at most two edits away
    for (const std::string_view candidate : candidates) {
        const std::string_view other = without_dashes(candidate);
        const std::size_t distance = edit_distance(word, other);
        // Half the letters wrong is another word, not a slip.
        if (distance < best_distance && 2 * distance < std::max(word.size(), other.size())) {
            best = candidate;
            best_distance = distance;
        }
    }
    return best;
}

}  // namespace kestrane
