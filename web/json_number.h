// A double in the shortest text that reads back as it, for the page's JSON.
// libc++'s std::to_chars would do it, but brings the tables of its fixed
// notation along: they would nearly double the page's module and slow its
// start, so the digits come from the value's exact expansion here.
#pragma once

#include <string>

namespace kestrane {

// Appends the decimal of fewest significant digits that reads back as value
// (finite, not zero), the nearest of them, and of two as near the one whose
// last digit is even, as JavaScript writes a number: positional, unless an
// exponent makes it shorter ("20.950000762939453", "1e+22", "1.5e-07").
void append_shortest(std::string& out, double value);

}  // namespace kestrane
