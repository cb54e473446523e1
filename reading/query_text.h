// A reading asked for in a line of text, as the page's address and its
// requests to the core write one: parts split on '&', each a name with its
// value after '=' or a flag alone, both percent-decoded
// ("pressure-unit=hPa&altitude=350&u-gas=0.05&decimal-comma&lenient"). The
// names are the command line's long options, read from the core's tables, so
// a setting is named the same way in a shell and in a link.
#pragma once

#include <array>
#include <bitset>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "evaluate.h"

namespace kestrane {

// What a text asks for, with what it said and what it got wrong: enough to
// correct the reading, and for the page to put the settings of an address
// into its form over the form's own.
struct QueryText {
    // The texts asked for. A field the text does not give keeps the dialog's
    // default written with the decimal mark ("30,00" with a decimal comma); a
    // unit it does not give is the first of its kind.
    std::array<std::string, field_count> fields;
    std::array<std::optional<std::string>, field_count> uncertainties;
    // The uncertainty's settings: degrees of freedom and correlations (in
    // `known`, whose values the uncertainties' texts give), the coverage
    // probability, and Monte Carlo's run when its draws are asked for.
    UncertaintyInputs known;
    std::optional<double> coverage_probability;
    std::optional<MonteCarloRequest> monte_carlo;
    UnitSelection units{};
    ReadingRules rules{};
    // The analyzer's check: its inputs' texts as given, and the rule.
    std::array<std::optional<std::string>, check_input_count> check;
    DecisionRule decision_rule = DecisionRule::simple;
    // The record's fields, by their names ("lab-name=") or as the command
    // line's options name them ("record-lab-name="); the record's barometer
    // only so, as "barometer=" is the barometric pressure.
    Record record;
    std::bitset<field_count> fields_given;
    std::bitset<unit_kind_count> units_given;
    // The decimal comma as the text says it: nothing for an empty text (the
    // page then takes the browser's mark), otherwise whether it names the flag.
    std::optional<bool> decimal_comma;
    // Each part that could not be read, in order, as the page states it:
    // The address names "nonsense", which is no setting of this page.
    std::vector<std::string> problems;

    // The reading asked for, over these texts (which must outlive it): an
    // uncertainty is asked for when one is given; a blank one is none, and
    // so is a blank text of the check.
    ReadingQuery query() const;
};

// Reads a text part by part; a part that cannot be read is a problem and
// changes nothing, and a setting given twice keeps the later (a correlation
// is given once for each pair, and a pair given twice is a problem).
QueryText read_query_text(std::string_view text);

}  // namespace kestrane
