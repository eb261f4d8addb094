# Quiltra: `make test` runs everything CI runs; `make builds` builds and tests the plug-in for
# every host; `make dist` makes the packages a Windows user installs; `make bench` prints the
# benchmark figures.
BUILD ?= build
SDK   ?= 2016
ARCH  ?= x64
JOBS  ?= $(shell nproc)

NATIVE := $(BUILD)/native
BENCH  := $(BUILD)/bench
BENCH_WIN := $(BUILD)/bench-win
GEN    := -G Ninja
# The Windows benchmarks' toolchain (another one builds them for another target).
BENCH_TOOLCHAIN ?= cmake/mingw-w64-x86_64.cmake
BENCH_FLAGS ?= --benchmark_repetitions=5 --benchmark_min_time=0.1 \
  --benchmark_report_aggregates_only=true --benchmark_out_format=json

# The Windows builds, ARCH-SDK: one plug-in for each host SDK on x64, and the 2013 host's
# 32-bit build. Each has its own folder: build/win (x64, 2016, the default), build/win-SDK
# (x64) and build/win32-SDK (32-bit).
CONFIGS    := x64-2016 x64-2013 x64-2014 x64-2015 x86-2013
# What `make test` (and so CI) builds and tests: the two differ in the host's notification
# signatures. `make builds` adds the others.
CI_CONFIGS := x64-2016 x64-2013

arch_of      = $(word 1,$(subst -, ,$(1)))
sdk_of       = $(word 2,$(subst -, ,$(1)))
dir_of       = $(BUILD)/$(if $(filter x64-2016,$(1)),win,$(if $(filter x86,$(call arch_of,$(1))),win32,win)-$(call sdk_of,$(1)))
toolchain_of = cmake/mingw-w64-$(if $(filter x86,$(call arch_of,$(1))),i686,x86_64).cmake
setup_of     = $(if $(filter x86,$(call arch_of,$(1))),x86)

CONFIG := $(ARCH)-$(SDK)
WIN    := $(call dir_of,$(CONFIG))

# Every Windows build under one BUILD folder shares its wine prefix (about 1 GB); separate BUILD
# folders never share a wineserver. The suites of one BUILD folder run one after another.
export QUILTRA_WINEPREFIX := $(abspath $(BUILD))/wineprefix

# Targets that run wine must not run side by side (each suite keeps the prefix's one server).
.NOTPARALLEL:

.PHONY: all setup native windows test test-native test-windows check-dialect check-format builds bench demo \
        render-bench clean check-config soak dist test-install

all: native windows

setup:
	@scripts/setup $(call setup_of,$(CONFIG))

check-config:
	@$(if $(filter $(CONFIG),$(CONFIGS)),true,echo "no build for ARCH=$(ARCH) SDK=$(SDK); the builds are: $(CONFIGS)" >&2; false)

native:
	@scripts/setup
	@cmake -S . -B $(NATIVE) $(GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILTRA_SANITIZE=ON >/dev/null
	@cmake --build $(NATIVE) -j $(JOBS)

# windows-ARCH-SDK builds one configuration, test-windows-ARCH-SDK runs its suite under wine
# (one virtual display and one wineserver for the whole run, scripts/test-windows).
define config_rules
.PHONY: windows-$(1) test-windows-$(1)
windows-$(1):
	@scripts/setup $(call setup_of,$(1))
	@cmake -S . -B $(call dir_of,$(1)) $(GEN) --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=$(call toolchain_of,$(1)) \
	  -DCMAKE_BUILD_TYPE=Release -DQUILTRA_SDK_VERSION=$(call sdk_of,$(1)) >/dev/null
	@cmake --build $(call dir_of,$(1)) -j $(JOBS) $(if $(BUILD_TARGETS),--target $(BUILD_TARGETS))
test-windows-$(1): windows-$(1)
	@scripts/test-windows $(call dir_of,$(1)) -j $(JOBS)
endef
$(foreach c,$(CONFIGS),$(eval $(call config_rules,$(c))))

windows: check-config
	@$(MAKE) --no-print-directory windows-$(CONFIG)

test-windows: check-config
	@$(MAKE) --no-print-directory test-windows-$(CONFIG)

# The model-based soak for longer than `make test` runs it: N sequences (seeds FIRST onwards) of
# the Windows build (ARCH, SDK) under wine.
N ?= 1000
FIRST ?= 1
soak: check-config
	@$(MAKE) --no-print-directory windows-$(CONFIG)
	@scripts/soak $(WIN) $(N) $(FIRST)

check-dialect:
	@python3 scripts/check-dialect engine texmap ui

# Every C++ file as .clang-format says (clang-format -i FILE formats one).
check-format:
	@scripts/setup
	@scripts/check-format

test-native: native
	@cd $(NATIVE) && ctest --output-on-failure -j $(JOBS)

# Builds, suites and the checks across builds (scripts/builds): CI's pair here, all five in
# `make builds`.
test: check-dialect check-format test-native
	@scripts/builds $(foreach c,$(CI_CONFIGS),$(c)=$(call dir_of,$(c)))
	@$(MAKE) --no-print-directory test-install

# The installer and the zip of the stand-alone program, made from the default build into a
# folder of the build tree, installed, run and uninstalled under wine in a fresh prefix.
INSTALL_TEST := $(BUILD)/install-test
test-install: windows-x64-2016
	@rm -rf $(INSTALL_TEST)
	@scripts/dist $(INSTALL_TEST) x64-2016=$(call dir_of,x64-2016) >/dev/null
	@tests/dist/install_test.py $(INSTALL_TEST) $(call dir_of,x64-2016)

# The packages of a release, from every build, into dist/ (long: all five builds):
# Vorlith-VERSION-SDK-ARCH.zip for each, quiltra-VERSION-win64.zip, quiltra-VERSION-x64.msi and
# SHA256SUMS.
# Only what the packages hold is built (no tests).
DIST ?= dist
DIST_TARGETS := Vorlith quiltra
dist:
	@rm -rf $(DIST)
	@$(foreach c,$(CONFIGS),$(MAKE) --no-print-directory windows-$(c) JOBS=$(JOBS) BUILD_TARGETS="$(DIST_TARGETS)" &&) true
	@scripts/dist $(DIST) $(foreach c,$(CONFIGS),$(c)=$(call dir_of,$(c)))

builds:
	@scripts/builds $(foreach c,$(CONFIGS),$(c)=$(call dir_of,$(c)))

# The engine benchmarks of both builds, Windows (under wine) and native, in one session; prints
# their tables side by side (bench/summarize.py). Each program's own output is kept beside its
# JSON in its build folder.
bench:
	@scripts/setup
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

# The README's first command: builds the host program (and the plug-in it loads) in the default
# build (x64, SDK 2016, the folder ./quiltra runs from), then renders the demo scene.
DEFAULT_WIN := $(call dir_of,x64-2016)
demo:
	@scripts/setup
	@cmake -S . -B $(DEFAULT_WIN) $(GEN) --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=$(call toolchain_of,x64-2016) \
	  -DCMAKE_BUILD_TYPE=Release -DQUILTRA_SDK_VERSION=2016 >/dev/null
	@cmake --build $(DEFAULT_WIN) -j $(JOBS) --target quiltra
	@QUILTRA_BUILD=$(abspath $(BUILD)) ./quiltra render examples/demo.json -o out/demo.png
	@echo "The demo picture is $(CURDIR)/out/demo.png"

# End-to-end speed of `quiltra render` under wine (default build); figures in
# bench/render-figures.md.
render-bench:
	@scripts/setup
	@cmake -S . -B $(DEFAULT_WIN) $(GEN) --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=$(call toolchain_of,x64-2016) \
	  -DCMAKE_BUILD_TYPE=Release -DQUILTRA_SDK_VERSION=2016 >/dev/null
	@cmake --build $(DEFAULT_WIN) -j $(JOBS) --target quiltra
	@python3 host/app/render_bench.py $(CURDIR) $(abspath $(BUILD)) bench/render-figures.md $(if $(BEFORE),--before $(abspath $(BEFORE)))

clean:
	rm -rf $(BUILD)
