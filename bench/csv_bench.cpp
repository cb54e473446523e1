// Throughput of correcting a CSV log in-process: the whole pass, its two parts
// (reading the cells, running the corrections), the same log with every cell
// quoted, and a naive pass (getline, split on commas, stream out) to compare.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "core/correction_run.h"
#include "log/csv.h"
#include "log/log_corrector.h"

namespace {

using namespace kestrane;

constexpr int log_rows = 20000;

// An output that only counts what it is given, so the benchmark measures
// producing the text, not growing a buffer.
class CountingBuffer : public std::streambuf {
public:
    std::size_t count = 0;

protected:
    std::streamsize xsputn(const char*, std::streamsize n) override {
        count += static_cast<std::size_t>(n);
        return n;
    }
    int_type overflow(int_type c) override {
        ++count;
        return traits_type::not_eof(c);
    }
};

// A logger's day: six fields that vary row by row, about one row in fifty
// refused (humidity over 100), and a time column copied through.
std::string make_log(bool quote_every_cell) {
    std::uint32_t state = 12345;
    auto next = [&state](std::uint32_t range) {
        state = state * 1664525u + 1013904223u;  // a fixed LCG: the same log on every run
        return (state >> 8) % range;
    };
    const auto cell = [quote_every_cell](const std::string& text) {
        return quote_every_cell ? "\"" + text + "\"" : text;
    };
    std::string log = "time,target_gas,target_pressure,barometric_pressure,temperature,altitude,relative_humidity\n";
    for (int i = 0; i < log_rows; ++i) {
        const std::uint32_t humidity = next(50) == 0 ? 101 : next(101);
        log += cell("08:" + std::to_string(i / 60 % 60) + ":" + std::to_string(i % 60)) + ',' + cell("20.95") + ',' +
               cell("30.00") + ',' + cell("2" + std::to_string(8 + next(3)) + "." + std::to_string(10 + next(90))) +
               ',' + cell(std::to_string(30 + next(70)) + "." + std::to_string(next(10))) + ',' +
               cell(std::to_string(next(9000))) + ',' + cell(std::to_string(humidity)) + '\n';
    }
    return log;
}

// Corrects the log as the command line does: 64 KiB pushed at a time, the
// output counted and dropped after each.
void correct_log(benchmark::State& state, const std::string& log) {
    const LogOptions options;
    std::size_t written = 0;
    constexpr std::size_t chunk = std::size_t{1} << 16;
    for (auto _ : state) {
        LogCorrector corrector(options);
        written = 0;
        for (std::size_t at = 0; at < log.size(); at += chunk) {
            corrector.push(std::string_view(log).substr(at, chunk));
            written += corrector.output().size();
            corrector.output().clear();
        }
        corrector.finish();
        written += corrector.output().size();
        if (corrector.failed() || corrector.report().rows != log_rows)
            state.SkipWithError("the log was not corrected whole");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(log.size()));
    state.SetItemsProcessed(state.iterations() * log_rows);
    state.counters["output_bytes"] = static_cast<double>(written);
}

void BM_correct_csv_log(benchmark::State& state) {
    static const std::string log = make_log(false);
    correct_log(state, log);
}
BENCHMARK(BM_correct_csv_log)->Unit(benchmark::kMillisecond);

void BM_correct_csv_log_all_quoted(benchmark::State& state) {
    static const std::string log = make_log(true);
    correct_log(state, log);
}
BENCHMARK(BM_correct_csv_log_all_quoted)->Unit(benchmark::kMillisecond);

// The reading alone: every cell of every row, no correction.
void BM_read_cells_only(benchmark::State& state) {
    static const std::string log = make_log(false);
    std::vector<std::string_view> cells;
    for (auto _ : state) {
        RecordReader reader;
        reader.push(log);
        reader.close();
        std::size_t rows = 0;
        while (reader.next(cells) == RecordReader::Step::record)
            ++rows;
        benchmark::DoNotOptimize(rows);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(log.size()));
    state.SetItemsProcessed(state.iterations() * log_rows);
}
BENCHMARK(BM_read_cells_only)->Unit(benchmark::kMillisecond);

// The corrections alone, on cells already split.
void BM_runs_only(benchmark::State& state) {
    static const std::string log = make_log(false);
    std::vector<std::vector<std::string>> rows;
    {
        RecordReader reader;
        reader.push(log);
        reader.close();
        std::vector<std::string_view> cells;
        reader.next(cells);  // headings
        while (reader.next(cells) == RecordReader::Step::record)
            rows.emplace_back(cells.begin(), cells.end());
    }
    for (auto _ : state) {
        for (const auto& row : rows) {
            const FieldTexts texts = {row[1], row[2], row[3], row[4], row[5], row[6]};
            auto outcome = run_correction(texts, UnitSelection{});
            benchmark::DoNotOptimize(outcome);
        }
    }
    state.SetItemsProcessed(state.iterations() * log_rows);
}
BENCHMARK(BM_runs_only)->Unit(benchmark::kMillisecond);

// The way a quick tool might do it: a line at a time, split on every comma (no
// quoting), results streamed out with operator<<.
void BM_naive_getline_split(benchmark::State& state) {
    static const std::string log = make_log(false);
    for (auto _ : state) {
        std::istringstream in(log);
        CountingBuffer counter;
        std::ostream out(&counter);
        std::string line;
        std::getline(in, line);
        out << line << ",calculated_gas_pct,calculated_gas_pressure,vapor_pressure_pct,corrected_barometer,error\n";
        while (std::getline(in, line)) {
            std::vector<std::string> cells;
            std::stringstream split(line);
            std::string cell;
            while (std::getline(split, cell, ','))
                cells.push_back(cell);
            const FieldTexts texts = {cells[1], cells[2], cells[3], cells[4], cells[5], cells[6]};
            const RunOutcome outcome = run_correction(texts, UnitSelection{});
            out << line;
            if (outcome.refused()) {
                out << ",,,,," << outcome.message() << '\n';
            } else {
                const ResultTexts& r = outcome.texts();
                out << ',' << r.calculated_gas_pct << ',' << r.calculated_gas_pressure << ',' << r.vapor_pressure_pct
                    << ',' << r.corrected_barometer << ",\n";
            }
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(log.size()));
    state.SetItemsProcessed(state.iterations() * log_rows);
}
BENCHMARK(BM_naive_getline_split)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
