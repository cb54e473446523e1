// The reading of a text in the address's words: names from the core's tables
// (alias, prefix, units by any name), percent-decoding as a browser decodes,
// the defaults in the decimal mark asked for, and each problem's exact words.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <string_view>

#include "reading/query_text.h"

namespace kestrane {
namespace {

// Everything a read gave, one line each, for a comparison that shows it all:
// the six field texts (given ones marked *), uncertainties, unit indices of
// the units given, the decimal comma as said, lenient, then each problem.
std::string summary(const QueryText& read) {
    std::string text = "fields:";
    for (std::size_t f = 0; f < field_count; ++f)
        text.append(" [").append(read.fields[f]).append(read.fields_given.test(f) ? "]*" : "]");
    text += "\nuncertainties:";
    for (std::size_t f = 0; f < field_count; ++f)
        text.append(" ").append(read.uncertainties[f] ? "[" + *read.uncertainties[f] + "]" : "-");
    text += "\nunits:";
    for (const UnitKind kind : all_unit_kinds)
        text += read.units_given.test(static_cast<std::size_t>(kind))
                    ? " " + std::to_string(read.units.*info(kind).selection)
                    : " -";
    text += read.decimal_comma ? *read.decimal_comma ? "\ncomma" : "\npoint" : "\nmark unsaid";
    text += read.rules.decimal_comma == read.decimal_comma.value_or(false) ? "" : " (rules differ)";
    text += read.rules.mode == ReadingMode::lenient ? " lenient\n" : "\n";
    for (const std::string& problem : read.problems)
        text.append(problem).append("\n");
    return text;
}

// The dialog's defaults, with a decimal point and with a decimal comma.
constexpr std::string_view point_defaults = "fields: [20.95] [30.00] [30.00] [75] [   0] [ 50]\n";
constexpr std::string_view comma_defaults = "fields: [20,95] [30,00] [30,00] [75] [   0] [ 50]\n";
constexpr std::string_view no_uncertainties = "uncertainties: - - - - - -\n";
constexpr std::string_view no_units = "units: - - -\n";

std::string plain(std::string_view fields, std::string_view rest) {
    return std::string(fields) + std::string(no_uncertainties) + std::string(no_units) + std::string(rest);
}

// "The address has a part that is not written properly: ..." for a part.
std::string malformed(std::string_view part) {
    return plain(point_defaults,
                 "point\nThe address has a part that is not written properly: \"" + std::string(part) + "\".\n");
}

struct Case {
    std::string_view hazard;
    std::string_view text;
    std::string expected;
};

TEST(QueryText, ReadsTheAddressAsThePageDid) {
    const Case cases[] = {
        {"an empty text says nothing, not even the mark", "", plain(point_defaults, "mark unsaid\n")},
        {"empty parts are nothing", "&&&", plain(point_defaults, "point\n")},
        {"the README's address: defaults in the comma, units by their other names",
         "pressure-unit=hPa&altitude=350&u-gas=0.05&decimal-comma&lenient",
         "fields: [20,95] [30,00] [30,00] [75] [350]* [ 50]\nuncertainties: [0.05] - - - - -\nunits: - 4 -\n"
         "comma lenient\n"},
        {"a field given keeps its own mark", "gas=20.95&decimal-comma",
         "fields: [20.95]* [30,00] [30,00] [75] [   0] [ 50]\n" + std::string(no_uncertainties) +
             std::string(no_units) + "comma\n"},
        {"the barometer's second name, for its field and its uncertainty", "barometer=29.5&u-barometer=0.02",
         "fields: [20.95] [30.00] [29.5]* [75] [   0] [ 50]\nuncertainties: - - [0.02] - - -\n" +
             std::string(no_units) + "point\n"},
        {"a unit by another name, in another case, blanks around it",
         "temperature-unit=%20CELSIUS%20&pressure-unit=torr&distance-unit=m",
         std::string(point_defaults) + std::string(no_uncertainties) + "units: 1 1 1\npoint\n"},
        {"a later setting wins; a refused unit leaves the one before",
         "gas=1&gas=2&pressure-unit=atm&pressure-unit=mmgh",
         "fields: [2]* [30.00] [30.00] [75] [   0] [ 50]\n" + std::string(no_uncertainties) +
             "units: - 6 -\npoint\nIn the address: unknown pressure unit \"mmgh\"; use In Hg or inHg, mm Hg or "
             "mmHg or torr, Bar, KPa, hPa or mbar or millibar, psi or psia, atm (any case); did you mean mmHg?\n"},
        {"a unit message with no question ends in a full stop", "distance-unit=parsec",
         plain(point_defaults,
               "point\nIn the address: unknown distance unit \"parsec\"; use Feet or ft, Meters or m "
               "(any case).\n")},
        {"names and values percent-decoded, a plus kept, UTF-8 whole",
         "g%61s=20%2C95&humidity=%2050&altitude=1+2&temperature=20%C2%B5&target-pressure=%F0%9F%98%80",
         "fields: [20,95]* [\xF0\x9F\x98\x80]* [30.00] [20\xC2\xB5]* [1+2]* [ 50]*\n" + std::string(no_uncertainties) +
             std::string(no_units) + "point\n"},
        {"an empty value is an empty text", "altitude=&u-humidity=",
         "fields: [20.95] [30.00] [30.00] [75] []* [ 50]\nuncertainties: - - - - - []\n" + std::string(no_units) +
             "point\n"},
        {"a flag with a value, even an empty one", "decimal-comma=yes&lenient=",
         plain(point_defaults,
               "point\n\"decimal-comma\" in the address takes no value, but has \"yes\".\n"
               "\"lenient\" in the address takes no value, but has \"\".\n")},
        {"a setting with no value", "gas&u-barometer&pressure-unit",
         plain(point_defaults,
               "point\n\"gas\" in the address has no value.\n\"u-barometer\" in the address has no "
               "value.\n\"pressure-unit\" in the address has no value.\n")},
        {"names that are no setting: unknown, a prefix on no field, no name, a flag's prefix",
         "nonsense=1&u-pressure-unit=2&=3&u-lenient&GAS=4",
         plain(point_defaults,
               "point\nThe address names \"nonsense\", which is no setting of this page.\nThe address names "
               "\"u-pressure-unit\", which is no setting of this page.\nThe address names \"\", which is no setting "
               "of this page.\nThe address names \"u-lenient\", which is no setting of this page.\nThe address names "
               "\"GAS\", which is no setting of this page.\n")},
        {"a decoded name is read as its name: an escaped flag", "decimal%2Dcomma", plain(comma_defaults, "comma\n")},
        {"an escape cut short", "gas=20%2", malformed("gas=20%2")},
        {"an escape that is no hex", "gas=%zz", malformed("gas=%zz")},
        {"a bad escape in the name", "g%a=1", malformed("g%a=1")},
        {"an overlong form", "gas=%C0%80", malformed("gas=%C0%80")},
        {"a surrogate", "gas=%ED%A0%80", malformed("gas=%ED%A0%80")},
        {"past U+10FFFF", "gas=%F4%90%80%80", malformed("gas=%F4%90%80%80")},
        {"a lone continuation byte", "gas=%80", malformed("gas=%80")},
        {"a form cut short", "gas=%C2", malformed("gas=%C2")},
        {"a form whose next byte is no continuation", "gas=%C2%41", malformed("gas=%C2%41")},
        {"a five-byte lead", "gas=%F8%88%80%80%80", malformed("gas=%F8%88%80%80%80")},
        {"a form half escaped", "gas=%C2\xB5", malformed("gas=%C2\xB5")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(summary(read_query_text(c.text)), c.expected) << c.hazard << ": " << c.text;
}

// The uncertainty's settings: everything a read gave of them, one line, then each problem.
std::string settings(const QueryText& read) {
    std::string text = "dof:";
    for (const InputUncertainty& input : read.known.inputs)
        text += std::isfinite(input.degrees_of_freedom) ? " " + std::to_string(input.degrees_of_freedom) : " -";
    text += read.coverage_probability ? " coverage " + std::to_string(*read.coverage_probability) : "";
    for (const CorrelationPair& pair : read.known.correlations)
        text += " r(" + std::string(info(pair.first).option) + "," + std::string(info(pair.second).option) +
                ")=" + std::to_string(pair.r);
    if (const auto& mc = read.monte_carlo) {
        text += " mc " + (mc->draws ? std::to_string(*mc->draws) : std::string("auto")) + " " +
                std::string(interval_name(mc->interval)) + " " + std::to_string(mc->seed);
    }
    text += read.query().uncertainty ? " asked\n" : "\n";
    for (const std::string& problem : read.problems)
        text.append(problem).append("\n");
    return text;
}

TEST(QueryText, ReadsTheUncertaintysSettingsAsTheCommandLineDoes) {
    const std::string none = "dof: - - - - - -";
    const std::string seed = std::to_string(default_monte_carlo_seed);
    const Case cases[] = {
        {"degrees of freedom, the barometer's second name too", "dof-gas=4&dof-barometer=12.5",
         "dof: 4.000000 - 12.500000 - - -\n"},
        {"a coverage probability, a later one winning", "coverage=0.9&coverage=0.9973",
         none + " coverage 0.997300\n"},
        {"correlations: the value is all after the first '='",
         "correlation=barometric-pressure,target-pressure=1&correlation=gas,humidity=-0.25",
         none + " r(barometric-pressure,target-pressure)=1.000000 r(gas,humidity)=-0.250000\n"},
        {"Monte Carlo asks for the uncertainty; its interval and seed wherever they stand",
         "seed=7&monte-carlo=auto&interval=shortest", none + " mc auto shortest 7 asked\n"},
        {"the fewest draws at the coverage given after them", "monte-carlo=200000&coverage=0.99",
         none + " coverage 0.990000\nIn the address: monte-carlo 200000 is out of range; use 1000000 to 10000000 "
                "at 99 % coverage, or auto.\n"},
        {"a fixed run at its fewest", "monte-carlo=200000", none + " mc 200000 symmetric " + seed + " asked\n"},
        {"each bad value a problem in the command line's words",
         "dof-gas=0&coverage=1.5&correlation=gas,gas=1&correlation=gas,altitude=2&interval=middle&seed=-1",
         none + "\nIn the address: dof-gas 0 is out of range; use 1 or more (leave it out for infinitely many).\n"
                "In the address: coverage 1.5 is out of range; use 0.5 to 0.9999.\n"
                "In the address: correlation \"gas,gas=1\" names gas twice: a correlation is between two different "
                "fields.\nIn the address: correlation \"gas,altitude=2\": r 2 is out of range; use -1 to 1.\n"
                "In the address: interval \"middle\" is neither symmetric nor shortest.\n"
                "In the address: seed \"-1\" is not a whole number; use 0 to 18446744073709551615.\n"},
        {"a pair named twice, either way round", "correlation=gas,altitude=0.5&correlation=altitude,gas=0.5",
         none + " r(gas,altitude)=0.500000\nIn the address: correlation \"altitude,gas=0.5\" names a pair given "
                "before: give each pair once.\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(settings(read_query_text(c.text)), c.expected) << c.hazard << ": " << c.text;
}

// The page writes each unit by its short name: every one reads back as itself.
TEST(QueryText, EveryUnitsShortNameReadsBackAsItsUnit) {
    for (const UnitKind kind : all_unit_kinds) {
        for (std::size_t i = 0; i < info(kind).units.size(); ++i) {
            const std::string text =
                std::string(info(kind).option) + "=" + std::string(info(kind).units[i].short_name());
            const QueryText read = read_query_text(text);
            EXPECT_TRUE(read.problems.empty()) << text;
            EXPECT_EQ(read.units.*info(kind).selection, static_cast<int>(i)) << text;
        }
    }
}

}  // namespace
}  // namespace kestrane

namespace kestrane {
namespace {

// The check's texts, its rule, the record's fields given and the problems, one line each.
std::string check_and_record(const QueryText& read) {
    std::string text = "check:";
    for (const auto& t : read.check)
        text.append(" ").append(t ? "[" + *t + "]" : "-");
    text.append(" ").append(info(read.decision_rule).name).append("\nrecord:");
    for (const RecordFieldInfo& field : record_field_table) {
        if (const auto& t = read.record[field.field])
            text.append(" ").append(field.name).append("=[").append(*t).append("]");
    }
    text += "\n";
    for (const std::string& problem : read.problems)
        text.append(problem).append("\n");
    return text;
}

// A lab's texts come as the page writes them, encodeURIComponent with its
// commas kept: "&", "=", "%", "+" and anything past ASCII escaped, so that
// none of them splits a part or a name from its value.
TEST(QueryText, ReadsTheCheckAndTheRecord) {
    const Case cases[] = {
        {"CheckByTheOptionsNames",
         "analyzer-reading=20.70&as-left=20.65&u-analyzer=0.01:rectangular&tolerance=0.1&decision-rule=guarded",
         "check: [20.70] [20.65] [0.01:rectangular] [0.1] guarded\nrecord:\n"},
        {"AddressWithCommasAmpersandsEqualsAndUnicode",
         "lab-address=1%20Quay%20St,%20Leith%20%26%20Co%20%3D%20100%25%20%2B%20%C3%85&record-lab-name=Gas%20Lab",
         "check: - - - - simple\nrecord: lab-name=[Gas Lab] lab-address=[1 Quay St, Leith & Co = 100% + \u00c5]\n"},
        {"CharactersPastTheBasicPlane", "customer=%F0%9F%A7%AA%20%E6%B8%AC%E5%AE%9A",
         "check: - - - - simple\nrecord: customer=[\U0001F9EA \u6e2c\u5b9a]\n"},
        // "barometer" is the barometric pressure's second name; the record's is by its option's name.
        {"TheRecordsBarometerByItsOption", "barometer=29.9&record-barometer=digital%2C%20s%2Fn%207",
         "check: - - - - simple\nrecord: barometer=[digital, s/n 7]\n"},
        {"UnknownRule", "decision-rule=strict",
         "check: - - - - simple\nrecord:\nIn the address: \"decision-rule\" is \"strict\", which is neither "
         "\"simple\" nor \"guarded\".\n"},
        {"TwoLines", "operator=A%0AB",
         "check: - - - - simple\nrecord:\nIn the address: operator is more than one line.\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(check_and_record(read_query_text(c.text)), c.expected) << c.hazard;
    const QueryText read = read_query_text("barometer=29.9&record-barometer=x");
    EXPECT_EQ(read.fields[static_cast<std::size_t>(Field::barometric_pressure)], "29.9");
    // A blank text of the check is none: no check is asked for.
    EXPECT_FALSE(read_query_text("analyzer-reading=%20&tolerance=0.1").query().check.asked());
}

}  // namespace
}  // namespace kestrane
