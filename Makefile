# Kalvoren: `make run` and `make test` do all set-up on a fresh Debian machine.
BUILD_DIR ?= build
ASAN_BUILD_DIR ?= build-asan
FUZZ_BUILD_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_JOBS ?= 2
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test test-asan fuzz bench format clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@bash scripts/run.sh $(BUILD_DIR)

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# The whole suite built with AddressSanitizer and UndefinedBehaviorSanitizer; the first
# fault stops the test that hit it. Fontconfig, under the Qt tests, keeps a cache that the
# leak checker would report at exit; it is not the program's.
test-asan: deps
	@cmake -S . -B $(ASAN_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKALVOREN_SANITIZE=ON -DKALVOREN_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(ASAN_BUILD_DIR) -j $(JOBS)
	@printf 'leak:libfontconfig.so\n' > $(ASAN_BUILD_DIR)/lsan.supp
	@cd $(ASAN_BUILD_DIR) && ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 \
		LSAN_OPTIONS=suppressions=$$(pwd)/lsan.supp:print_suppressions=0 \
		UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# Every libFuzzer target for FUZZ_SECONDS seconds each (FUZZ_JOBS at once), from a copy of
# its seed corpus in fuzz/corpus; fails when any target finds something.
fuzz: deps
	@{ command -v clang++ >/dev/null 2>&1 && \
		ls "$$(clang++ -print-runtime-dir)"/libclang_rt.fuzzer-*.a >/dev/null 2>&1; } || \
		{ [ "$$(id -u)" -eq 0 ] && DEBIAN_FRONTEND=noninteractive apt-get update -qq && \
		DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
		clang libclang-rt-dev >/dev/null; } || \
		{ echo "make fuzz needs clang and libFuzzer: sudo apt-get install -y clang libclang-rt-dev" >&2; exit 1; }
	@cmake -S . -B $(FUZZ_BUILD_DIR) -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
		-DCMAKE_BUILD_TYPE=RelWithDebInfo -DKALVOREN_FUZZ=ON -DKALVOREN_BUILD_GUI=OFF \
		-DKALVOREN_BUILD_TESTS=OFF -DKALVOREN_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD_DIR) --target kalvoren_fuzzers -j $(JOBS)
	@FUZZ_JOBS=$(FUZZ_JOBS) bash scripts/fuzz.sh $(FUZZ_BUILD_DIR) $(FUZZ_SECONDS)

bench: build
	@bash scripts/bench.sh $(BUILD_DIR)

format:
	@find engine classification entry results platform app cli diagrams tests bench fuzz \
		\( -name '*.cpp' -o -name '*.h' \) -print0 2>/dev/null | xargs -0 clang-format -i

clean:
	rm -rf $(BUILD_DIR) $(ASAN_BUILD_DIR) $(FUZZ_BUILD_DIR)
