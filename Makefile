# The two everyday commands are `make run` and `make test`; see README.md.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZANDREL_WERROR=ON
# The second build of `make test`: the unit and render tests under AddressSanitizer and UBSan.
ASAN_BUILD ?= build-asan
SANITIZE ?= -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
# Line tables are enough for the sanitizers' reports, and much quicker to build than full debug info.
SANITIZE_OPTIMIZE ?= -O2 -g1
SANITIZER_ENV = LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan_suppressions.txt

.PHONY: all deps configure build run test bench bench-check clean web fuzz

all: build

deps:
	@scripts/install-deps

configure:
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) > /dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: deps build
	./$(BUILD)/zandrel

# Everything, then the unit and render tests again with the sanitizers (the end-to-end cases,
# which test the desktop program, run once). The sanitizer build takes the generated sources from
# $(BUILD) and builds only what those tests run (the target sanitizer_tests).
test: deps build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	@cmake -S . -B $(ASAN_BUILD) $(CMAKE_FLAGS) "-DCMAKE_CXX_FLAGS=$(SANITIZE)" \
	  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=$(SANITIZE_OPTIMIZE)" \
	  -DZANDREL_GENERATED_FROM=$(abspath $(BUILD)) > /dev/null
	@$(SANITIZER_ENV) cmake --build $(ASAN_BUILD) -j $(JOBS) --target sanitizer_tests
	cd $(ASAN_BUILD) && $(SANITIZER_ENV) ctest --output-on-failure -j $(JOBS) -L 'unit|render'

bench: deps build
	@if ls $(BUILD)/bench_* >/dev/null 2>&1; then for b in $(BUILD)/bench_*; do $$b; done; \
	else echo "no benchmarks yet"; fi

# Fails, naming each budget missed, when a benchmark's median exceeds bench/budgets.txt.
bench-check: deps build
	@cmake -DBUILD_DIR=$(BUILD) -P bench/bench_check.cmake

# The browser program: build-web/index.html (emscripten; the generated sources come from $(BUILD)).
web: deps configure
	@cmake --build $(BUILD) -j $(JOBS) --target zandrel_resources
	@JOBS=$(JOBS) platform/web/build.sh $(BUILD) build-web

# The fuzz targets as libFuzzer programs, $(BUILD)/fuzz/fuzz_{record,sgf,settings,events}, built by
# clang in a configuration of their own; see fuzz/CMakeLists.txt for running them.
fuzz: deps
	@cmake -S . -B $(BUILD)/fuzz-cmake -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DZANDREL_FUZZ=ON -DZANDREL_FUZZ_OUTPUT_DIR=$(abspath $(BUILD))/fuzz > /dev/null
	@cmake --build $(BUILD)/fuzz-cmake -j $(JOBS) --target fuzz_targets

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
