#!/usr/bin/env bash
# Checks that a release rebuilds byte for byte: the committed tree (HEAD, without
# uncommitted changes) is built twice with scripts/dist.sh, in two temporary
# folders of different names, and every file of the two dist/ folders must be
# identical. Then lintian checks the Debian package: no error, no warning.
#   scripts/dist-check.sh
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
commit=$(git rev-parse HEAD)
epoch=$(git log -1 --format=%ct)
work=$(mktemp -d /tmp/kestrane-dist-check.XXXXXX)
trap 'rm -rf "$work"' EXIT
[ -z "$(git status --porcelain --untracked-files=no)" ] ||
  echo "dist-check.sh: uncommitted changes are not part of the check (it builds $commit)" >&2

for side in first second-build; do
  tree=$work/$side/kestrane
  mkdir -p "$tree"
  git archive --format=tar "$commit" | tar -x -C "$tree"
  echo "== build in $tree"
  start=$SECONDS
  (cd "$tree" && SOURCE_DATE_EPOCH=$epoch make --no-print-directory dist) >"$work/$side.log" 2>&1 || {
    tail -n 40 "$work/$side.log" >&2; echo "dist-check.sh: the build in $tree failed" >&2; exit 1; }
  echo "   $((SECONDS - start)) s"
done

a=$work/first/kestrane/dist b=$work/second-build/kestrane/dist
if ! diff <(cd "$a" && ls) <(cd "$b" && ls) >/dev/null; then
  echo "FAILED: the two builds made different files:" >&2
  diff <(cd "$a" && ls) <(cd "$b" && ls) >&2 || true
  exit 1
fi
failed=0
for file in $(cd "$a" && ls); do
  if cmp -s "$a/$file" "$b/$file"; then
    echo "identical: $file ($(stat -c %s "$a/$file") bytes)"
  else
    echo "DIFFERENT: $file: $(cmp "$a/$file" "$b/$file" 2>&1 | head -n 1); $(cmp -l "$a/$file" "$b/$file" | wc -l) bytes differ" >&2
    failed=1
  fi
done
[ "$failed" -eq 0 ] || { echo "FAILED: the release does not rebuild byte for byte" >&2; exit 1; }

# The Debian package as Debian's own checker sees it: any error or warning fails
# the check; its notes (I:) are shown, and fail nothing.
debs=("$a"/*.deb)
[ -e "${debs[0]}" ] || { echo "FAILED: no Debian package in $a" >&2; exit 1; }
for deb in "${debs[@]}"; do
  if ! lintian --fail-on error,warning --display-info "$deb" 2> >(grep -v 'running with root privileges' >&2); then
    echo "FAILED: lintian reports errors or warnings on $(basename "$deb")" >&2
    exit 1
  fi
  echo "lintian: no error and no warning on $(basename "$deb")"
done
echo "PASSED: two builds of $commit in two folders gave identical files"
