# The README's commands. Each target installs what is missing first.
BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja

.PHONY: all deps build run test test-asan test-tsan bench fuzz fuzz-deps format clean

all: build

deps:
	@scripts/install-deps

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/ui/batchfit

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

$(ASAN_BUILD)/build.ninja: | deps
	cmake -S . -B $(ASAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DBATCHFIT_SANITIZE=address

test-asan: deps $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

$(TSAN_BUILD)/build.ninja: | deps
	cmake -S . -B $(TSAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBATCHFIT_SANITIZE=thread -DBATCHFIT_WITH_GUI=OFF

# Only the tests labelled "threads" exercise worker threads; only they are built.
test-tsan: deps $(TSAN_BUILD)/build.ninja
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target DecodeAheadTest
	ctest --test-dir $(TSAN_BUILD) --output-on-failure -j $(JOBS) -L threads

bench: build
	$(BUILD)/bench/batchfit-bench
	$(BUILD)/bench/batchfit-sampled-bench
	$(BUILD)/bench/batchfit-smooth-bench --pair $(BUILD)/bench/smooth-pair.png
	$(BUILD)/bench/batchfit-editor-bench

# libFuzzer targets built with clang, without Qt and tests, each run for
# FUZZ_SECONDS from a seed corpus our own code writes.
fuzz-deps:
	@scripts/install-deps --fuzz

$(FUZZ_BUILD)/build.ninja: | fuzz-deps
	cmake -S . -B $(FUZZ_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	  -DBATCHFIT_FUZZ=ON -DBATCHFIT_WITH_GUI=OFF -DBUILD_TESTING=OFF

fuzz: fuzz-deps $(FUZZ_BUILD)/build.ninja
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz-all
	fuzz/run-fuzzers $(FUZZ_BUILD) $(FUZZ_SECONDS)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD)
