#!/usr/bin/env bash
# CSV throughput of kestrane-cli: the in-process benchmark (csv_bench), then the
# real program correcting generated logs end to end, reading a file on every
# core and on one thread (--threads 1), reading a pipe (cat log.csv |
# kestrane-cli --csv -, always one thread), and reading a
# file as a spreadsheet saves it where the comma is the decimal mark
# (semicolons and decimal commas, kestrane-cli --decimal-comma): wall time
# (median of RUNS runs), the CPU time of each run (which a machine busy with
# other work disturbs less) and peak resident memory of kestrane-cli (the
# largest of those runs, from GNU time). Checked against what the program promises: at
# least 3,000,000 rows a second and at most 64 MiB, for a log of ROWS rows and for
# one ten times larger, in each of the three ways. The load average before and
# after each case is printed: the machine may be shared.
# Environment: ROWS (default 1000000), RUNS (default 3), BUILD (default
# build/native), KEEP=1 to keep the generated logs and outputs, SKIP_INPROCESS=1.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD:-$root/build/native}
cli=$build/cli/kestrane-cli
bench=$build/bench/csv_bench
rows=${ROWS:-1000000}
runs=${RUNS:-3}
min_rows_per_second=3000000
max_rss_kib=$((64 * 1024))
[ -x "$cli" ] || { echo "csv_throughput.sh: $cli is not built (make native)" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "csv_throughput.sh: needs GNU time (Debian package time)" >&2; exit 1; }

if [ "${SKIP_INPROCESS:-0}" != 1 ] && [ -x "$bench" ]; then
  echo "-- in-process (csv_bench, median of 5 repetitions, CPU time)"
  "$bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true 2>/dev/null |
    awk '/_median/ { line = $1 ":"; for (i = 4; i <= NF; ++i) if ($i ~ /_per_second=/) line = line " " $i; print line }'
fi

work=$(mktemp -d)
if [ "${KEEP:-0}" = 1 ]; then echo "keeping $work"; else trap 'rm -rf "$work"' EXIT; fi

# One timed run of kestrane-cli on the log, from the file itself (on every
# core, or on one thread), through a pipe, or from the file with semicolons and
# decimal commas.
run_once() {  # run_once file|file1|pipe|european
  case "$1" in
    file) /usr/bin/time -f '%M %U %S' -o "$work/rss" "$cli" --csv "$work/log.csv" > "$work/out.csv" 2> "$work/err" ;;
    file1)
      /usr/bin/time -f '%M %U %S' -o "$work/rss" "$cli" --threads 1 --csv "$work/log.csv" > "$work/out.csv" \
        2> "$work/err" ;;
    pipe) cat "$work/log.csv" | /usr/bin/time -f '%M %U %S' -o "$work/rss" "$cli" --csv - > "$work/out.csv" 2> "$work/err" ;;
    european)
      /usr/bin/time -f '%M %U %S' -o "$work/rss" "$cli" --decimal-comma "$work/log-european.csv" > "$work/out.csv" \
        2> "$work/err" ;;
  esac
}

load() { cut -d ' ' -f 1 /proc/loadavg; }

failed=0
for n in "$rows" $((rows * 10)); do
  "$root/bench/generate_csv.sh" "$n" > "$work/log.csv"
  "$root/bench/generate_csv.sh" "$n" european > "$work/log-european.csv"
  for how in file file1 pipe european; do
    log=$work/log.csv
    [ "$how" = european ] && log=$work/log-european.csv
    bytes=$(stat -c %s "$log")
    echo "-- end to end, $how: kestrane-cli ... > out.csv ($n rows, $bytes bytes, $runs runs, load $(load))"
    times=() cpus=() peak=0
    for ((run = 1; run <= runs; ++run)); do
      start=$EPOCHREALTIME
      status=0
      run_once "$how" || status=$?
      end=$EPOCHREALTIME
      # Exit 1: some rows were refused, as the generator intends.
      [ "$status" -le 1 ] || { cat "$work/err" >&2; exit 1; }
      times+=("$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.4f", e - s }')")
      read -r rss user sys < <(tail -n 1 "$work/rss")
      cpus+=("$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.2f", u + s }')")
      [ "$rss" -gt "$peak" ] && peak=$rss
    done
    # Every row must have come out, or the number means nothing.
    out_rows=$(($(wc -l < "$work/out.csv") - 1))
    [ "$out_rows" -eq "$n" ] || { echo "csv_throughput.sh: $out_rows rows written, expected $n" >&2; exit 1; }
    echo "summary: $(cat "$work/err"); load average after: $(load)"
    median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }')
    rate=$(awk -v t="$median" -v n="$n" 'BEGIN { printf "%d", n / t }')
    awk -v t="$median" -v n="$n" -v bytes="$bytes" -v all="${times[*]}" -v cpu="${cpus[*]}" -v peak="$peak" 'BEGIN {
      printf "runs (s): %s; CPU time of kestrane-cli (s): %s\n", all, cpu
      printf "median %.3f s: %.2f M rows/s, %.1f MB/s of input; peak RSS %d KiB (%.1f MiB)\n", t, n / t / 1e6, bytes / t / 1e6, peak, peak / 1024
    }'
    if [ "$rate" -lt "$min_rows_per_second" ] || [ "$peak" -gt "$max_rss_kib" ]; then
      echo "FAILED: $n rows ($how) need at least $min_rows_per_second rows/s and at most $max_rss_kib KiB" >&2
      failed=1
    fi
  done
done
exit "$failed"
