# Tarnwell Setup: `make` builds, `make run` runs the setup in the project's Wine prefix,
# `make test` runs every test. The tools are installed on first use.
#
# Two Windows builds from the same sources: build/win32 (32-bit, runs on every Windows from 95 to
# 11) and build/win64 (x86-64). Both are built everywhere; what runs under Wine depends on the
# machine (scripts/host-arch): where it cannot run 32-bit code, only the x86-64 build does.
# TW_ARCH=win64 makes any machine behave as such a one.
BUILD := build
HOST := $(BUILD)/host
WIN := $(BUILD)/win32
WIN64 := $(BUILD)/win64
ASAN := $(BUILD)/host-asan
FUZZ_SECONDS ?= 60
JOBS := $(shell nproc)
MAKEFLAGS += --no-print-directory
# Each build directory has its own Wine prefixes, so that builds side by side do not meet:
# a 32-bit prefix for the 32-bit build, a 64-bit one for the x86-64 build.
PREFIX32 := $(abspath $(BUILD))/wineprefix
PREFIX64 := $(abspath $(BUILD))/wineprefix64
SESSION32 := TW_WINEARCH=win32 TW_WINEPREFIX=$(PREFIX32) scripts/session
SESSION64 := TW_WINEARCH=win64 TW_WINEPREFIX=$(PREFIX64) scripts/session
# In a recipe: the architecture this machine runs, decided once for the whole recipe.
DECIDE_ARCH = arch=$$(scripts/host-arch)

.PHONY: all host win32 win64 windows run test test-beside check bench clean tools host-asan fuzz release faults

all: windows

tools:
	@scripts/bootstrap

host: tools
	@cmake -S . -B $(HOST) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(HOST) -j$(JOBS)

win32: host
	@cmake --no-warn-unused-cli -S . -B $(WIN) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DTW_HOST_BUILD=$(abspath $(HOST)) >/dev/null
	@cmake --build $(WIN) -j$(JOBS)

win64: host
	@cmake --no-warn-unused-cli -S . -B $(WIN64) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DTW_HOST_BUILD=$(abspath $(HOST)) >/dev/null
	@cmake --build $(WIN64) -j$(JOBS)

windows: win32 win64

# The 32-bit setup.exe in a 32-bit prefix where the machine runs 32-bit code, else the x86-64
# one in a 64-bit prefix; the first line after the tools says which, before the build.
run: tools
	@$(DECIDE_ARCH); if [ $$arch = win32 ]; then \
	    echo "make run: the 32-bit setup.exe ($(WIN)/setup.exe) in a 32-bit Wine prefix ($(PREFIX32))"; \
	    $(MAKE) windows && $(SESSION32) scripts/run-setup $(WIN)/setup.exe; \
	else \
	    echo "make run: the x86-64 setup.exe ($(WIN64)/setup.exe) in a 64-bit Wine prefix ($(PREFIX64)), since $$(scripts/host-arch --why)"; \
	    $(MAKE) windows && $(SESSION64) scripts/run-setup $(WIN64)/setup.exe; \
	fi

# The x86-64 suites run everywhere; the 32-bit ones where the machine can run them, and their
# checks that need no Windows (the programs' headers, imports, resources) everywhere. Then a
# release signed with a throwaway certificate, in a temporary directory (tests/release).
# The Win32 and end-to-end suites spend about half their time waiting on Wine: the 32-bit ones
# run beside the x86-64 ones (a session and display of their own), and the release test, the
# sanitized host tests and the fuzzing run beside both at the lowest priority, taking only what
# the suites leave. Output of what ran beside comes after the x86-64 suites'; any failure fails
# the whole. The prefixes every part copies are made first, so that none waits for one made at
# the lowest priority.
LOGS := $(BUILD)/test-logs
test: windows host-asan
	@cd $(HOST) && ctest --output-on-failure
	@rm -rf $(LOGS) && mkdir -p $(LOGS); $(DECIDE_ARCH); \
	$(SESSION64) true & s64=$$!; [ $$arch = win32 ] && $(SESSION32) true; wait $$s64; \
	nice -n 19 $(MAKE) test-beside >$(LOGS)/beside.log 2>&1 & beside=$$!; \
	if [ $$arch = win32 ]; then \
	    $(SESSION32) sh -c 'cd $(WIN) && ctest --output-on-failure -j2' >$(LOGS)/win32.log 2>&1 & win32=$$!; \
	else \
	    { (cd $(WIN) && ctest --output-on-failure -L nowine) && \
	      echo "make test: the 32-bit Win32 and end-to-end suites were not run: $$(scripts/host-arch --why)"; } >$(LOGS)/win32.log 2>&1 & win32=$$!; \
	fi; \
	rc=0; $(SESSION64) sh -c 'cd $(WIN64) && ctest --output-on-failure -j2' || rc=1; \
	wait $$win32 || rc=1; cat $(LOGS)/win32.log; \
	wait $$beside || rc=1; cat $(LOGS)/beside.log; \
	[ $$rc = 0 ] && echo "make test: passed" || echo "make test: FAILED (see above)"; exit $$rc

# What make test runs beside the Win32 suites: each part runs even when one before it failed.
test-beside:
	@rc=0; TW_WINEARCH=win64 TW_WINEPREFIX=$(abspath $(BUILD))/release/prefix64 scripts/session tests/release/release-test || rc=1; \
	(cd $(ASAN) && ctest --output-on-failure) || rc=1; \
	scripts/fuzz $(ASAN) 20 || rc=1; exit $$rc

# The host tests and the fuzz targets under AddressSanitizer and UndefinedBehaviorSanitizer.
host-asan: tools
	@cmake -S . -B $(ASAN) -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DTW_SANITIZE=ON >/dev/null
	@cmake --build $(ASAN) -j$(JOBS)

# Every fuzz target for FUZZ_SECONDS (default 60), e.g. `make fuzz FUZZ_SECONDS=300`.
fuzz: host-asan
	@scripts/fuzz $(ASAN) $(FUZZ_SECONDS)

# One Win32 test program, or those matching T, e.g. `make check T=support`, in the 32-bit build
# where the machine runs it, else in the x86-64 one; `TW_ARCH=win64 make check T=support`
# takes the x86-64 one on any machine.
check: windows
	@$(DECIDE_ARCH); if [ $$arch = win32 ]; then \
	    $(SESSION32) sh -c 'cd $(WIN) && ctest --output-on-failure -R "$(T)"'; \
	else \
	    $(SESSION64) sh -c 'cd $(WIN64) && ctest --output-on-failure -R "$(T)"'; \
	fi

# The fault sweep (scripts/faults): a silent install killed, or failing with ENOSPC or EIO, at
# every call with which it writes a file of drive C, fresh and as an update, each in a fresh copy
# of a prepared prefix, then the machine checked; for each build the machine runs.
faults: windows
	@$(DECIDE_ARCH); rc=0; \
	TW_WINEARCH=win64 TW_WINEPREFIX=$(PREFIX64) scripts/session scripts/faults $(WIN64) || rc=1; \
	if [ $$arch = win32 ]; then \
	    TW_WINEARCH=win32 TW_WINEPREFIX=$(PREFIX32) scripts/session scripts/faults $(WIN) || rc=1; \
	else \
	    echo "make faults: the 32-bit build was not swept: $$(scripts/host-arch --why)"; \
	fi; exit $$rc

# The SZDD packer against mscompress, then each setup.exe against NSIS's build of the same
# files for its architecture (sizes, silent install time), in a prefix of its own. The sizes of
# both builds are reported everywhere; the 32-bit one is timed where the machine runs it.
# Then the same at a real product's size: each build again with a 25 MB payload
# (scripts/bench-payload, in build/bench25), against NSIS zlib and LZMA and LZ32 alone.
SCALE := $(BUILD)/bench25
scale_build = scripts/bench-payload $(1)/payload/original $(SCALE)/payload-$(2) && \
	cmake --no-warn-unused-cli -S . -B $(SCALE)/$(2) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-$(3).cmake -DTW_HOST_BUILD=$(abspath $(HOST)) \
	  -DTARNWELL_PAYLOAD_DIR=$(abspath $(SCALE))/payload-$(2) >/dev/null && \
	cmake --build $(SCALE)/$(2) -j$(JOBS) --target setup
bench: windows
	@cmake --build $(HOST) --target bench
	@scripts/bootstrap bench
	@cmake --build $(WIN) --target setupstub installbench
	@cmake --build $(WIN64) --target setupstub installbench
	@$(call scale_build,$(WIN),win32,i686)
	@$(call scale_build,$(WIN64),win64,x86_64)
	@$(DECIDE_ARCH); rc=0; \
	TW_WINEARCH=win64 TW_WINEPREFIX=$(abspath $(BUILD))/benchprefix64 scripts/session scripts/bench-setup $(WIN64) $(SCALE)/win64 || rc=1; \
	if [ $$arch = win32 ]; then \
	    TW_WINEARCH=win32 TW_WINEPREFIX=$(abspath $(BUILD))/benchprefix scripts/session scripts/bench-setup $(WIN) $(SCALE)/win32 || rc=1; \
	else \
	    scripts/bench-setup --sizes $(WIN) $(SCALE)/win32 || rc=1; \
	    echo "make bench: the 32-bit silent install was not timed: $$(scripts/host-arch --why)"; \
	fi; exit $$rc

# setup.exe of both builds in dist/x86 and dist/x64 with dist/SHA256SUMS, built in build/release;
# signed when TW_SIGN_PKCS12 (and TW_SIGN_PASSWORD) or TW_SIGN_CERT and TW_SIGN_KEY name a
# certificate, with TW_SIGN_TIMESTAMP as the time-stamp server when given.
release: host
	@scripts/release dist

clean:
	rm -rf $(BUILD)
