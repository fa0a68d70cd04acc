# Front door: `make run` starts the program on the sample set, `make test` runs every test.
BUILD    ?= build
FUZZ_BUILD ?= build-fuzz
ASAN_BUILD ?= build-asan
JOBS     ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo
PREFIX   ?= /usr/local

.PHONY: all deps configure build run install package package-check test test-unit fuzz-build \
	fuzz-smoke fuzz asan-build test-asan bench clean windows windows-test windows-package

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# Builds only the program, not the tests.
run: configure
	@cmake --build $(BUILD) -j $(JOBS) --target tarvik
	@scripts/run-sample.sh $(BUILD)/tarvik

# What a desktop install needs: the program, its menu entry, its icons and its manual page.
INSTALLED_TARGETS = tarvik tarvik_desktop

# Installs under PREFIX (default /usr/local); DESTDIR, when set, is put in front of every path.
install: configure
	@cmake --build $(BUILD) -j $(JOBS) --target $(INSTALLED_TARGETS)
	@DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)" --strip

# The Debian package, in $(BUILD)/package/. Like `make build` it builds everything first.
# dpkg-shlibdeps (dpkg-dev, with file) finds the libraries it depends on.
package: configure
	@scripts/install-deps.sh dpkg-dev file
	@cmake --build $(BUILD) -j $(JOBS) --target package

# Builds the package and checks what is in it; see scripts/package-check.sh.
package-check: package
	@scripts/install-deps.sh desktop-file-utils
	@scripts/package-check.sh $(BUILD)

# The gcc build's tests, the fuzz smoke runs, then every test again under AddressSanitizer (leaks
# included) and UndefinedBehaviorSanitizer; any report fails its test. Each step stops the target
# at its first failing test.
test: build fuzz-build asan-build
	@QT_QPA_PLATFORM=offscreen ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	@ctest --test-dir $(FUZZ_BUILD) --output-on-failure -j $(JOBS)
	@$(ASAN_CTEST)

test-asan: asan-build
	@$(ASAN_CTEST)

# LeakSanitizer stays on: Qt's offscreen platform leaves nothing behind that it reports, so a leak
# report is ours. halt_on_error and -fno-sanitize-recover make the first report end the test.
ASAN_CTEST = ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 QT_QPA_PLATFORM=offscreen \
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

# Debug keeps the build quick; -g1 is enough for the sanitizers' stack traces.
asan-build: deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 \
		-DTARVIK_SANITIZE=ON >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)

fuzz-build: deps
	@cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVIK_FUZZ=ON \
		-DCMAKE_CXX_COMPILER=clang++ >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS)

# Runs every fuzzer for FUZZ_SECONDS seconds each and prints executions and findings.
FUZZ_SECONDS ?= 60
fuzz: fuzz-build
	@scripts/fuzz-all.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

bench: build
	@scripts/install-deps.sh xvfb time
	@scripts/bench.sh $(BUILD)

# Windows, cross-built here and run under Wine; not part of `make test`. The first `make windows`
# cross-builds Qt from Debian's source package into ~/.cache/tarvik (about 20 minutes on 2 cores).
WINDOWS_BUILD ?= build-windows

windows:
	@scripts/windows.sh build $(WINDOWS_BUILD)

windows-test: windows
	@scripts/windows.sh test $(WINDOWS_BUILD)

windows-package: windows
	@scripts/windows.sh package $(WINDOWS_BUILD)

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD) $(ASAN_BUILD) $(WINDOWS_BUILD)
