#!/usr/bin/env bash
# Builds the release into dist/, from fresh build folders under build/dist/: the
# Windows zips (x64 and x86), the Debian package of kestrane-cli, any further
# files given on the command line, and SHA256SUMS over all of them. Every time
# in them is the commit's (SOURCE_DATE_EPOCH), so the same commit gives the
# same bytes in any folder.
#   scripts/dist.sh [FILE...]      (FILE: shipped beside the packages as it is)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null) ||
    { echo "dist.sh: not a git checkout: set SOURCE_DATE_EPOCH to the commit's time" >&2; exit 2; }
fi
export SOURCE_DATE_EPOCH LC_ALL=C TZ=UTC
umask 022

for file in "$@"; do
  [ -f "$file" ] || { echo "dist.sh: $file does not exist" >&2; exit 2; }
done
rm -rf build/dist dist
mkdir -p dist
# Each build packs its own part into its package/ folder (cmake/KestraneDist.cmake).
for preset in dist-mingw-x64 dist-mingw-i686 dist-linux-x64; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  cp build/dist/"${preset#dist-}"/package/* dist/
done
for file in "$@"; do
  cp "$file" dist/
done
(cd dist && sha256sum -- * >../build/dist/SHA256SUMS && mv ../build/dist/SHA256SUMS .)
echo "== dist/"
(cd dist && ls -l && cat SHA256SUMS)
