// Names as people type them: compared without regard to case, and the nearest
// of a list to a name that was mistyped.
#pragma once

#include <span>
#include <string_view>

namespace kestrane {

// Whether a and b are the same but for the case of ASCII letters.
bool same_ignoring_case(std::string_view a, std::string_view b);

// The name among candidates nearest to what was typed, ignoring case and the
// dashes before an option, when it is near enough to be what was meant (one
// or two letters wrong, missing, extra or swapped); empty when none is.
std::string_view nearest_name(std::string_view typed, std::span<const std::string_view> candidates);

}  // namespace kestrane
