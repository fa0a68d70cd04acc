# Front door: `make run` starts the program on the sample set, `make test` runs every test.
BUILD    ?= build
FUZZ_BUILD ?= build-fuzz
JOBS     ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all deps build run test test-unit fuzz-build fuzz-smoke fuzz bench clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run-sample.sh $(BUILD)/tarvik

test: build fuzz-build
	@QT_QPA_PLATFORM=offscreen ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	@ctest --test-dir $(FUZZ_BUILD) --output-on-failure

fuzz-build: deps
	@cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVIK_FUZZ=ON \
		-DCMAKE_CXX_COMPILER=clang++ >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS)

# Runs every fuzzer for FUZZ_SECONDS seconds each and prints executions and findings.
FUZZ_SECONDS ?= 60
fuzz: fuzz-build
	@scripts/fuzz-all.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

bench: build
	@scripts/bench.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD)
