#!/usr/bin/env bash
# Runs the benchmarks against their targets: the correction run (at most 250 ns,
# at least 3 times its sscanf/snprintf baseline), the CSV throughput of
# kestrane-cli, kestrane-cli beside the same correction written with Polars and
# with DuckDB, the start-up time and size of Kestrane.exe under Wine, and the
# page's load and calculation times in headless Chromium. Every
# benchmark runs even when an earlier one misses; the exit status is non-zero
# when any target is missed.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
missed=()

echo "== correction run (median of 10 repetitions)"
build/native/bench/core_bench --benchmark_repetitions=10 --benchmark_report_aggregates_only=true 2>/dev/null |
  awk '/_median/ {print; name[$1]=$2} END {
    run=name["BM_run_correction_median"]; base=name["BM_classic_sscanf_snprintf_median"];
    if (run <= 0 || base <= 0) { print "FAILED: no medians from core_bench"; exit 1 }
    printf "run_correction: %.1f ns median (limit 250); sscanf/snprintf baseline: %.1f ns; speed-up %.2fx (at least 3)\n", run, base, base/run
    if (run > 250) { print "FAILED: run_correction takes more than 250 ns"; exit 1 }
    if (base / run < 3) { print "FAILED: run_correction is less than 3 times faster than sscanf/snprintf"; exit 1 } }' ||
  missed+=("correction run")

echo "== kestrane-cli CSV throughput"
bench/csv_throughput.sh || missed+=("CSV throughput")

echo "== kestrane-cli beside Polars and DuckDB"
bench/peers.sh || missed+=("kestrane-cli beside Polars and DuckDB")

echo "== Kestrane.exe start-up under Wine"
scripts/with-display.sh bench/gui_startup.sh || missed+=("Kestrane.exe start-up and size")

echo "== the page in headless Chromium"
bench/page_speed.mjs || missed+=("page speed")

if [ ${#missed[@]} -ne 0 ]; then
  printf 'Targets missed: %s\n' "${missed[*]}" >&2
  exit 1
fi
echo "Every benchmark target holds."
