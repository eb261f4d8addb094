# Quiltra: `make test` runs everything CI runs; `make bench` prints the benchmark figures.
BUILD ?= build
SDK   ?= 2016
JOBS  ?= $(shell nproc)

NATIVE := $(BUILD)/native
WIN    := $(BUILD)/win
BENCH  := $(BUILD)/bench
BENCH_WIN := $(BUILD)/bench-win
GEN    := -G Ninja
# The Windows benchmarks' toolchain (another one builds them for another target).
BENCH_TOOLCHAIN ?= cmake/mingw-w64-x86_64.cmake
BENCH_FLAGS ?= --benchmark_repetitions=5 --benchmark_min_time=0.1 \
  --benchmark_report_aggregates_only=true --benchmark_out_format=json

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

# The engine benchmarks of both builds, Windows (under wine) and native, in one session; prints
# their tables side by side (bench/summarize.py). Each program's own output is kept beside its
# JSON in its build folder.
bench: setup
	@cmake -S . -B $(BENCH) $(GEN) -DCMAKE_BUILD_TYPE=Release -DQUILTRA_BENCH=ON >/dev/null
	@cmake --build $(BENCH) -j $(JOBS) --target engine_bench
	@cmake -S . -B $(BENCH_WIN) $(GEN) -DCMAKE_TOOLCHAIN_FILE=$(BENCH_TOOLCHAIN) \
	  -DCMAKE_BUILD_TYPE=Release -DQUILTRA_SDK_VERSION=$(SDK) -DQUILTRA_BENCH=ON >/dev/null
	@cmake --build $(BENCH_WIN) -j $(JOBS) --target engine_bench
	@echo "Windows build under wine, then native; load average $$(cut -d' ' -f1-3 /proc/loadavg)"
	@scripts/wine-run $(BENCH_WIN)/bin/engine_bench.exe $(BENCH_FLAGS) \
	  --benchmark_out=$(BENCH_WIN)/run.json > $(BENCH_WIN)/run.txt
	@$(BENCH)/bench/engine_bench $(BENCH_FLAGS) --benchmark_out=$(BENCH)/run.json > $(BENCH)/run.txt
	@python3 bench/summarize.py windows=$(BENCH_WIN)/run.json native=$(BENCH)/run.json

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
