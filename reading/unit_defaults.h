// The dialog's defaults are in the first unit of each list: a field left at
// its default under another unit would be read in a unit it was never meant
// in. Every front end refuses such a reading, naming the fields to give.
#pragma once

#include <bitset>
#include <string>
#include <string_view>
#include <vector>

#include "core/fields.h"
#include "core/units.h"

namespace kestrane {

// The fields of `left` (those at their defaults) whose unit is of `kind` when
// its unit is not the first; none whose default is the same in either unit
// (an altitude of 0).
std::vector<Field> defaults_out_of_unit(UnitKind kind, UnitSelection units, std::bitset<field_count> left);

// "with UNIT, VERB A and B as well: their defaults, 30.00 and 29.92, are in In
// Hg", in the words of the front end: how it names the unit chosen, what the
// user does ("give", "enter"), and each field and its default as it shows them.
std::string defaults_message(std::string_view unit_named,
                             std::string_view verb,
                             const std::vector<std::string>& names,
                             const std::vector<std::string>& defaults,
                             UnitKind kind);

}  // namespace kestrane
