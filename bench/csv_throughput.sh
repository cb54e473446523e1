#!/usr/bin/env bash
# CSV throughput of kestrane-cli: the in-process benchmark (csv_bench), then the
# real program correcting a generated log end to end, file to file, timed over
# several runs (median). Environment: ROWS (default 1000000), RUNS (default 5),
# BUILD (default build/native), KEEP=1 to keep the generated log and output.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD:-$root/build/native}
cli=$build/cli/kestrane-cli
bench=$build/bench/csv_bench
rows=${ROWS:-1000000}
runs=${RUNS:-5}
for program in "$cli" "$bench"; do
  [ -x "$program" ] || { echo "csv_throughput.sh: $program is not built (make native)" >&2; exit 1; }
done

echo "-- in-process (csv_bench, median of 5 repetitions, CPU time)"
"$bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true 2>/dev/null |
  awk '/_median/ { line = $1 ":"; for (i = 4; i <= NF; ++i) if ($i ~ /_per_second=/) line = line " " $i; print line }'

work=$(mktemp -d)
if [ "${KEEP:-0}" = 1 ]; then echo "keeping $work"; else trap 'rm -rf "$work"' EXIT; fi

# A day of a logger at one reading a second, repeated: a fixed generator, so every
# run reads the same bytes; about one row in fifty is refused (humidity over 100).
awk -v rows="$rows" 'BEGIN {
  print "time,gas,target_pressure,barometer,temperature,altitude,humidity"
  # 69069 keeps every product below 2^53, exact in awk'"'"'s doubles; the high bits
  # are used, since the low bits of a power-of-two generator repeat quickly.
  s = 12345
  for (i = 0; i < rows; ++i) {
    s = (s * 69069 + 1) % 4294967296; b = 28 + int(s / 65536) % 300 / 100
    s = (s * 69069 + 1) % 4294967296; t = 30 + int(s / 65536) % 700 / 10
    s = (s * 69069 + 1) % 4294967296; a = int(s / 65536) % 9000
    s = (s * 69069 + 1) % 4294967296; h = int(s / 65536) % 101
    s = (s * 69069 + 1) % 4294967296; if (int(s / 65536) % 50 == 0) h = 101
    printf "%02d:%02d:%02d,20.95,30.00,%.2f,%.1f,%d,%d\n", (i / 3600) % 24, (i / 60) % 60, i % 60, b, t, a, h
  }
}' > "$work/log.csv"
bytes=$(stat -c %s "$work/log.csv")

echo "-- end to end: $cli csv log.csv -o out.csv ($rows rows, $bytes bytes, median of $runs runs)"
times=()
for ((run = 1; run <= runs; ++run)); do
  start=$EPOCHREALTIME
  "$cli" csv "$work/log.csv" -o "$work/out.csv"
  end=$EPOCHREALTIME
  times+=("$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.4f", e - s }')")
done
# Every row must have come out, or the number means nothing.
out_rows=$(($(wc -l < "$work/out.csv") - 1))
[ "$out_rows" -eq "$rows" ] || { echo "csv_throughput.sh: $out_rows rows written, expected $rows" >&2; exit 1; }
refused=$(grep -c 'Outside of Range$' "$work/out.csv" || true)
median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }')
awk -v t="$median" -v rows="$rows" -v bytes="$bytes" -v all="${times[*]}" -v refused="$refused" 'BEGIN {
  printf "runs (s): %s\n", all
  printf "median %.3f s: %.2f M rows/s, %.1f MB/s of input (%d rows refused)\n", t, rows / t / 1e6, bytes / t / 1e6, refused
}'
