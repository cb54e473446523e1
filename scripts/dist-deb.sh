#!/usr/bin/env bash
# Builds the Debian package of kestrane-cli: the stripped program, its man page
# gzipped as Debian policy wants, the licence as the package's copyright file,
# and dependencies read from the program's own needs by dpkg-shlibdeps. Owner,
# modes, times (SOURCE_DATE_EPOCH) and file order are fixed, so the same inputs
# give the same bytes.
#   dist-deb.sh VERSION PROGRAM MAN_PAGE LICENSE OUTPUT_DIR
set -euo pipefail
[ $# -eq 5 ] || { echo "usage: dist-deb.sh VERSION PROGRAM MAN_PAGE LICENSE OUTPUT_DIR" >&2; exit 2; }
version=$1 program=$2 man_page=$3 license=$4 out=$5
: "${SOURCE_DATE_EPOCH:?dist-deb.sh: SOURCE_DATE_EPOCH is not set}"
export LC_ALL=C TZ=UTC
umask 022
arch=$(dpkg --print-architecture)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
doc=$root/usr/share/doc/kestrane-cli
mkdir -p "$root/DEBIAN" "$root/usr/bin" "$root/usr/share/man/man1" "$doc"

strip --remove-section=.comment --remove-section=.note -o "$root/usr/bin/kestrane-cli" "$program"
chmod 0755 "$root/usr/bin/kestrane-cli"
gzip -9n <"$man_page" >"$root/usr/share/man/man1/kestrane-cli.1.gz"
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
chmod 0644 "$root/usr/share/man/man1/kestrane-cli.1.gz" "$doc/copyright"

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
Maintainer: The Kestrane Developers <developers@kestrane.invalid>
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
