// The reading of a text in the address's words: names from the core's tables
// (alias, prefix, units by any name), percent-decoding as a browser decodes,
// the defaults in the decimal mark asked for, and each problem's exact words.
#include <gtest/gtest.h>

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
