#!/usr/bin/env bash
# Runs the benchmarks: the correction run against its sscanf/snprintf baseline,
# the CSV throughput of kestrane-cli, and (when the Windows program is built)
# the start-up time of Kestrane.exe under Wine.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

echo "== correction run (median of 10 repetitions)"
build/native/bench/core_bench --benchmark_repetitions=10 --benchmark_report_aggregates_only=true 2>/dev/null |
  awk '/_median/ {print; name[$1]=$2} END {
    run=name["BM_run_correction_median"]; base=name["BM_classic_sscanf_snprintf_median"];
    if (run > 0) printf "run_correction: %.1f ns median; sscanf/snprintf baseline: %.1f ns; speed-up %.2fx\n", run, base, base/run }'

if [ -x bench/csv_throughput.sh ]; then
  echo "== kestrane-cli CSV throughput"
  bench/csv_throughput.sh
fi

if [ -x bench/gui_startup.sh ] && [ -f build/mingw-x64/app/Kestrane.exe ]; then
  echo "== Kestrane.exe start-up under Wine"
  scripts/with-display.sh bench/gui_startup.sh
fi

if [ -f build/web/kestrane.html ] && [ -d node_modules/puppeteer-core ]; then
  echo "== the page in headless Chromium"
  bench/page_speed.mjs
fi
