#!/usr/bin/env bash
# Checks CHANGELOG.md as a release ships it: its newest section is the version
# the build states, and written as the Debian changelog of the package it is
# one dpkg reads whole, each release with its items, the versions and dates
# going back in time, no line past 80 columns.
#   check-changelog.sh CHANGELOG.md VERSION dist-changelog.py
set -uo pipefail
export LC_ALL=C.UTF-8  # lengths in characters
[ $# -eq 3 ] || { echo "usage: check-changelog.sh CHANGELOG.md VERSION dist-changelog.py" >&2; exit 2; }
changelog=$1 version=$2 converter=$3
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

debian=$(python3 "$converter" "$changelog" "The Kestrane Developers <developers@kestrane.invalid>") ||
  { echo "FAIL: $converter could not read $changelog"; exit 1; }
newest=$(dpkg-parsechangelog -l - -S Version <<<"$debian") || { echo "FAIL: dpkg cannot read the changelog"; exit 1; }
[ "$newest" = "$version" ] ||
  fail "the newest release in $changelog is $newest, but the build states $version: add its section at the top"

# Every entry: its version, its date in seconds, and how many items it has.
versions=$(dpkg-parsechangelog -l - --all --format rfc822 <<<"$debian" | sed -n 's/^Version: //p')
entries=$(wc -l <<<"$versions")
[ "$entries" -ge 2 ] || fail "dpkg reads $entries release(s) in the changelog, not every one"
previous_version='' previous_date=''
while read -r entry_version; do
  entry=$(dpkg-parsechangelog -l - --from "$entry_version" --to "$entry_version" <<<"$debian")
  date=$(date -d "$(sed -n 's/^Date: //p' <<<"$entry")" +%s)
  items=$(grep -c '^ *\(\*\|-\) ' <<<"$entry")
  [ "$items" -gt 0 ] || fail "release $entry_version says nothing"
  if [ -n "$previous_version" ]; then
    dpkg --compare-versions "$entry_version" lt "$previous_version" ||
      fail "release $entry_version comes after $previous_version, but is not older"
    [ "$date" -le "$previous_date" ] || fail "release $entry_version is dated after $previous_version"
  fi
  previous_version=$entry_version previous_date=$date
done <<<"$versions"

while IFS= read -r line; do
  [[ $line == " -- "* ]] || [ "${#line}" -le 80 ] || fail "a line past 80 columns: $line"
done <<<"$debian"

[ "$failures" -eq 0 ] || exit 1
echo "OK: $entries releases, the newest $version"
