# The two commands of the README: `make run` and `make test`. Each installs what
# it needs (Debian packages), configures and builds. `make dist` builds a release.
.PHONY: run test deps native sanitize windows windows-i686 linux-i686 web web-test fuzz-build fuzz exhaustive bench dist dist-check clean

SHELL := /bin/bash
WEB_TESTS := node --test web/tests/*.test.mjs

deps:
	@scripts/install-deps.sh

native: deps
	@cmake --preset native >/dev/null && cmake --build --preset native

sanitize: deps
	@cmake --preset sanitize >/dev/null && cmake --build --preset sanitize

windows: deps
	@cmake --preset mingw-x64 >/dev/null && cmake --build --preset mingw-x64

windows-i686: deps
	@cmake --preset mingw-i686 >/dev/null && cmake --build --preset mingw-i686

# The page: build/web/kestrane.html, one offline file with the core as WebAssembly.
web: deps
	@cmake --preset web >/dev/null && cmake --build --preset web

# puppeteer-core for the page's tests and benchmark, exactly as package-lock.json pins it.
node_modules/.package-lock.json: package.json package-lock.json | deps
	npm ci --no-audit --no-fund

# The page in headless Chromium, Firefox and WebKitGTK (against the native kestrane-cli), and its module under Node.
web-test: web native node_modules/.package-lock.json
	$(WEB_TESTS)

# The core and CLI tests as a static 32-bit x86 Linux program, run under qemu-i386.
linux-i686: deps
	@cmake --preset linux-i686 >/dev/null && cmake --build --preset linux-i686

fuzz-build: deps
	@cmake --preset fuzz >/dev/null && cmake --build --preset fuzz

# Each fuzz target for a bounded time (FUZZ_SECONDS each), from the committed seeds.
FUZZ_SECONDS ?= 60
fuzz: fuzz-build
	scripts/fuzz.sh $(FUZZ_SECONDS)

# Every float and every midpoint between floats through the field scan (minutes).
exhaustive: native
	cmake --build --preset native --target exhaustive_scan
	build/native/exhaustive/exhaustive_scan

run: windows
	@scripts/run-kestrane.sh

# The x64 Windows tests also read the resources of the i686 build, which cannot run here.
test: native sanitize fuzz-build windows windows-i686 linux-i686 web node_modules/.package-lock.json
	ctest --preset native
	ctest --preset sanitize
	ctest --preset fuzz
	ctest --preset linux-i686
	KESTRANE_I686_EXE=$(CURDIR)/build/mingw-i686/app/Kestrane.exe scripts/with-display.sh ctest --preset mingw-x64
	ctest --preset mingw-i686
	$(WEB_TESTS)

# Exits non-zero when any benchmark misses its target.
bench: native windows web node_modules/.package-lock.json
	scripts/bench.sh

# Files shipped beside the packages as they are, each built by its own rule first.
DIST_FILES := build/web/kestrane.html

build/web/kestrane.html: web

# The release, into dist/: Windows zips, the Debian package, SHA256SUMS.
dist: deps $(DIST_FILES)
	scripts/dist.sh $(DIST_FILES)

# Builds the committed tree twice in temporary folders; the two dist/ must be identical.
dist-check: deps
	scripts/dist-check.sh

clean:
	rm -rf build dist
