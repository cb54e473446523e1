#!/usr/bin/env bash
# Runs every fuzz target for a bounded time from the committed seed corpus;
# new inputs collect in build/fuzz/work/, crashes in build/fuzz/crashes/.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-60}
cd "$root/build/fuzz/fuzz"
mkdir -p "$root/build/fuzz/crashes"
for target in fuzz_*; do
  [ -x "$target" ] || continue
  name=${target#fuzz_}
  mkdir -p "$root/build/fuzz/work/$name"
  echo "== $target for ${seconds}s"
  log=$root/build/fuzz/$name.log
  if ! "./$target" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
      -artifact_prefix="$root/build/fuzz/crashes/$name-" \
      "$root/build/fuzz/work/$name" "$root/fuzz/corpus/$name" >"$log" 2>&1; then
    tail -n 30 "$log" >&2
    echo "$target failed: the input is in build/fuzz/crashes/" >&2
    exit 1
  fi
  grep -E '^(stat::number_of_executed_units|Done)' "$log" || true
done
