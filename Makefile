# Tarnwell Setup: `make` builds, `make run` runs the setup in the project's Wine prefix,
# `make test` runs every test. The tools are installed on first use.
BUILD := build
HOST := $(BUILD)/host
WIN := $(BUILD)/win32
ASAN := $(BUILD)/host-asan
FUZZ_SECONDS ?= 60
JOBS := $(shell nproc)
MAKEFLAGS += --no-print-directory
# Each build directory has its own Wine prefix, so that builds side by side do not meet.
export TW_WINEPREFIX := $(abspath $(BUILD))/wineprefix

.PHONY: all host win32 run test check bench clean tools host-asan fuzz

all: win32

tools:
	@scripts/bootstrap

host: tools
	@cmake -S . -B $(HOST) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(HOST) -j$(JOBS)

win32: host
	@cmake --no-warn-unused-cli -S . -B $(WIN) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DTW_HOST_BUILD=$(abspath $(HOST)) >/dev/null
	@cmake --build $(WIN) -j$(JOBS)

run: win32
	@scripts/session scripts/run-setup $(WIN)/setup.exe

test: win32 host-asan
	@cd $(HOST) && ctest --output-on-failure
	@scripts/session sh -c 'cd $(WIN) && ctest --output-on-failure -j2'
	@cd $(ASAN) && ctest --output-on-failure
	@scripts/fuzz $(ASAN) 20

# The host tests and the fuzz targets under AddressSanitizer and UndefinedBehaviorSanitizer.
host-asan: tools
	@cmake -S . -B $(ASAN) -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DTW_SANITIZE=ON >/dev/null
	@cmake --build $(ASAN) -j$(JOBS)

# Every fuzz target for FUZZ_SECONDS (default 60), e.g. `make fuzz FUZZ_SECONDS=300`.
fuzz: host-asan
	@scripts/fuzz $(ASAN) $(FUZZ_SECONDS)

# One Win32 test program, or those matching T, e.g. `make check T=support`.
check: win32
	@scripts/session sh -c 'cd $(WIN) && ctest --output-on-failure -R "$(T)"'

# The SZDD packer against mscompress, then setup.exe against NSIS (sizes, silent install time)
# in a prefix of its own.
bench: win32
	@cmake --build $(HOST) --target bench
	@scripts/bootstrap bench
	@cmake --build $(WIN) --target setupstub installbench
	@TW_WINEPREFIX=$(abspath $(BUILD))/benchprefix scripts/session scripts/bench-setup $(WIN)

clean:
	rm -rf $(BUILD)
