# Thin wrapper around CMake: installs what is missing, configures once, builds incrementally.
BUILD ?= build
JOBS ?= 2
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo
# Rebuilds in a second checkout or after a clean reuse earlier compilations when ccache is there.
LAUNCHER := $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# Paths inside the checkout count as relative, so the package build reuses the test build's objects.
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := 1

FUZZ_SECONDS ?= 20

.PHONY: all deps configure build run test clean sanitize-test fuzz fuzz-smoke package package-check

all: build

deps:
	@scripts/install-deps

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) $(LAUNCHER)

configure: $(BUILD)/build.ninja

build: deps configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	scripts/run-emulator $(BUILD) $(ARGS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The whole suite again with AddressSanitizer and UndefinedBehaviorSanitizer, in its own folder.
sanitize-test: deps
	@test -f build-asan/build.ninja || cmake -S . -B build-asan -G Ninja \
		-DCMAKE_BUILD_TYPE=Debug -DESPA_SANITIZE=ON
	cmake --build build-asan -j $(JOBS)
	cd build-asan && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 \
		UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# libFuzzer targets (clang), engine only.
fuzz:
	@scripts/install-deps fuzz
	@test -f build-fuzz/build.ninja || cmake -S . -B build-fuzz -G Ninja \
		-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
		-DESPA_BUILD_QT=OFF -DESPA_BUILD_TESTS=OFF -DESPA_BUILD_FUZZ=ON
	cmake --build build-fuzz -j $(JOBS)

# Each fuzz target for FUZZ_SECONDS on a scratch copy of its corpus; a finding fails the run.
fuzz-smoke: fuzz
	scripts/fuzz-run $(FUZZ_SECONDS)

# The Debian package, from a build of its own installed under /usr, without tests or benchmarks.
package:
	@scripts/install-deps package
	@test -f build-package/build.ninja || cmake -S . -B build-package -G Ninja \
		$(CMAKE_FLAGS) -DCMAKE_INSTALL_PREFIX=/usr -DESPA_BUILD_TESTS=OFF \
		-DESPA_BUILD_BENCH=OFF $(LAUNCHER)
	cmake --build build-package -j $(JOBS)
	cd build-package && cpack -G DEB

# The package's contents, its programs run from an unpacked copy, its manual pages, its unit
# and lintian; the package is never installed on this machine.
package-check: package
	scripts/check-package build-package

clean:
	rm -rf $(BUILD) build-asan build-fuzz build-package
