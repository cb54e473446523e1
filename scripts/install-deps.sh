#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need; quiet and quick
# when they are all there already.
set -euo pipefail
packages=(
  cmake make g++ clang libclang-rt-14-dev time libgtest-dev libbenchmark-dev libcli11-dev libfast-float-dev nlohmann-json3-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  wine64 wine fonts-wine xvfb xauth x11-utils imagemagick
  clang-14 lld-14 wasi-libc libc++-14-dev-wasm32 libc++abi-14-dev-wasm32 libclang-rt-14-dev-wasm32
  chromium firefox-esr webkit2gtk-driver libwebkit2gtk-4.1-0 locales poppler-utils
  g++-multilib qemu-user
  python3 python3-numpy python3-scipy dpkg-dev lintian
  bash-completion zsh fish
)
# Node and npm drive the page's tests; a machine with its own Node keeps it.
command -v node >/dev/null && command -v npm >/dev/null || packages+=(nodejs npm)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then sudo=sudo; else sudo=; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
