#!/usr/bin/env bash
# kestrane-cli beside the dataframe libraries a data analyst might reach for
# instead: the same correction of a generated log, file to file, written with
# Polars (peers_polars.mjs) and with DuckDB (peers_duckdb.mjs). Each round runs
# kestrane-cli LOG -o OUT, then Polars, then DuckDB, so that a machine busy with
# other work disturbs the three alike; every run's wall time, CPU time
# (user + sys) and peak resident memory are taken, and the medians compared.
# First each peer's calculated gas must agree with kestrane-cli's on the first
# hundred rows and on rows spread through the log, or the times mean nothing.
# Targets: kestrane-cli at least 3 times faster than Polars and 4 times faster
# than DuckDB in wall time, and at most 64 MiB of peak RSS. The peers use all
# cores, as they do by default.
# Environment: ROWS (default 1000000), ROUNDS (default 5), BUILD (default
# build/native), KESTRANE_ARGS (appended to kestrane-cli's command line, e.g.
# "--threads 1"), KEEP=1 to keep the log and the outputs.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cli=${BUILD:-$root/build/native}/cli/kestrane-cli
rows=${ROWS:-1000000}
rounds=${ROUNDS:-5}
read -ra cli_args <<< "${KESTRANE_ARGS:-}"
min_polars_speedup=3
min_duckdb_speedup=4
max_rss_kib=$((64 * 1024))
tolerance=0.01  # % Vol
[ -x "$cli" ] || { echo "peers.sh: $cli is not built (make native)" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "peers.sh: needs GNU time (Debian package time)" >&2; exit 1; }
for package in nodejs-polars @duckdb/node-api; do
  [ -d "$root/node_modules/$package" ] || { echo "peers.sh: $package is not installed (npm ci)" >&2; exit 1; }
done

work=$(mktemp -d)
if [ "${KEEP:-0}" = 1 ]; then echo "keeping $work"; else trap 'rm -rf "$work"' EXIT; fi
load() { cut -d ' ' -f 1-3 /proc/loadavg; }

contenders=(kestrane-cli polars duckdb)
declare -A walls cpus rss

# One timed run of a contender on the log, into $work/out-NAME.csv; its wall
# time, CPU time and peak RSS are added to its lists.
run_once() {  # run_once NAME
  local name=$1 out=$work/out-$1.csv status=0 start end
  local command=(node "$root/bench/peers_$name.mjs" "$work/log.csv" "$out")
  [ "$name" = kestrane-cli ] && command=("$cli" "$work/log.csv" -o "$out" "${cli_args[@]}")
  rm -f "$out"
  start=$EPOCHREALTIME
  /usr/bin/time -f '%U %S %M' -o "$work/time" "${command[@]}" 2> "$work/err-$name" || status=$?
  end=$EPOCHREALTIME
  # kestrane-cli exits 1 when it refuses some rows, as the generator intends.
  local accepted=0
  [ "$name" = kestrane-cli ] && accepted=1
  if [ "$status" -gt "$accepted" ]; then
    echo "peers.sh: $name exited with $status:" >&2
    cat "$work/err-$name" >&2
    exit 1
  fi
  local user sys kib
  read -r user sys kib < <(tail -n 1 "$work/time")
  walls[$name]+=" $(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f", e - s }')"
  cpus[$name]+=" $(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.2f", u + s }')"
  rss[$name]+=" $kib"
}

# Whether a peer's output has every row, and its calculated gas agrees with
# kestrane-cli's on the first 100 rows and on about 20 rows spread through the
# log; rows kestrane-cli refused are skipped. The time and barometric pressure
# of each compared row must match too, so that rows are paired rightly.
agrees() {  # agrees NAME
  local out=$work/out-$1.csv
  awk -F, -v peer="$out" -v rows="$rows" -v tolerance="$tolerance" -v name="$1" '
    function column(header, key,   i, n, f) {
      n = split(header, f, ",")
      for (i = 1; i <= n; ++i) if (f[i] == key) return i
      print "peers.sh: no column " key " in the output of " name > "/dev/stderr"; exit 1
    }
    NR == 1 {
      if ((getline line < peer) <= 0) { print "peers.sh: " name " wrote nothing" > "/dev/stderr"; exit 1 }
      gas = column($0, "calculated_gas_pct"); peer_gas = column(line, "calculated_gas_pct")
      baro = column($0, "barometric_pressure"); peer_baro = column(line, "barometric_pressure")
      step = int(rows / 20); if (step < 1) step = 1
      next
    }
    {
      if ((getline line < peer) <= 0) { print "peers.sh: " name " wrote fewer rows than kestrane-cli" > "/dev/stderr"; exit 1 }
      row = NR - 1
      if (row > 100 && row % step != 0) next
      split(line, p, ",")
      if (p[1] != $1 || p[peer_baro] + 0 != $baro + 0) {
        print "peers.sh: row " row " of " name " is not row " row " of the log" > "/dev/stderr"; bad = 1; exit 1
      }
      if ($gas == "") next
      ++checked
      d = p[peer_gas] - $gas; if (d < 0) d = -d
      if (d > tolerance) {
        printf "peers.sh: row %d: %s calculates %s %% Vol, kestrane-cli %s\n", row, name, p[peer_gas], $gas > "/dev/stderr"
        bad = 1
      }
    }
    END {
      if (bad) exit 1
      if ((getline line < peer) > 0) { print "peers.sh: " name " wrote more rows than kestrane-cli" > "/dev/stderr"; exit 1 }
      if (NR - 1 != rows) { print "peers.sh: kestrane-cli wrote " NR - 1 " rows, expected " rows > "/dev/stderr"; exit 1 }
      printf "%s agrees with kestrane-cli to within %s %% Vol on %d rows compared\n", name, tolerance, checked
    }' "$work/out-kestrane-cli.csv"
}

median() { printf '%s\n' $1 | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
largest() { printf '%s\n' $1 | sort -n | tail -n 1; }

"$root/bench/generate_csv.sh" "$rows" > "$work/log.csv"
echo "log: $rows rows, $(stat -c %s "$work/log.csv") bytes; $rounds rounds, each of kestrane-cli ${cli_args[*]:-(no extra arguments)}, Polars and DuckDB in turn"
echo "load average before: $(load)"
for ((round = 1; round <= rounds; ++round)); do
  for name in "${contenders[@]}"; do run_once "$name"; done
done
echo "load average after: $(load)"
echo "summary of the last run: $(tail -n 1 "$work/err-kestrane-cli")"

failed=0
for name in polars duckdb; do agrees "$name" || failed=1; done

cli_wall=$(median "${walls[kestrane-cli]}")
cli_cpu=$(median "${cpus[kestrane-cli]}")
cli_rss=$(median "${rss[kestrane-cli]}")
printf '%-13s %9s %9s %12s   %s\n' "medians:" "wall (s)" "CPU (s)" "RSS (MiB)" "ratio to kestrane-cli: wall, CPU, RSS"
for name in "${contenders[@]}"; do
  echo "$name: runs (s):${walls[$name]}; CPU (s):${cpus[$name]}; peak RSS (KiB):${rss[$name]}" >> "$work/runs"
  awk -v name="$name" -v w="$(median "${walls[$name]}")" -v c="$(median "${cpus[$name]}")" -v m="$(median "${rss[$name]}")" \
    -v cw="$cli_wall" -v cc="$cli_cpu" -v cm="$cli_rss" 'BEGIN {
      printf "%-13s %9.3f %9.2f %12.1f   %.2fx, %.2fx, %.2fx\n", name, w, c, m / 1024, w / cw, c / cc, m / cm }'
done
cat "$work/runs"

cli_peak=$(largest "${rss[kestrane-cli]}")
check() {  # check NAME TARGET: the peer's median wall time over kestrane-cli's
  awk -v name="$1" -v target="$2" -v w="$(median "${walls[$1]}")" -v cw="$cli_wall" 'BEGIN {
    ratio = w / cw
    printf "kestrane-cli is %.2f times faster than %s in wall time (at least %d)\n", ratio, name, target
    if (ratio < target) { printf "FAILED: kestrane-cli is less than %d times faster than %s\n", target, name; exit 1 } }'
}
check polars "$min_polars_speedup" || failed=1
check duckdb "$min_duckdb_speedup" || failed=1
printf 'peak RSS of kestrane-cli: %d KiB (%.1f MiB, at most 64 MiB)\n' "$cli_peak" "$(awk -v k="$cli_peak" 'BEGIN { print k / 1024 }')"
if [ "$cli_peak" -gt "$max_rss_kib" ]; then
  echo "FAILED: kestrane-cli needs more than 64 MiB"
  failed=1
fi
exit "$failed"
