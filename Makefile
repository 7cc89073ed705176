# Velmora World launcher. `make test` installs what is missing, builds the two test builds, checks the
# programs and runs the tests under Wine; `make bench` runs the benchmarks. `make release
# PUBLIC_KEY=<128 hex digits>` builds the shipped program. BUILD=<folder> builds elsewhere (default: build).
BUILD ?= build
RELEASE_BUILD ?= $(BUILD)/release
JOBS ?= $(shell nproc)
TEST_JOBS ?= $(JOBS)
# The toolchain file is read at the first configure only; cmake would call it unused afterwards.
CMAKE_COMMON = --no-warn-unused-cli -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=ON

.PHONY: all deps configure build check-binaries test bench demo release clean

all: build

deps:
	@tools/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD)/x64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake $(CMAKE_COMMON)
	cmake -S . -B $(BUILD)/i686 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake $(CMAKE_COMMON) \
	      -DCMAKE_COMPILE_WARNING_AS_ERROR=ON

build: configure
	cmake --build $(BUILD)/x64 -j $(JOBS)
	cmake --build $(BUILD)/i686 -j $(JOBS)

# The 32-bit test build cannot run here: it is built (warnings are errors) and checked only, to show
# that the shipped architecture builds cleanly.
check-binaries: build
	tools/check-binaries.sh $(BUILD)/x64 PE32+
	tools/check-binaries.sh $(BUILD)/i686 PE32

test: check-binaries
	tools/testenv.sh $(BUILD)/x64 ctest --test-dir $(BUILD)/x64 --output-on-failure -j $(TEST_JOBS)

# The launcher against bare programs doing the same work (tools/bench.sh): download, list check and
# start-up, one benchmark after the other, each alone; not part of `make test`.
bench: configure
	cmake --build $(BUILD)/x64 -j $(JOBS) --target trust_ca download_benchmark filelist_bench startup_bench
	tools/bench.sh $(BUILD)/x64

# The launcher as a player meets it, against a demo game served here (tools/demo.sh): on the DISPLAY
# when there is one, otherwise on Xvfb with screenshots in $(BUILD)/demo/.
demo: configure
	cmake --build $(BUILD)/x64 -j $(JOBS) --target velmora_launcher vorn_standin trust_ca demo_pilot
	tools/demo.sh $(BUILD)

# The shipped program alone, in its own folder, trusting the publisher's key and checked for test seams
# and for the keys of the test builds here (tools/release.sh).
release:
	JOBS=$(JOBS) tools/release.sh $(RELEASE_BUILD) '$(PUBLIC_KEY)' $(wildcard $(BUILD)/*/keys/list-signing.pub.hex)

clean:
	rm -rf $(BUILD)
