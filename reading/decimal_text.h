// Numbers a user typed, written back as typed: a correlation coefficient, a
// coverage probability, degrees of freedom.
#pragma once

#include <string>

namespace kestrane {

// The shortest decimal that reads back as value, in plain notation with no
// exponent and no trailing zeros: 0.9 "0.9", -1 "-1", 1e6 "1000000". For a
// finite value.
std::string plain_decimal_text(double value);

// A probability as a per cent in its shortest digits: 0.95 "95", 0.9973 "99.73".
std::string percent_text(double probability);

}  // namespace kestrane
