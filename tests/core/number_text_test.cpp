// Number text: the field scan and the fixed-point format, on the cases where
// C runtimes and naive implementations go wrong.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <cfloat>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "core/number_text.h"

namespace kestrane {
namespace {

// A float literal widened, as the scan must give it.
constexpr double f(float value) {
    return static_cast<double>(value);
}

struct ScanCase {
    const char* hazard;
    std::string text;
    std::optional<double> expected;
};

void expect_scans(const ScanCase& c) {
    const std::optional<double> got = scan_field(c.text);
    ASSERT_EQ(got.has_value(), c.expected.has_value())
        << c.hazard << ": text \"" << c.text.substr(0, 60) << "\" gave " << (got ? std::to_string(*got) : "nothing");
    if (got) {
        EXPECT_EQ(*got, *c.expected) << c.hazard << ": text \"" << c.text.substr(0, 60) << "\"";
        EXPECT_EQ(std::signbit(*got), std::signbit(*c.expected)) << c.hazard << ": sign of \"" << c.text << "\"";
    }
}

TEST(ScanField, DecimalForms) {
    const ScanCase cases[] = {
        {"default gas rounds to single precision", "20.95", 20.950000762939453},
        {"negative rounds to single precision", "-0.001", -0.0010000000474974513},
        {"leading blanks", "   0", 0.0},
        {"leading blank", " 50", 50.0},
        {"every C white space", "\t\n\v\f\r 3", 3.0},
        {"trailing junk ignored", "12abc", 12.0},
        {"comma ends the number", "1,5", 1.0},
        {"hex stops at the x", "0x1A", 0.0},
        {"explicit plus", "+7", 7.0},
        {"point first", ".5", 0.5},
        {"negative point first", "-.5", -0.5},
        {"trailing point", "5.", 5.0},
        {"exponent", "1e3", 1000.0},
        {"signed exponent with capital E", "1.5E+2", 150.0},
        {"point then exponent", "1.e2", 100.0},
        {"negative exponent", "25e-1", 2.5},
        {"exponent without digits is not part of it", "12e", 12.0},
        {"exponent sign without digits", "12e+", 12.0},
        {"exponent minus without digits", "12e-x", 12.0},
        {"negative zero keeps its sign", "-0", -0.0},
        {"exactly 100 after rounding", "100.000001", 100.0},
        {"just above 100", "100.0001", f(100.0001f)},
        {"leading zeros", "00000000000000000000000000000000000000000000000001", 1.0},
        {"many digits after the point", "20.9500000000000000000000000000000000000000000001", f(20.95f)},
        {"thirty zeros", "1000000000000000000000000000000", f(1e30f)},
    };
    for (const auto& c : cases)
        expect_scans(c);
}

TEST(ScanField, NoNumberAtTheStart) {
    const char* texts[] = {"",
                           "   ",
                           "abc",
                           "inf",
                           "INF",
                           "-inf",
                           "nan",
                           "NaN",
                           "infinity",
                           "-",
                           "+",
                           ".",
                           "-.",
                           "+-1",
                           "e5",
                           ".e5",
                           "x12",
                           "\xC2\xA0"
                           "5" /* no-break space is not C white space */};
    for (const char* text : texts) {
        EXPECT_FALSE(scan_field(text).has_value()) << "text \"" << text << "\"";
        EXPECT_EQ(number_prefix_length(text), 0u) << "text \"" << text << "\"";
    }
}

TEST(ScanField, FloatRangeLimits) {
    const ScanCase cases[] = {
        {"largest float", "3.4028235e38", f(FLT_MAX)},
        {"just under half an ulp above the largest float", "3.4028235677973366e38", f(FLT_MAX)},
        // The exact midpoint rounds to even, which is infinity: too large.
        {"midpoint above the largest float", "340282356779733661637539395458142568448", std::nullopt},
        {"too large", "1e39", std::nullopt},
        {"too large and negative", "-1e39", std::nullopt},
        {"absurd exponent", "1e99999999999999999999", std::nullopt},
        {"ten thousand digits", std::string(10000, '1'), std::nullopt},
        {"smallest subnormal", "1.4e-45", f(std::numeric_limits<float>::denorm_min())},
        {"just above half the smallest subnormal", "7.1e-46", f(std::numeric_limits<float>::denorm_min())},
        // 2^-150 exactly: a tie between 0 and the smallest subnormal goes to even, 0.
        {"half the smallest subnormal",
         "7.00649232162408535461864791644958065640130970938257885878534141944895541342930300743319094181060791015625e-"
         "46",
         0.0},
        {"subnormal", "1e-40", f(1e-40f)},
        {"underflows to zero", "1e-46", 0.0},
        {"underflows to negative zero", "-1e-50", -0.0},
        {"absurd negative exponent", "1e-99999999999999999999", 0.0},
        {"zero with absurd exponent", "0e99999999999999999999", 0.0},
        {"long run of zeros after the point", "0." + std::string(5000, '0') + "1", 0.0},
    };
    for (const auto& c : cases)
        expect_scans(c);
}

TEST(ScanField, PrefixLength) {
    const std::pair<const char*, std::size_t> cases[] = {
        {"  -12.5e3xyz", 9}, {"12e+", 2}, {"0x1A", 1}, {"abc", 0}, {"1e39", 4}, {" 20.95 %", 6},
    };
    for (const auto& [text, length] : cases) {
        EXPECT_EQ(number_prefix_length(text), length) << "text \"" << text << "\"";
        std::size_t scanned = 99;
        scan_field(text, scanned);
        EXPECT_EQ(scanned, length) << "text \"" << text << "\"";
    }
}

// The short way of the scan against the general way it stands in for: the
// same value, to the bit, and the same length, at the short way's limits and
// just past them (where the general way reads the text).
TEST(ScanField, ShortWayAgreesWithGeneralWay) {
    const struct {
        const char* hazard;
        std::string_view text;
        double expected;
        std::size_t length;
    } cases[] = {
        {"plain decimal", "20.95", f(20.95f), 5},
        {"integer", "1013", 1013.0, 4},
        {"2^24 - 1, the largest integer of the short way", "16777215", 16777215.0, 8},
        {"2^24 + 1, a tie between floats: to even", "16777217", 16777216.0, 8},
        {"2^24 + 3, a tie between floats: to even, upward", "16777219", 16777220.0, 8},
        {"a tie with a point", "1677721.7", f(1677721.7f), 9},
        {"ten decimals, the most of the short way", "0.0000000001", f(1e-10f), 12},
        {"eleven decimals", "0.00000000001", f(1e-11f), 13},
        {"nineteen digits", "0000000000000000001", 1.0, 19},
        {"twenty digits", "00000000000000000001", 1.0, 20},
        {"negative zero", "-0", -0.0, 2},
        {"negative zero with a point", "-0.0", -0.0, 4},
        {"plus sign", "+5", 5.0, 2},
        {"point last", "5.", 5.0, 2},
        {"point first, negative", "-.5", -0.5, 3},
        {"exponent", "25e-1", 2.5, 5},
        {"exponent letter without digits", "12E+", 12.0, 2},
        {"the decimal comma ends the number", "20,95", 20.0, 2},
        {"percent after the number", "55.5%", 55.5, 4},
        {"blank before the number", " 30.00", 30.0, 6},
    };
    for (const auto& c : cases) {
        std::size_t length = 99;
        const std::optional<double> got = scan_field(c.text, length);
        std::size_t exact_length = 99;
        const std::optional<double> exact = detail::scan_field_exact(c.text, exact_length);
        ASSERT_TRUE(got.has_value() && exact.has_value()) << c.hazard << ": \"" << c.text << "\"";
        EXPECT_EQ(std::bit_cast<std::uint64_t>(*got), std::bit_cast<std::uint64_t>(c.expected))
            << c.hazard << ": \"" << c.text << "\" gave " << *got;
        EXPECT_EQ(std::bit_cast<std::uint64_t>(*got), std::bit_cast<std::uint64_t>(*exact)) << c.hazard;
        EXPECT_EQ(length, c.length) << c.hazard;
        EXPECT_EQ(length, exact_length) << c.hazard;
    }
}

// The short way of the fixed format against the general way: the same text
// at its limits (2^53, three decimals, a width of 24) and past them, with
// room for its sixteen-byte copy and with only the text's own room.
TEST(WriteFormatted, ShortWayAgreesWithGeneralWay) {
    const struct {
        const char* hazard;
        double value;
        FixedFormat format;
        const char* expected;
    } cases[] = {
        {"tie at two decimals", 0.125, "%3.2f", "0.13"},
        {"negative tie", -0.125, "%3.2f", "-0.13"},
        {"below the tie", 1.005, "%3.2f", "1.00"},
        {"tie at no decimals", 2.5, "%.0f", "3"},
        {"carry to a new digit", 99.95, "%3.1f", "100.0"},
        {"three decimals", 0.0005, "%.3f", "0.001"},
        {"four decimals: the general way", 0.00005, "%.4f", "0.0001"},
        {"negative rounds to zero", -0.0001, "%3.1f", "-0.0"},
        {"negative zero", -0.0, "%3.2f", "-0.00"},
        {"smallest subnormal", 5e-324, "%3.2f", "0.00"},
        {"padded", 1.5, "%8.3f", "   1.500"},
        {"width 24", 1.5, "%24.1f", "                     1.5"},
        {"width 25: the general way", 1.5, "%25.1f", "                      1.5"},
        {"longer than sixteen bytes", 9007199254740991.0, "%3.2f", "9007199254740991.00"},
        {"2^53: the general way", 9007199254740992.0, "%3.2f", "9007199254740992.00"},
        {"tie just below 2^52", 4503599627370495.5, "%.0f", "4503599627370496"},
        {"more than 32 bits scaled", 123456789.125, "%3.2f", "123456789.13"},
        {"flag: the general way", 2.5, "%+.1f", "+2.5"},
    };
    for (const auto& c : cases) {
        std::string exact;
        detail::append_formatted_exact(exact, c.value, c.format);
        EXPECT_EQ(exact, c.expected) << c.hazard;
        EXPECT_EQ(format_value(c.value, c.format), c.expected) << c.hazard;
        for (const std::size_t room : {std::strlen(c.expected), std::size_t{64}}) {
            char buffer[64];
            const char* end = write_formatted(buffer, buffer + room, c.value, c.format);
            ASSERT_NE(end, nullptr) << c.hazard << " in " << room << " bytes";
            EXPECT_EQ(std::string(static_cast<const char*>(buffer), end), c.expected) << c.hazard << " in " << room;
        }
    }
}

// The same text as format_value, written into a buffer only where it fits whole.
TEST(WriteFormatted, WholeTextOrNothing) {
    const struct {
        double value;
        FixedFormat format;
        std::size_t room;
        const char* expected;  // nullptr: does not fit
    } cases[] = {
        {20.64, "%3.2f", 5, "20.64"},
        {20.64, "%3.2f", 4, nullptr},
        {-0.0, "%3.1f", 8, "-0.0"},
        {0.5, "%4.0f", 8, "   1"},
        {1e20, "%3.2f", 30, "100000000000000000000.00"},  // past 2^53: the general path
        {std::numeric_limits<double>::infinity(), "%3.1f", 8, "inf"},
        {1e300, "%.2f", 40, nullptr},
    };
    for (const auto& c : cases) {
        char buffer[64];
        std::fill(std::begin(buffer), std::end(buffer), 'x');
        const char* end = write_formatted(buffer, buffer + c.room, c.value, c.format);
        if (c.expected == nullptr) {
            EXPECT_EQ(end, nullptr) << c.value;
            EXPECT_EQ(buffer[0], 'x') << c.value;
        } else {
            ASSERT_NE(end, nullptr) << c.value;
            EXPECT_EQ(std::string(static_cast<const char*>(buffer), end), c.expected) << c.value;
        }
    }
}

TEST(TrimBlanks, CWhiteSpaceAtEitherEnd) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"", ""}, {" \t\r\n\v\f", ""}, {"  50 ", "50"}, {"\t5 0\n", "5 0"}, {"x", "x"},
    };
    for (const auto& [text, trimmed] : cases)
        EXPECT_EQ(trim_blanks(text), trimmed) << "text \"" << text << "\"";
}

struct FormatCase {
    const char* hazard;
    double value;
    const char* format;
    std::string expected;
};

TEST(FormatValue, FixedPoint) {
    const std::string one_e300 =
        "1000000000000000052504760255204420248704468581108159154915854115511802457988908195786371375080447864043704443"
        "8328838781769425232353604305756447921847867069828483872009265758037378302337947880900593689532349707999450811"
        "19038967640880074652742780142494579258788820056842838115669472196386865459400540160.00";
    const FormatCase cases[] = {
        {"default gas", 20.95, "%2.2f", "20.95"},
        {"default pressure", 30.0, "%3.2f", "30.00"},
        {"default temperature", 75.0, "%2.0f", "75"},
        {"default altitude pads to width 4", 0.0, "%4.0f", "   0"},
        {"default humidity pads to width 3", 50.0, "%3.0f", " 50"},
        {"wider than needed", 1.5, "%8.3f", "   1.500"},
        {"width shorter than the text", 12345.678, "%3.2f", "12345.68"},
        {"value below one", 0.05, "%3.2f", "0.05"},
        // Ties on the exact decimal expansion go away from zero.
        {"tie at two decimals", 20.125, "%3.2f", "20.13"},
        {"tie below one", 0.125, "%3.2f", "0.13"},
        {"negative tie", -0.125, "%3.2f", "-0.13"},
        {"tie at one decimal", 0.25, "%3.1f", "0.3"},
        {"tie at no decimals", 2.5, "%.0f", "3"},
        {"half rounds to one", 0.5, "%.0f", "1"},
        {"negative tie at no decimals", -2.5, "%.0f", "-3"},
        {"tie beyond the fast path", 2251799813685248.5, "%.0f", "2251799813685249"},
        // Values that look like ties but are not, once written exactly.
        {"2.675 is below the tie", 2.675, "%.2f", "2.67"},
        {"1.005 is below the tie", 1.005, "%.2f", "1.00"},
        {"9.995 is below the tie", 9.995, "%.2f", "9.99"},
        {"0.95 is below the tie", 0.95, "%3.1f", "0.9"},
        {"0.05 is above the tie", 0.05, "%3.1f", "0.1"},
        // Carries through every digit.
        {"carry to a new digit", 9.9951, "%3.2f", "10.00"},
        {"99.95 is above the tie and carries", 99.95, "%3.1f", "100.0"},
        {"carry to one", 0.999, "%3.2f", "1.00"},
        // The sign of a negative value is kept when it rounds to zero.
        {"negative rounds to zero", -0.0001, "%3.1f", "-0.0"},
        {"small negative at two decimals", -0.004, "%3.2f", "-0.00"},
        {"negative zero", -0.0, "%3.2f", "-0.00"},
        {"small positive", 0.004, "%3.2f", "0.00"},
        // Long texts: the whole exact expansion.
        {"largest float", f(FLT_MAX), "%3.2f", "340282346638528859811704183484516925440.00"},
        {"1e300", 1e300, "%3.2f", one_e300},
        {"long precision", 0.1, "%.30f", "0.100000000000000005551115123126"},
        {"smallest subnormal double", std::numeric_limits<double>::denorm_min(), "%3.2f", "0.00"},
        {"negative smallest subnormal", -std::numeric_limits<double>::denorm_min(), "%3.1f", "-0.0"},
        // Not finite.
        {"infinity", std::numeric_limits<double>::infinity(), "%3.2f", "inf"},
        {"negative infinity", -std::numeric_limits<double>::infinity(), "%3.2f", "-inf"},
        {"not a number", std::numeric_limits<double>::quiet_NaN(), "%3.1f", "nan"},
        {"negative not a number", -std::numeric_limits<double>::quiet_NaN(), "%3.1f", "nan"},
        {"infinity padded with blanks", std::numeric_limits<double>::infinity(), "%05.1f", "  inf"},
        // Flags.
        {"plus flag", 1.0, "%+.1f", "+1.0"},
        {"space flag", 1.0, "% .1f", " 1.0"},
        {"left-justified", 1.0, "%-6.1f", "1.0   "},
        {"zero padding after the sign", -1.0, "%06.1f", "-001.0"},
        {"point kept at precision 0", 3.0, "%#.0f", "3."},
        {"empty precision is 0", 2.5, "%.f", "3"},
        {"default precision is 6", 1.0 / 3.0, "%f", "0.333333"},
    };
    for (const auto& c : cases) {
        const auto format = FixedFormat::parse(c.format);
        ASSERT_TRUE(format.has_value()) << "format " << c.format;
        EXPECT_EQ(format_value(c.value, *format), c.expected)
            << c.hazard << ": value " << c.value << ", format " << c.format;
    }
}

// The exact expansion of the smallest subnormal double has 1074 decimals.
TEST(FormatValue, SmallestSubnormalInFull) {
    const std::string text = format_value(std::numeric_limits<double>::denorm_min(), *FixedFormat::parse("%.1074f"));
    ASSERT_EQ(text.size(), 1076u);
    EXPECT_EQ(text.substr(0, 12), "0.0000000000");
    EXPECT_EQ(text.substr(text.size() - 30), "538682506419718265533447265625");
}

TEST(FormatValue, AppendsWithoutDisturbingWhatIsThere) {
    std::string out = "x=";
    append_formatted(out, 1.25, "%5.1f");
    EXPECT_EQ(out, "x=  1.3");
}

TEST(FixedFormatParse, AcceptsOnlyOneFixedConversion) {
    const char* accepted[] = {"%f", "%3.2f", "%.f", "%-+ 0#12.4f", "%9999.9999f"};
    for (const char* text : accepted)
        EXPECT_TRUE(FixedFormat::parse(text).has_value()) << text;
    const char* refused[] = {"", "3.2f", "%", "%3.2d", "%3.2fx", "x%3.2f", "%3.2", "%10000f", "%.10000f", "%*f", "%lf"};
    for (const char* text : refused)
        EXPECT_FALSE(FixedFormat::parse(text).has_value()) << text;
}

TEST(FixedFormatParse, Fields) {
    const auto format = FixedFormat::parse("%-+08.3f");
    ASSERT_TRUE(format.has_value());
    EXPECT_TRUE(format->left_justify);
    EXPECT_TRUE(format->plus_sign);
    EXPECT_TRUE(format->zero_pad);
    EXPECT_EQ(format->width, 8);
    EXPECT_EQ(format->precision, 3);
}

}  // namespace
}  // namespace kestrane
