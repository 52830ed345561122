# Thin wrapper around CMake: `make run` and `make test` are the whole set-up.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
TSAN_BUILD ?= build-tsan
DEB_BUILD  ?= build-deb
COV_BUILD  ?= build-cov
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=
DEMO       ?= demo/demo.wav

# What the demo needs, so that a newcomer sees the first decode soon.
DEMO_TOOLS = talvir-cli talvir-signalgen

.PHONY: all deps configure build demo-tools run test test-release test-asan tsan bench fuzz fuzz-build fuzz-seeds soak screenshots deb deb-check coverage mutants clean

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
TSAN_TESTS = app audio cli common outputs_json outputs_publishing outputs_sbs sdr tracking ui
tsan: deps
	cmake -S . -B $(TSAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTALVIR_TSAN=ON -DTALVIR_BUILD_BENCH=OFF $(CMAKE_ARGS)
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target talvir-cli talvir-screenshots tests_cli_demo $(TSAN_TESTS:%=tests_%)
	scripts/run-tsan $(TSAN_BUILD) $(TSAN_BUILD)/tests/cli/demo.wav $(TSAN_TESTS)

bench: build
	@for b in $(BUILD)/bench/*/talvir_bench_*; do \
	  [ -x "$$b" ] || continue; echo "== $$b"; "$$b" || exit 1; done

# Each fuzz target runs FUZZ_SECONDS (default 30) on its seed corpus in
# fuzz/corpus/ (read only); what it finds new goes to $(FUZZ_BUILD)/corpus/,
# crashes to $(FUZZ_BUILD)/artifacts/. FUZZ_TARGETS picks some
# (FUZZ_TARGETS="fuzz_scenario fuzz_sound_input"). The long campaign is the same
# with hours: see bench/RESULTS.md.
FUZZ_SECONDS ?= 30
FUZZ_TARGETS ?= fuzz_hfdl_frame fuzz_vhf_frames fuzz_config_files fuzz_scenario fuzz_json_output \
                fuzz_feed_protocol fuzz_command_line fuzz_sound_input

fuzz-build:
	@TALVIR_FUZZ_DEPS=1 scripts/install-deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DTALVIR_FUZZ=ON -DTALVIR_BUILD_TESTS=OFF -DTALVIR_BUILD_BENCH=OFF -DTALVIR_BUILD_GUI=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target talvir_fuzzers

fuzz: fuzz-build
	@mkdir -p $(FUZZ_BUILD)/artifacts
	@for f in $(FUZZ_TARGETS); do \
	  echo "== $$f ($(FUZZ_SECONDS) s)"; mkdir -p $(FUZZ_BUILD)/corpus/$$f; \
	  $(FUZZ_BUILD)/fuzz/$$f -max_total_time=$(FUZZ_SECONDS) -timeout=25 -rss_limit_mb=2048 -print_final_stats=1 \
	    -artifact_prefix=$(FUZZ_BUILD)/artifacts/$$f- $(FUZZ_BUILD)/corpus/$$f fuzz/corpus/$$f || exit 1; done

# The seed corpora from the test bench, after it changed.
fuzz-seeds: fuzz-build
	rm -rf fuzz/corpus
	$(FUZZ_BUILD)/fuzz/make_fuzz_seeds fuzz/corpus testbench/signalgen/example-scenario.json

# A day of generated audio through the console's pipeline, then the window's
# (offscreen); SOAK_HOURS shortens it. The figures go to stdout.
SOAK_HOURS ?= 24
soak: configure
	cmake --build $(BUILD) -j $(JOBS) --target talvir-soak talvir-soak-window
	$(BUILD)/tests/soak/talvir-soak --hours $(SOAK_HOURS)
	QT_QPA_PLATFORM=offscreen $(BUILD)/tests/soak/talvir-soak-window --hours $(SOAK_HOURS)

# Line and branch coverage of src/ and testbench/ by the suite, per folder
# (lcov, from Debian); an instrumented tree of its own in $(COV_BUILD).
coverage: deps
	@TALVIR_COVERAGE_DEPS=1 scripts/install-deps
	scripts/coverage $(COV_BUILD)

# Ten deliberate faults across the modules, each planted alone in the working
# tree and run against the test programs of its module and of those built on
# it (scripts/mutants): it names the tests that catch each, or says SURVIVED.
# The tree is put back after each.
mutants: build
	scripts/mutants $(BUILD)

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
	cmake --build $(BUILD) -j $(JOBS) --target talvir-screenshots talvir
	xvfb-run -a -s "-screen 0 1600x1000x24" $(BUILD)/src/ui/talvir-screenshots --input $(DEMO) --output docs/images
	@mkdir -p $(BUILD)/channel-list
	$(BUILD)/testbench/signalgen/talvir-signalgen --hfdl-band-demo --quiet --output $(BUILD)/channel-list/band.cs16
	$(BUILD)/src/cli/talvir-cli --config-dir $(BUILD)/channel-list --show all --save-settings
	xvfb-run -a -s "-screen 0 1600x1000x24" $(BUILD)/src/ui/talvir --config-dir $(BUILD)/channel-list \
	    --dde-port off --input $(BUILD)/channel-list/band.cs16 --iq-format cs16 --iq-rate 96000 --freq 8950 \
	    --freqs 8912,8942,8977 --screenshot docs/images/talvir-channel-list.png --seconds 18

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD) $(DEB_BUILD) $(COV_BUILD)
