#!/usr/bin/env bash
# Writes a generated log of ROWS rows (default 1000000) to standard output, in
# the columns kestrane-cli reads, plus a time column to copy through. A
# fixed generator, so every run writes the same bytes; about one row in fifty
# is refused (humidity over 100). STYLE "european" writes it as a spreadsheet
# does where the comma is the decimal mark: semicolons between the fields and
# decimal commas (read with kestrane-cli --decimal-comma).
# Usage: generate_csv.sh [ROWS [STYLE]] > log.csv
set -euo pipefail
rows=${1:-1000000}
style=${2:-comma}
awk -v rows="$rows" -v style="$style" 'BEGIN {
  d = style == "european" ? ";" : ","
  header = "time,target_gas,target_pressure,barometric_pressure,temperature,altitude,relative_humidity"
  gsub(",", d, header)
  print header
  # 69069 keeps every product below 2^53, exact in awk'"'"'s doubles; the high bits
  # are used, since the low bits of a power-of-two generator repeat quickly.
  s = 12345
  for (i = 0; i < rows; ++i) {
    s = (s * 69069 + 1) % 4294967296; b = 28 + int(s / 65536) % 300 / 100
    s = (s * 69069 + 1) % 4294967296; t = 30 + int(s / 65536) % 700 / 10
    s = (s * 69069 + 1) % 4294967296; a = int(s / 65536) % 9000
    s = (s * 69069 + 1) % 4294967296; h = int(s / 65536) % 101
    s = (s * 69069 + 1) % 4294967296; if (int(s / 65536) % 50 == 0) h = 101
    row = sprintf("%02d:%02d:%02d,20.95,30.00,%.2f,%.1f,%d,%d", (i / 3600) % 24, (i / 60) % 60, i % 60, b, t, a, h)
    if (d == ";") { gsub(",", ";", row); gsub("\\.", ",", row) }
    print row
  }
}'
