# The two commands of the README: `make run` and `make test`. Each installs what
# it needs (Debian packages), configures and builds.
.PHONY: run test deps native sanitize windows windows-i686 fuzz-build fuzz exhaustive bench clean

SHELL := /bin/bash

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
test: native sanitize fuzz-build windows windows-i686
	ctest --preset native
	ctest --preset sanitize
	ctest --preset fuzz
	KESTRANE_I686_EXE=$(CURDIR)/build/mingw-i686/app/Kestrane.exe scripts/with-display.sh ctest --preset mingw-x64
	ctest --preset mingw-i686

bench: native
	scripts/bench.sh

clean:
	rm -rf build
