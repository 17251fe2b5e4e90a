# The two commands of the README:
#   make run    sets up, builds and starts Sondrel
#   make test   sets up, builds and runs every test (normal build, then ASan+UBSan build)
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan
RELEASE_BUILD ?= build-release
CLANG_BUILD ?= build-clang
TSAN_BUILD ?= build-tsan
# The project's own builds treat warnings as errors.
CONFIGURE = cmake -G Ninja -DSONDREL_WERROR=ON

.PHONY: run test setup build build-asan unit asan tsan release clang package check-package fuzz bench clean

setup:
	@./scripts/setup.sh

$(BUILD)/build.ninja:
	$(CONFIGURE) -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: setup $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./scripts/run-sondrel.sh $(BUILD)/src/sondrel

unit: build
	cd $(BUILD) && ctest -j $(JOBS) --output-on-failure

$(ASAN_BUILD)/build.ninja:
	$(CONFIGURE) -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DSONDREL_SANITIZE=ON

build-asan: setup $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS)

asan: build-asan
	cd $(ASAN_BUILD) && ctest -j $(JOBS) --output-on-failure

test: unit asan

# ThreadSanitizer over the tests that convert several files at once: the
# engine's and the programs' (the other layers are driven from one thread).
$(TSAN_BUILD)/build.ninja:
	$(CONFIGURE) -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSONDREL_TSAN=ON

tsan: setup $(TSAN_BUILD)/build.ninja
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target test_engine test_programs
	cd $(TSAN_BUILD) && TSAN_OPTIONS="halt_on_error=1 suppressions=$(CURDIR)/scripts/tsan.supp" \
	  ctest -j $(JOBS) --output-on-failure -L '^(engine|programs)$$'

# A Release build with GCC and a Debug build with clang, tests included: both
# build warning-clean (the tests run in the two builds above). clang's warnings
# do not depend on the optimisation level; GCC's do.
$(RELEASE_BUILD)/build.ninja:
	$(CONFIGURE) -S . -B $(RELEASE_BUILD) -DCMAKE_BUILD_TYPE=Release

release: setup $(RELEASE_BUILD)/build.ninja
	cmake --build $(RELEASE_BUILD) -j $(JOBS)

$(CLANG_BUILD)/build.ninja:
	$(CONFIGURE) -S . -B $(CLANG_BUILD) -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++

clang: setup $(CLANG_BUILD)/build.ninja
	cmake --build $(CLANG_BUILD) -j $(JOBS)

# The Debian package sondrel_<version>-1_<arch>.deb, in $(RELEASE_BUILD).
package: release
	cd $(RELEASE_BUILD) && cpack -G DEB

# Installs, packages and runs what was installed: tests/packaging/check-install.sh.
check-package: release
	./tests/packaging/check-install.sh $(RELEASE_BUILD)

fuzz: setup
	./scripts/run-fuzz.sh $(FUZZ_SECONDS)

bench: setup
	$(CONFIGURE) -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DSONDREL_BENCH=ON -DSONDREL_TESTS=OFF
	cmake --build build-bench -j $(JOBS) --target benches
	./scripts/run-bench.sh build-bench

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(RELEASE_BUILD) $(CLANG_BUILD) build-fuzz build-bench
