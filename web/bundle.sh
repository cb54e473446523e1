#!/usr/bin/env bash
# Builds the one-file page: copies page.html, replacing each "@include FILE"
# line with that file of the source folder and the "@module" line with the
# WebAssembly module, gzipped (with no name or time, so a rebuild gives the
# same bytes) and in base64. Reports both sizes; fails when the page
# outgrows its limit.
set -euo pipefail
src=$1 module=$2 out=$3
limit=$((200 * 1024))

# The scripts go in without their whole-line comments, blank lines and
# indentation, which are for the reader of the source (no script has a string
# that spans lines, so none can be part of one).
strip_script() {
  sed -e '/^[[:space:]]*\/\//d' -e '/^[[:space:]]*$/d' -e 's/^[[:space:]]*//' "$1"
}

# The style sheet likewise, without its comments and indentation, on one line
# (each of its lines ends a rule, a declaration or a selector).
strip_style() {
  perl -0777 -pe 's{/\*.*?\*/}{}gs; s/^[ \t]+//gm; s/\n+//g' "$1"
}

while IFS= read -r line; do
  case $line in
    "@include "*.js) strip_script "$src/${line#@include }" ;;
    "@include "*.css) strip_style "$src/${line#@include }" ;;
    "@include "*) cat "$src/${line#@include }" ;;
    "@module") gzip -9nc "$module" | base64 -w0; echo ;;
    *) printf '%s\n' "$line" ;;
  esac
done <"$src/page.html" >"$out.tmp"

module_size=$(stat -c %s "$module")
page_size=$(stat -c %s "$out.tmp")
echo "kestrane.wasm: $module_size bytes; kestrane.html: $page_size bytes (limit $limit)"
if [ "$page_size" -gt "$limit" ]; then
  rm "$out.tmp"
  echo "kestrane.html is over its limit of $limit bytes" >&2
  exit 1
fi
mv "$out.tmp" "$out"
