# SPDX-License-Identifier: GPL-3.0-or-later
# The two commands of the README, and the developers' others.
#   make run    set-up, build, open the viewer on the bundled sample
#   make test   set-up, lint, build, every test (then again under ASan and UBSan)
#   make package  the Debian package tolvane_*.deb, in the build folder

BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
BENCH_BUILD ?= build-bench
FUZZ_BUILD ?= build-fuzz
JOBS       ?= $(shell nproc)
FUZZ_SECONDS ?= 60
SOAK_SECONDS ?= 1800
CMAKE_FLAGS ?=

PREFIX     ?= /usr/local

.PHONY: all deps build run lint test test-fast test-quick test-asan test-tsan soak package install bench fuzz fuzz-long clean format

all: build

deps:
	@./scripts/install-deps.sh

$(BUILD)/build.ninja: CMakeLists.txt | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -x $(BUILD)/tolvane ]; then \
		./scripts/run-viewer.sh $(BUILD); \
	else \
		$(BUILD)/tolvane-tool index $(BUILD)/GUIDE; \
	fi

test-fast: build
	@./scripts/install-deps.sh --browser
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTOLVANE_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
		UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j $(JOBS)

# Include direction between the layers, formatting, licence lines.
lint:
	@./scripts/install-deps.sh --lint
	./scripts/lint.sh

# The core's threaded code (the search shares its pass between threads)
# under ThreadSanitizer.
test-tsan: deps
	cmake -S . -B $(TSAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTOLVANE_TSAN=ON -DTOLVANE_UI=OFF $(CMAKE_FLAGS)
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target tolvane_core_tests
	cd $(TSAN_BUILD) && TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
		./tests/tolvane_core_tests --gtest_filter='*Search*:*Parallel*:-SearchRecall.*'

# The fast set: no window, no long session, no system package.
test-quick: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -LE 'gui|slow|system'

test: lint test-fast test-asan test-tsan

package: build
	cd $(BUILD) && cpack -G DEB

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# The random session of tests/app/tst_soak.cpp for SOAK_SECONDS under ASan
# and UBSan; TOLVANE_SOAK_SEED replays a session.
soak: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTOLVANE_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS) --target tst_soak
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 TOLVANE_SOAK_SECONDS=$(SOAK_SECONDS) \
		ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		LSAN_OPTIONS=suppressions=$(CURDIR)/tests/support/lsan.supp ./tests/tst_soak

bench:
	@./scripts/install-deps.sh --bench
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOLVANE_BENCH=ON -DTOLVANE_TESTS=OFF $(CMAKE_FLAGS)
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	./scripts/run-benchmarks.sh $(BENCH_BUILD)

fuzz:
	@./scripts/install-deps.sh --fuzz
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DTOLVANE_FUZZ=ON -DTOLVANE_UI=OFF -DTOLVANE_TESTS=OFF $(CMAKE_FLAGS)
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	./scripts/run-fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

fuzz-long:
	$(MAKE) fuzz FUZZ_SECONDS=600

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD)
