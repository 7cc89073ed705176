# Velmora World launcher. `make test` installs what is missing, builds both targets, checks the
# programs and runs the tests under Wine. BUILD=<folder> builds elsewhere (default: build).
BUILD ?= build
JOBS ?= $(shell nproc)
TEST_JOBS ?= $(JOBS)
CMAKE_COMMON = -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=ON

.PHONY: all deps configure build check-binaries test demo clean

all: build

deps:
	@tools/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD)/x64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake $(CMAKE_COMMON)
	cmake -S . -B $(BUILD)/i686 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake $(CMAKE_COMMON)

build: configure
	cmake --build $(BUILD)/x64 -j $(JOBS)
	cmake --build $(BUILD)/i686 -j $(JOBS)

# The shipped 32-bit programs cannot run here: they are built and checked only.
check-binaries: build
	tools/check-binaries.sh $(BUILD)/x64 PE32+
	tools/check-binaries.sh $(BUILD)/i686 PE32

test: check-binaries
	tools/testenv.sh $(BUILD)/x64 ctest --test-dir $(BUILD)/x64 --output-on-failure -j $(TEST_JOBS)

# The launcher as a player meets it, against a demo game served here (tools/demo.sh): on the DISPLAY
# when there is one, otherwise on Xvfb with screenshots in $(BUILD)/demo/.
demo: configure
	cmake --build $(BUILD)/x64 -j $(JOBS) --target velmora_launcher vorn_standin trust_ca demo_pilot
	tools/demo.sh $(BUILD)

clean:
	rm -rf $(BUILD)
