#!/usr/bin/env bash
# Builds the Debian package of kestrane-cli: the stripped program; its man page
# and its list of changes (CHANGELOG.md as a Debian changelog), gzipped as
# Debian policy wants; the licence as the package's copyright file; the shell
# completions the build wrote (bash, zsh, fish) where each shell looks for
# them; and dependencies read from the program's own needs by dpkg-shlibdeps.
# Owner, modes, times (SOURCE_DATE_EPOCH) and file order are fixed, so the same
# inputs give the same bytes.
#   dist-deb.sh VERSION PROGRAM MAN_PAGE LICENSE CHANGELOG COMPLETIONS_DIR OUTPUT_DIR
set -euo pipefail
usage="usage: dist-deb.sh VERSION PROGRAM MAN_PAGE LICENSE CHANGELOG COMPLETIONS_DIR OUTPUT_DIR"
[ $# -eq 7 ] || { echo "$usage" >&2; exit 2; }
version=$1 program=$2 man_page=$3 license=$4 changelog=$5 completions=$6 out=$7
: "${SOURCE_DATE_EPOCH:?dist-deb.sh: SOURCE_DATE_EPOCH is not set}"
export LC_ALL=C TZ=UTC
umask 022
arch=$(dpkg --print-architecture)
maintainer="The Kestrane Developers <developers@kestrane.invalid>"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
doc=$root/usr/share/doc/kestrane-cli
bash_completions=$root/usr/share/bash-completion/completions
zsh_completions=$root/usr/share/zsh/vendor-completions
fish_completions=$root/usr/share/fish/vendor_completions.d
mkdir -p "$root/DEBIAN" "$root/usr/bin" "$root/usr/share/man/man1" "$doc" \
  "$bash_completions" "$zsh_completions" "$fish_completions"

strip --remove-section=.comment --remove-section=.note -o "$root/usr/bin/kestrane-cli" "$program"
chmod 0755 "$root/usr/bin/kestrane-cli"
gzip -9n <"$man_page" >"$root/usr/share/man/man1/kestrane-cli.1.gz"
# A package whose version has no Debian revision keeps its changes as
# changelog.gz, in the form of a Debian changelog, which Debian's tools read.
python3 "$(dirname "${BASH_SOURCE[0]}")/dist-changelog.py" "$changelog" "$maintainer" | gzip -9n >"$doc/changelog.gz"
cp "$completions/kestrane-cli" "$bash_completions/kestrane-cli"
cp "$completions/_kestrane-cli" "$zsh_completions/_kestrane-cli"
cp "$completions/kestrane-cli.fish" "$fish_completions/kestrane-cli.fish"
{
  echo "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"
  echo "Upstream-Name: Kestrane"
  echo
  echo "Files: *"
  echo "Copyright: 2026 The Kestrane Developers"
  echo "License: Expat"
  # The licence text as a field's continuation lines: indented, blank lines as " .".
  tail -n +5 "$license" | sed -e 's/^$/./' -e 's/^/ /'
} >"$doc/copyright"
find "$root/usr/share" -type f -exec chmod 0644 {} +
find "$root" -type d -exec chmod 0755 {} +

# dpkg-shlibdeps reads a source package's control file; a minimal one will do.
mkdir -p "$work/source/debian"
printf 'Source: kestrane\n\nPackage: kestrane-cli\nArchitecture: any\n' >"$work/source/debian/control"
depends=$(cd "$work/source" && dpkg-shlibdeps -O "$root/usr/bin/kestrane-cli" | sed -n 's/^shlibs:Depends=//p')
[ -n "$depends" ] || { echo "dist-deb.sh: dpkg-shlibdeps found no dependencies" >&2; exit 1; }

size=$(du -sk --apparent-size "$root/usr" | cut -f1)
cat >"$root/DEBIAN/control" <<CONTROL
Package: kestrane-cli
Version: $version
Architecture: $arch
Maintainer: $maintainer
Installed-Size: $size
Depends: $depends
Section: science
Priority: optional
Description: gas concentration correction for sensor calibration
 kestrane-cli corrects a target gas concentration, oxygen above all, for the
 barometric pressure, altitude, temperature and relative humidity around a
 sensor being calibrated: one reading from options, a whole CSV log, or a
 calibration table over a grid of conditions. Its results are the very texts
 the Kestrane dialog program shows for the same reading.
 .
 Kestrane is free software under the MIT licence.
CONTROL
(cd "$root" && find usr -type f | sort | xargs md5sum) >"$root/DEBIAN/md5sums"
chmod 0644 "$root/DEBIAN/control" "$root/DEBIAN/md5sums"
find "$root" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

mkdir -p "$out"
dpkg-deb --root-owner-group -Zxz --build "$root" "$out/kestrane-cli_${version}_${arch}.deb" >/dev/null
echo "$out/kestrane-cli_${version}_${arch}.deb: Depends: $depends"
