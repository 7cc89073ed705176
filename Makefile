# Velmora World launcher: `make demo` runs the demo, `make test` runs the tests.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_COMMON = -DCMAKE_BUILD_TYPE=Release

.PHONY: all deps configure build test demo clean

all: build

deps:
	@tools/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD)/x64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake $(CMAKE_COMMON)
	cmake -S . -B $(BUILD)/i686 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake $(CMAKE_COMMON)

build: configure
	cmake --build $(BUILD)/x64 -j $(JOBS)
	cmake --build $(BUILD)/i686 -j $(JOBS)

test: build
	tools/testenv.sh $(BUILD)/x64 ctest --test-dir $(BUILD)/x64 --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD)
