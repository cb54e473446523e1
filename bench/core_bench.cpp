// Speed of one correction run on the dialog's default texts, against the same
// run written the classic way: sscanf("%f") to read and snprintf to write.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "core/correction_run.h"

namespace {

using kestrane::FieldTexts;
using kestrane::UnitSelection;

const FieldTexts default_texts = {"20.95", "30.00", "30.00", "75", "   0", " 50"};

// The baseline: the C library's scanning and printing around the same arithmetic.
struct ClassicOutcome {
    int refused_field = -1;
    std::string texts[4];
};

ClassicOutcome classic_run(const std::string (&texts)[6], UnitSelection selection) {
    ClassicOutcome outcome;
    double values[6];
    for (int i = 0; i < 6; ++i) {
        float f = 0.0f;
        if (std::sscanf(texts[i].c_str(), "%f", &f) != 1) {
            outcome.refused_field = i;
            return outcome;
        }
        values[i] = static_cast<double>(f);
    }
    if (!(values[0] >= 0.0 && values[0] <= 100.0))
        return outcome.refused_field = 0, outcome;
    if (!(values[1] > 0.0))
        return outcome.refused_field = 1, outcome;
    if (!(values[2] > 0.0))
        return outcome.refused_field = 2, outcome;
    if (!(values[4] >= -0.001))
        return outcome.refused_field = 4, outcome;
    if (!(values[5] >= -0.0001 && values[5] <= 100.0))
        return outcome.refused_field = 5, outcome;
    const kestrane::CorrectionResults r =
        kestrane::compute_correction({values[0], values[1], values[2], values[3], values[4], values[5]}, selection);
    const double shown[4] = {r.vapor_pressure_pct, r.corrected_barometer, r.calculated_gas_pct,
                             r.calculated_gas_pressure};
    const char* formats[4] = {"%3.1f", "%3.2f", "%3.2f", "%3.2f"};
    for (int i = 0; i < 4; ++i) {
        char buffer[512];
        std::snprintf(buffer, sizeof buffer, formats[i], shown[i]);
        outcome.texts[i] = buffer;
    }
    return outcome;
}

void BM_run_correction(benchmark::State& state) {
    for (auto _ : state) {
        auto outcome = kestrane::run_correction(default_texts, UnitSelection{});
        benchmark::DoNotOptimize(outcome);
    }
}
BENCHMARK(BM_run_correction);

void BM_classic_sscanf_snprintf(benchmark::State& state) {
    const std::string texts[6] = {"20.95", "30.00", "30.00", "75", "   0", " 50"};
    for (auto _ : state) {
        auto outcome = classic_run(texts, UnitSelection{});
        benchmark::DoNotOptimize(outcome);
    }
}
BENCHMARK(BM_classic_sscanf_snprintf);

}  // namespace

BENCHMARK_MAIN();
