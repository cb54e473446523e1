# The two commands of the README: `make run` and `make test`. Each installs what
# it needs (Debian packages), configures and builds.
.PHONY: run test deps native sanitize windows windows-i686 bench clean

SHELL := /bin/bash
WINE_RUN := scripts/wine-run.sh

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

run: windows
	@scripts/run-kestrane.sh

test: native sanitize windows windows-i686
	ctest --preset native
	ctest --preset sanitize
	scripts/with-display.sh ctest --preset mingw-x64
	ctest --test-dir build/mingw-i686 --output-on-failure

bench: native
	scripts/bench.sh

clean:
	rm -rf build
