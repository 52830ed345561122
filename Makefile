# Thin wrapper around CMake: `make run` and `make test` are the whole set-up.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
TSAN_BUILD ?= build-tsan
DEB_BUILD  ?= build-deb
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=
DEMO       ?= demo/demo.wav

# What the demo needs, so that a newcomer sees the first decode soon.
DEMO_TOOLS = talvir-cli talvir-signalgen

.PHONY: all deps configure build demo-tools run test test-release test-asan tsan bench fuzz screenshots deb deb-check clean

all: build

deps:
	@scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

demo-tools: configure
	cmake --build $(BUILD) -j $(JOBS) --target $(DEMO_TOOLS)

$(DEMO): | demo-tools
	@mkdir -p $(dir $(DEMO))
	$(BUILD)/testbench/signalgen/talvir-signalgen --demo --output $(DEMO)

# The traffic as a listener reads it (the default selection), then a summary.
run: demo-tools $(DEMO)
	$(BUILD)/src/cli/talvir-cli --input $(DEMO) --channel-a hf --channel-b vhf --summary

test: deps test-release test-asan

# ctest names the skipped tests; scripts/skipped-tests says why they skipped.
test-release: configure
	cmake --build $(BUILD) -j $(JOBS)
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) || status=$$?; \
	  scripts/skipped-tests $(BUILD); exit $${status:-0}

test-asan:
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTALVIR_SANITIZE=ON -DTALVIR_BUILD_BENCH=OFF $(CMAKE_ARGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS) || status=$$?; \
	  scripts/skipped-tests $(ASAN_BUILD); exit $${status:-0}

# ThreadSanitizer: both front ends on the demo and the test programs that
# start threads (the worker, capture, the outputs' threads, the window).
# Not part of `make test`: it builds the tree a third time.
TSAN_TESTS = app audio cli common outputs_json outputs_publishing outputs_sbs tracking ui
tsan: deps
	cmake -S . -B $(TSAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTALVIR_TSAN=ON -DTALVIR_BUILD_BENCH=OFF $(CMAKE_ARGS)
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target talvir-cli talvir-screenshots tests_cli_demo $(TSAN_TESTS:%=tests_%)
	scripts/run-tsan $(TSAN_BUILD) $(TSAN_BUILD)/tests/cli/demo.wav $(TSAN_TESTS)

bench: build
	@for b in $(BUILD)/bench/*/talvir_bench_*; do \
	  [ -x "$$b" ] || continue; echo "== $$b"; "$$b" || exit 1; done

fuzz:
	@TALVIR_FUZZ_DEPS=1 scripts/install-deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DTALVIR_FUZZ=ON -DTALVIR_BUILD_TESTS=OFF -DTALVIR_BUILD_BENCH=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target talvir_fuzzers
	@for f in $(FUZZ_BUILD)/fuzz/fuzz_*; do \
	  [ -x "$$f" ] || continue; echo "== $$f"; "$$f" -max_total_time=$${FUZZ_SECONDS:-60} || exit 1; done

# The Debian package, from a release build without tests and benchmarks.
deb: deps
	cmake -S . -B $(DEB_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTALVIR_BUILD_TESTS=OFF \
	  -DTALVIR_BUILD_BENCH=OFF -DCMAKE_INSTALL_PREFIX=/usr
	cmake --build $(DEB_BUILD) -j $(JOBS)
	cd $(DEB_BUILD) && cpack -G DEB

# Installs the package into a fresh Debian 12 chroot, runs it, removes it.
deb-check: deb
	@TALVIR_DEB_CHECK_DEPS=1 scripts/install-deps
	scripts/check-deb $(DEB_BUILD)

# The pictures of docs/images: the demo played through the real window.
screenshots: demo-tools $(DEMO)
	cmake --build $(BUILD) -j $(JOBS) --target talvir-screenshots
	xvfb-run -a -s "-screen 0 1600x1000x24" $(BUILD)/src/ui/talvir-screenshots --input $(DEMO) --output docs/images

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD) $(DEB_BUILD)
