// The dialog and kestrane-cli give the same answer to the same reading: generated
// readings (plausible values in every unit, values on the edges of the checks and
// hostile texts) are corrected by one run of kestrane-cli --csv and then entered
// into the real Kestrane.exe one by one. Each press must show the same message, or
// the same four results. The generator's seed is fixed, so every run checks the
// same readings; KESTRANE_SEED sets another one, and the seed is printed so that
// a failing run can be repeated exactly.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "companion.h"
#include "driver.h"

namespace {

using gui::Reading;
using gui::visible;

constexpr std::size_t case_count = 500;
constexpr std::size_t failure_limit = 10;  // a broken build stops after this many, not after 500 waits
const std::wstring marker = L"<not written>";

// The seed when KESTRANE_SEED gives none.
constexpr std::uint64_t default_seed = 1;

std::uint64_t seed_of_run() {
    if (const char* given = std::getenv("KESTRANE_SEED"); given && *given)
        return std::strtoull(given, nullptr, 0);
    return default_seed;
}

// Characters outside ASCII that the dialog's ANSI code page holds, so that its
// ANSI text is the same text the companion reads as UTF-8. A character the code
// page lacks would reach the dialog as a stand-in ("?", or a look-alike such as
// "-" for a minus sign), which is a different text, so those are left out.
std::vector<std::wstring> representable(const std::vector<std::wstring>& candidates, std::string& dropped) {
    std::vector<std::wstring> kept;
    for (const auto& c : candidates) {
        BOOL defaulted = FALSE;
        char bytes[8] = {};
        const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, c.c_str(), static_cast<int>(c.size()), bytes,
                                          sizeof bytes, nullptr, &defaulted);
        if (n > 0 && !defaulted)
            kept.push_back(c);
        else
            dropped += " " + visible(c);
    }
    return kept;
}

// Readings from one seed. Each field of a plausible reading is a decimal number in
// the range its unit makes likely, sometimes in exponent form or with blanks or
// text around it; about half the readings take one to three texts meant to break
// the scan or a check instead.
class Generator {
public:
    Generator(std::uint64_t seed, std::vector<std::wstring> foreign) : rng_(seed), foreign_(std::move(foreign)) {}

    Reading next() {
        Reading r;
        for (std::size_t list = 0; list < 3; ++list)
            r.units[list] = static_cast<int>(below(list == 1 ? 4 : 2));
        for (std::size_t f = 0; f < 6; ++f)
            r.fields[f] = plausible(f, r.units);
        const auto kind = below(100);
        if (kind >= 50 && kind < 65) {
            const auto f = below(6);
            r.fields[f] = pick(edges_[f]);
        } else if (kind >= 65) {
            for (auto n = 1 + below(3); n > 0; --n)
                r.fields[below(6)] = hostile();
        }
        return r;
    }

private:
    std::uint64_t below(std::uint64_t n) { return rng_() % n; }
    template <class List>
    std::wstring pick(const List& list) {
        return list[below(std::size(list))];
    }

    // lo and hi in hundredths, by field and (for the fields with a unit) unit index.
    std::wstring plausible(std::size_t field, const std::array<int, 3>& units) {
        struct Range {
            long long lo, hi;
        };
        static const Range temperature[] = {{-4000, 12000}, {-4000, 5000}};
        static const Range pressure[] = {{2000, 3200}, {50000, 82000}, {60, 110}, {6000, 11000}};
        static const Range distance[] = {{0, 1500000}, {0, 450000}};
        Range range{0, 10000};  // gas and humidity, per cent
        if (field == 1 || field == 2)
            range = pressure[units[1]];
        else if (field == 3)
            range = temperature[units[0]];
        else if (field == 4)
            range = distance[units[2]];
        const long long hundredths =
            range.lo + static_cast<long long>(below(static_cast<std::uint64_t>(range.hi - range.lo + 1)));
        std::wstring text = decimal(hundredths, static_cast<int>(below(4)));
        switch (below(20)) {
            case 0: text = L" " + text; break;
            case 1: text = L"   " + text; break;
            case 2: text += L" "; break;
            case 3: text = L"\t" + text; break;
            case 4: text += pick(foreign_); break;
            case 5: text += L"abc"; break;
            default: break;
        }
        return text;
    }

    // hundredths / 100 written with the given number of decimals (extra ones are
    // random digits), or as whole digits with a negative exponent.
    std::wstring decimal(long long hundredths, int decimals) {
        const bool negative = hundredths < 0;
        const unsigned long long magnitude = static_cast<unsigned long long>(negative ? -hundredths : hundredths);
        std::wstring digits = std::to_wstring(magnitude / 100);
        std::wstring fraction = std::to_wstring(100 + magnitude % 100).substr(1);
        while (fraction.size() < static_cast<std::size_t>(decimals))
            fraction += static_cast<wchar_t>(L'0' + below(10));
        fraction.resize(static_cast<std::size_t>(decimals));
        std::wstring text;
        if (below(10) == 0 && decimals > 0)
            text = (digits == L"0" ? L"" : digits) + fraction + L"e-" + std::to_wstring(decimals);
        else
            text = decimals == 0 ? digits : digits + L"." + fraction;
        return (negative ? L"-" : (below(15) == 0 ? L"+" : L"")) + text;
    }

    std::wstring hostile() {
        static const wchar_t* const fixed[] = {
            L"",          L" ",     L"   ",     L"\t",    L"\t \t", L"+",     L"-",     L".",
            L"+.",        L"-.",    L"+-5",     L"--5",   L"e5",    L"E",     L"1e",    L"1e+",
            L"1E-",       L"2.5e1", L"2.5E+01", L"7e-3",  L"3e-50", L"1e39",  L"-1e39", L"3.4028236e38",
            L"1e-46",     L"0x1A",  L"0X10",    L"0x",    L"0x1p4", L"inf",   L"-inf",  L"INF",
            L"+Infinity", L"nan",   L"NaN(1)",  L"1,5",   L"1.2.3", L"..5",   L"12abc", L"abc12",
            L" \t 42",    L"\v7",   L"\f7",     L"\"5\"", L"'5'",   L"5,5\"", L"\\5",   L"%d%s",
            L"-0",        L"+0.",   L".5",      L"5."};
        switch (below(5)) {
            case 0: return pick(foreign_) + (below(2) ? L"12" : L"");
            case 1: return L"1" + pick(foreign_) + L"2";
            case 2: return long_digits();
            default: return fixed[below(std::size(fixed))];
        }
    }

    // Runs of digits far longer than a float holds: some round to a plain value,
    // some overflow and some underflow.
    std::wstring long_digits() {
        const auto length = 40 + below(1200);
        std::wstring text;
        switch (below(4)) {
            case 0: text = L"0." + std::wstring(length, L'0') + L"1"; break;
            case 1: text = std::wstring(length, L'0') + L"25"; break;
            case 2: text = L"4." + std::wstring(length, L'9'); break;
            default:
                for (std::uint64_t i = 0; i < length; ++i)
                    text += static_cast<wchar_t>(L'0' + below(10));
        }
        return text;
    }

    std::mt19937_64 rng_;
    std::vector<std::wstring> foreign_;
    // Texts on either side of each field's check.
    const std::vector<std::wstring> edges_[6] = {
        {L"0", L"-0", L"100", L"100.000001", L"100.0001", L"-0.0000001", L"-1e-46"},
        {L"0", L"-0", L"-1", L"1e-45", L"1e-40"},
        {L"0", L"-0", L"-30", L"1e-45", L"1e-38"},
        {L"-418", L"-418.2", L"-214.444", L"-459.67", L"1e30", L"-1e30"},
        {L"-0.001", L"-0.0005", L"-0.00099", L"-0", L"1e30"},
        {L"-0.0001", L"-0.0002", L"100", L"100.000001", L"100.0001", L"-0"},
    };
};

std::string describe(const Reading& r, const std::array<std::vector<std::wstring>, 3>& units) {
    std::string out;
    for (const auto& f : r.fields)
        out += "\"" + visible(f) + "\" ";
    for (std::size_t list = 0; list < 3; ++list)
        out += "[" + visible(units[list][static_cast<std::size_t>(r.units[list])]) + "]";
    return out;
}

TEST(KestraneAgreement, EveryPressShowsWhatTheCompanionPrints) {
    const std::uint64_t seed = seed_of_run();
    std::printf("KESTRANE_SEED=%llu (set it to repeat this run)\n", static_cast<unsigned long long>(seed));
    const std::string replay = "KESTRANE_SEED=" + std::to_string(seed);

    std::string dropped;
    const auto foreign = representable(
        {L"\u00e9", L"\u00b0", L"\u00b5", L"\u00b2", L"\u00bd", L"\u00df", L"\u00ab", L"\u00fc", L"\u00a0"}, dropped);
    std::printf("ANSI code page %u; characters outside it left out:%s\n", GetACP(),
                dropped.empty() ? " none" : dropped.c_str());
    ASSERT_GE(foreign.size(), 4u) << "too few non-ASCII characters in code page " << GetACP() << ":" << dropped;

    gui::Session s(gui::windows_path(KESTRANE_EXE));
    ASSERT_TRUE(s.started()) << "Kestrane.exe did not show its dialog: " << visible(s.start_failure());
    std::array<std::vector<std::wstring>, 3> unit_texts;
    for (std::size_t list = 0; list < 3; ++list)
        unit_texts[list] = s.entries(gui::control::lists[list]);
    ASSERT_EQ(unit_texts[0].size(), 2u);
    ASSERT_EQ(unit_texts[1].size(), 4u);
    ASSERT_EQ(unit_texts[2].size(), 2u);

    Generator generator(seed, foreign);
    std::vector<Reading> readings;
    for (std::size_t i = 0; i < case_count; ++i)
        readings.push_back(generator.next());
    std::string failure;
    const auto answers = gui::ask_companion(gui::windows_path(KESTRANE_CLI_EXE), unit_texts, readings, failure);
    ASSERT_EQ(answers.size(), readings.size()) << replay << ": " << failure;

    std::size_t failures = 0, messages = 0;
    std::array<std::array<std::size_t, 4>, 3> unit_uses{};
    for (std::size_t i = 0; i < readings.size() && failures < failure_limit; ++i) {
        const Reading& r = readings[i];
        const gui::Answer& expected = answers[i];
        const std::string where = replay + ", case " + std::to_string(i) + ": " + describe(r, unit_texts);
        gui::enter(s, r, marker);
        for (std::size_t list = 0; list < 3; ++list)
            ++unit_uses[list][static_cast<std::size_t>(r.units[list])];

        const bool refused = !expected.error.empty();
        messages += refused;
        const gui::PressOutcome shown = s.press_execute(refused);
        std::array<std::wstring, 4> results;
        for (std::size_t k = 0; k < 4; ++k)
            results[k] = s.text(gui::control::results[k]);
        const std::array<std::wstring, 4> unwritten = {marker, marker, marker, marker};
        const auto& wanted = refused ? unwritten : expected.results;

        bool same = shown.answered && shown.box == refused && shown.message == expected.error && results == wanted;
        if (!same) {
            ++failures;
            std::string seen = shown.answered ? "" : "the dialog stopped answering; ";
            seen += shown.box ? "message box \"" + visible(shown.message) + "\"" : "no message box";
            seen += ", results";
            for (const auto& t : results)
                seen += " \"" + visible(t) + "\"";
            std::string want =
                refused ? "message box \"" + visible(expected.error) + "\", results unwritten" : "results";
            if (!refused) {
                for (const auto& t : expected.results)
                    want += " \"" + visible(t) + "\"";
            }
            ADD_FAILURE() << where << "\n  kestrane-cli: " << want << "\n  dialog shows: " << seen;
        }
        if (shown.box && shown.boxes != 1) {
            ++failures;
            ADD_FAILURE() << where << ": " << shown.boxes << " windows open with the message box";
        }
        if (!shown.answered)
            break;
    }
    ASSERT_LT(failures, failure_limit) << replay << ": stopped after " << failures << " disagreements";
    ASSERT_TRUE(s.running()) << replay << ": Kestrane.exe ended during the run";

    // The generator must keep reaching both outcomes and every unit, or agreeing proves little.
    std::printf("%zu cases: %zu messages, %zu results\n", readings.size(), messages, readings.size() - messages);
    EXPECT_GE(messages, case_count / 5) << replay;
    EXPECT_GE(readings.size() - messages, case_count / 3) << replay;
    const std::size_t unit_counts[3] = {2, 4, 2};
    for (std::size_t list = 0; list < 3; ++list) {
        for (std::size_t u = 0; u < unit_counts[list]; ++u)
            EXPECT_GT(unit_uses[list][u], 0u) << replay << ": unit " << visible(unit_texts[list][u]) << " never chosen";
    }
}

}  // namespace
