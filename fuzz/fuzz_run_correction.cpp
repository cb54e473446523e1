// Fuzzes a whole correction run on random texts and unit selections against a
// decision made here from the written rules: the first field with no number or
// outside its range ends the run with that field's message, written out below;
// a run that passes all six gives four texts, each of the form its format allows.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "core/correction_run.h"

namespace {

// Each field's message and range, in the order the run checks them, as the
// dialog's users know them; the scan itself is fuzzed on its own.
struct FieldRule {
    const char* message;
    bool (*accepts)(double value);
};
constexpr FieldRule kRules[] = {
    {"Error: Gas Percent Outside of Range", [](double v) { return v >= 0 && v <= 100; }},
    {"Error: Target Pressure Outside of Range", [](double v) { return v > 0; }},
    {"Error: Barometric Pressure Outside of Range", [](double v) { return v > 0; }},
    {"Error: Temperature Outside of Range", [](double) { return true; }},
    {"Error: Altitude Outside of Range", [](double v) { return v >= -0.001; }},
    {"Error: Relative Humidity Outside of Range", [](double v) { return v >= -0.0001 && v <= 100; }},
};

// The message the run must end with, or null when every field passes.
const char* expected_message(const kestrane::FieldTexts& texts) {
    for (std::size_t f = 0; f < texts.size(); ++f) {
        const std::optional<double> value = kestrane::scan_field(texts[f]);
        if (!value || !kRules[f].accepts(*value))
            return kRules[f].message;
    }
    return nullptr;
}

// "-?digits.digits" with exactly `decimals` digits after the point, or a C
// runtime word for a value that is not finite.
bool well_formed(const std::string& text, std::size_t decimals) {
    if (text == "inf" || text == "-inf" || text == "nan")
        return true;
    std::size_t i = text[0] == '-' ? 1 : 0;
    const std::size_t point = text.find('.');
    if (point == std::string::npos || point == i)
        return false;
    if (text.size() - point - 1 != decimals)
        return false;
    for (std::size_t k = i; k < text.size(); ++k) {
        if (k != point && (text[k] < '0' || text[k] > '9'))
            return false;
    }
    // No superfluous leading zero: "0.5" but never "00.5".
    return !(text[i] == '0' && point != i + 1);
}

}  // namespace

// Input: three bytes of unit selections, then six texts separated by 0x1F.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3)
        return 0;
    const kestrane::UnitSelection units{static_cast<int>(data[0] % 5) - 1, static_cast<int>(data[1] % 6) - 1,
                                        static_cast<int>(data[2] % 5) - 1};
    const std::string_view rest(reinterpret_cast<const char*>(data + 3), size - 3);
    kestrane::FieldTexts texts{};
    std::size_t start = 0;
    for (std::size_t f = 0; f < texts.size(); ++f) {
        const std::size_t end = std::min(rest.find('\x1F', start), rest.size());
        texts[f] = start <= rest.size() ? rest.substr(start, end - start) : std::string_view{};
        start = end + 1;
    }
    const kestrane::RunOutcome outcome = kestrane::run_correction(texts, units);
    const char* expected = expected_message(texts);
    if (outcome.refused() || expected != nullptr) {
        const std::string got = outcome.refused() ? std::string(outcome.message()) : "four results";
        if (expected == nullptr || got != expected) {
            std::fprintf(stderr, "run gave \"%s\", expected \"%s\"\n", got.c_str(),
                         expected != nullptr ? expected : "four results");
            std::abort();
        }
        return 0;
    }
    const kestrane::ResultTexts& t = outcome.texts();
    if (!well_formed(t.vapor_pressure_pct, 1) || !well_formed(t.corrected_barometer, 2) ||
        !well_formed(t.calculated_gas_pct, 2) || !well_formed(t.calculated_gas_pressure, 2)) {
        std::fprintf(stderr, "malformed result: \"%s\" \"%s\" \"%s\" \"%s\"\n", t.vapor_pressure_pct.c_str(),
                     t.corrected_barometer.c_str(), t.calculated_gas_pct.c_str(), t.calculated_gas_pressure.c_str());
        std::abort();
    }
    return 0;
}
