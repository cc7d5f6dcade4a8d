# Quick start: `make run` starts the game, `make test` builds and runs every test.
.PHONY: run test check deps deps-run build clean

BUILD_RUN := build/release
BUILD_DEBUG := build/debug
LAYER ?= platform
JOBS := $(shell nproc)
export CCACHE_DIR ?= $(HOME)/.cache/tessaloom-ccache
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := 1
export CCACHE_SLOPPINESS := pch_defines,time_macros

# What playing needs; `deps` adds what testing needs.
deps-run:
	@tools/install-deps run

deps:
	@tools/install-deps test

# The program alone: no test, benchmark or end-to-end target is configured, so none of
# their packages is needed. `make test` turns them back on in the same tree.
build: deps-run
	@mkdir -p build
	@CC=gcc CXX=g++ cmake -S . -B $(BUILD_RUN) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_CXX_FLAGS_RELEASE="-O2 -g0 -DNDEBUG" -DCMAKE_C_FLAGS_RELEASE="-O2 -g0 -DNDEBUG" \
	  -DTL_TESTS=OFF -DTL_BENCH=OFF >/dev/null
	@cmake --build $(BUILD_RUN) -j$(JOBS) --target tessaloom

run: build
	@$(BUILD_RUN)/game/tessaloom

test: deps
	@tools/ci/test-all

# Quick iteration: a g++ debug build and one layer's unit tests (make check LAYER=classlib).
check: deps
	@mkdir -p build
	@CC=gcc CXX=g++ cmake -S . -B $(BUILD_DEBUG) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTL_TESTS=ON -DTL_BENCH=OFF >/dev/null
	@cmake --build $(BUILD_DEBUG) -j$(JOBS) --target $(LAYER)_tests
	@cd $(BUILD_DEBUG) && ctest -j$(JOBS) --timeout 120 --output-on-failure -R '^$(LAYER)\.'

clean:
	rm -rf build
