# make run   - install what is missing, build, start the assembler
# make test  - the same set-up, then every test
# make web   - the page in the browser (build-web/); make web-run serves it on localhost
# make vsix  - the VS Code extension
# make bench - the benchmarks, in an optimised build
# make build-types - build and test once per standard CMake build type
BUILD ?= build
PREFIX ?= /usr/local
DESTDIR ?=
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

FUZZ_SECONDS ?= 600
BUILD_TYPES := Debug Release RelWithDebInfo MinSizeRel

.PHONY: all setup configure build run test web web-run package install vsix bench build-types fuzz format clean

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

# Every test twice: as built, then built with the address and undefined-behaviour
# sanitizers, where any finding fails the run.
#
# The sanitizer build compiles while the first build's suites run: the longest suite keeps
# one core busy alone for minutes, and the compiler takes the other. The suites' report is
# shown once both are done.
test: build web
	@cmake -S . -B $(BUILD)-asan -G Ninja -DQ41_SANITIZE=ON -DQ41_BUILD_BENCH=OFF $(CMAKE_FLAGS) >/dev/null
	@mkdir -p $(BUILD)/Testing
	@(cd $(BUILD) && ctest --output-on-failure -j $(JOBS) >Testing/suites.log 2>&1; \
	  echo $$? >Testing/suites.rc) & \
	built=0; cmake --build $(BUILD)-asan -j $(JOBS) || built=$$?; wait; \
	cat $(BUILD)/Testing/suites.log; \
	[ "$$(cat $(BUILD)/Testing/suites.rc)" = 0 ] && [ $$built = 0 ]
	@grep -ho "[0-9]* steps of user sessions ran" $(BUILD)/Testing/Temporary/LastTest.log
	@grep -ho "[0-9]* kills, [0-9]* restores compared" $(BUILD)/Testing/Temporary/LastTest.log
	@grep -ho "neovim: [0-9]* requests made, [0-9]* answers compared" $(BUILD)/Testing/Temporary/LastTest.log
	@grep -ho "ksyntax: [0-9]* lines and [0-9]* characters coloured alike" $(BUILD)/Testing/Temporary/LastTest.log
	@grep -ho "vscode grammar: [0-9]* lines of [0-9]* programs .*" $(BUILD)/Testing/Temporary/LastTest.log
	@grep -ho "[0-9]* renames offered and compiled the same, [0-9]* refused" $(BUILD)/Testing/Temporary/LastTest.log
	@cd $(BUILD)-asan && ctest --output-on-failure -j $(JOBS)
	@grep -ho "[0-9]* steps of user sessions ran" $(BUILD)-asan/Testing/Temporary/LastTest.log

# The page: the same sources built to WebAssembly with Debian's emscripten (objects in
# $(BUILD)-wasm), and the page's scripts bundled beside them, into build-web/. Debian's
# emscripten finds its JavaScript parser among Debian's node modules, which a node of
# another source does not search.
WEB_ENV := NODE_PATH=/usr/share/nodejs
web: setup
	@$(WEB_ENV) emcmake cmake -S . -B $(BUILD)-wasm -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" -DQ41_BUILD_GUI=OFF -DQ41_BUILD_TESTS=OFF \
	  -DQ41_BUILD_BENCH=OFF $(CMAKE_FLAGS) >/dev/null
	@$(WEB_ENV) cmake --build $(BUILD)-wasm -j $(JOBS)
	@if [ -f web/build.mjs ]; then node web/build.mjs build-web; fi

web-run: web
	@node web/serve.mjs build-web

# The Debian package, from the build of `make test`: build/q41-assembler_VERSION_ARCH.deb.
package: build
	@cd $(BUILD) && cpack -G DEB
	@ls $(BUILD)/q41-assembler_*.deb

# The VS Code extension: build/q41-assembler-VERSION.vsix, installed with
# `code --install-extension build/q41-assembler-1.0.0.vsix`.
vsix: build
	@scripts/vsix.sh $(BUILD)

# The same files as the package, under PREFIX (/usr/local unless given) and DESTDIR.
install: build
	@DESTDIR=$(DESTDIR) cmake --install $(BUILD) --prefix $(PREFIX)

bench: configure
	@cmake --build $(BUILD) -j $(JOBS) --target q41asm
	@cmake -S . -B $(BUILD)-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQ41_BUILD_TESTS=OFF >/dev/null
	@cmake --build $(BUILD)-bench -j $(JOBS)
	@Q41ASM_DEFAULT_BUILD=$(BUILD)/q41asm $(BUILD)-bench/bench/translator_bench
	@$(BUILD)-bench/bench/lsp_bench
	@$(BUILD)-bench/bench/ui_bench

# Each build type optimises differently, and some compiler warnings appear only at one level;
# this checks that all of them build without a warning and pass. Too slow for `make test`.
build-types: setup
	@set -e; for t in $(BUILD_TYPES); do \
	  echo "== $$t"; \
	  cmake -S . -B $(BUILD)-$$t -G Ninja -DCMAKE_BUILD_TYPE=$$t -DQ41_BUILD_BENCH=OFF $(CMAKE_FLAGS) >/dev/null; \
	  cmake --build $(BUILD)-$$t -j $(JOBS); \
	  (cd $(BUILD)-$$t && ctest --output-on-failure -j $(JOBS)); \
	done

# Each libFuzzer target for FUZZ_SECONDS (10 minutes unless said otherwise), seeded with
# the test cases and examples. A crash stops the run and leaves its input in build-fuzz/.
fuzz: setup
	@cmake -S . -B $(BUILD)-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DQ41_BUILD_FUZZ=ON \
	  -DQ41_BUILD_GUI=OFF -DQ41_BUILD_TESTS=OFF -DQ41_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(BUILD)-fuzz -j $(JOBS)
	@scripts/fuzz.sh $(BUILD)-fuzz $(FUZZ_SECONDS)

format:
	@clang-format -i $$(git ls-files '*.cpp' '*.hpp')

clean:
	rm -rf $(BUILD) $(BUILD)-bench $(BUILD)-asan $(BUILD)-fuzz $(addprefix $(BUILD)-,$(BUILD_TYPES)) $(BUILD)-wasm build-web
