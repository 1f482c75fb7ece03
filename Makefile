# make run   - install what is missing, build, start the assembler
# make test  - the same set-up, then every test
# make bench - the benchmarks, in an optimised build
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all setup configure build run test bench format clean

all: build

setup:
	@scripts/setup.sh

configure: setup
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# Without a display (a headless machine) the windows run under a virtual one.
run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then $(BUILD)/asm_Q41; \
	else echo "No display: running under Xvfb (xvfb-run)."; xvfb-run -a $(BUILD)/asm_Q41; fi

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: setup
	@cmake -S . -B $(BUILD)-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQ41_BUILD_TESTS=OFF >/dev/null
	@cmake --build $(BUILD)-bench -j $(JOBS)
	@$(BUILD)-bench/bench/translator_bench
	@$(BUILD)-bench/bench/ui_bench

format:
	@clang-format -i $$(git ls-files '*.cpp' '*.hpp')

clean:
	rm -rf $(BUILD) $(BUILD)-bench
