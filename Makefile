# The two everyday commands are `make run` and `make test`; see README.md.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZANDREL_WERROR=ON

.PHONY: all deps configure build run test bench clean

all: build

deps:
	@scripts/install-deps

configure:
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) > /dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: deps build
	./$(BUILD)/zandrel

test: deps build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: deps build
	@if ls $(BUILD)/bench_* >/dev/null 2>&1; then for b in $(BUILD)/bench_*; do $$b; done; \
	else echo "no benchmarks yet"; fi

clean:
	rm -rf $(BUILD)
