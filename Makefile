# Quiltra: `make test` runs everything CI runs; `make bench` prints the benchmark figures.
BUILD ?= build
SDK   ?= 2016
JOBS  ?= $(shell nproc)

NATIVE := $(BUILD)/native
WIN    := $(BUILD)/win
BENCH  := $(BUILD)/bench
GEN    := -G Ninja

# Each build folder has its own wine prefix, so separate builds never share a wineserver.
export QUILTRA_WINEPREFIX := $(abspath $(BUILD))/wineprefix

.PHONY: all setup native windows test test-native test-windows check-dialect bench demo render-bench clean

all: native windows

setup:
	@scripts/setup

native: setup
	@cmake -S . -B $(NATIVE) $(GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILTRA_SANITIZE=ON >/dev/null
	@cmake --build $(NATIVE) -j $(JOBS)

windows: setup
	@cmake -S . -B $(WIN) $(GEN) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DQUILTRA_SDK_VERSION=$(SDK) >/dev/null
	@cmake --build $(WIN) -j $(JOBS)

check-dialect:
	@python3 scripts/check-dialect engine texmap ui

test-native: native
	@cd $(NATIVE) && ctest --output-on-failure -j $(JOBS)

# One virtual display and one wineserver for the whole run (scripts/test-windows).
test-windows: windows
	@scripts/test-windows $(WIN) -j $(JOBS)

test: check-dialect test-native test-windows

bench: setup
	@cmake -S . -B $(BENCH) $(GEN) -DCMAKE_BUILD_TYPE=Release -DQUILTRA_BENCH=ON >/dev/null
	@cmake --build $(BENCH) -j $(JOBS)
	@$(BENCH)/bench/engine_bench

# The README's first command: builds the host program (and the plug-in it loads), then renders the
# demo scene.
demo: setup
	@cmake -S . -B $(WIN) $(GEN) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DQUILTRA_SDK_VERSION=$(SDK) >/dev/null
	@cmake --build $(WIN) -j $(JOBS) --target quiltra
	@QUILTRA_BUILD=$(abspath $(BUILD)) ./quiltra render examples/demo.json -o out/demo.png
	@echo "The demo picture is $(CURDIR)/out/demo.png"

# End-to-end speed of `quiltra render` under wine; figures in bench/render-figures.md.
render-bench: setup
	@cmake -S . -B $(WIN) $(GEN) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DQUILTRA_SDK_VERSION=$(SDK) >/dev/null
	@cmake --build $(WIN) -j $(JOBS) --target quiltra
	@python3 host/app/render_bench.py $(CURDIR) $(abspath $(BUILD)) bench/render-figures.md

clean:
	rm -rf $(BUILD)
