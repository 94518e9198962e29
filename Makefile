# The three commands of the README. Each installs what is missing first.
.PHONY: setup exe host run test test-host test-asan test-fuzz test-exe test-repro test-lab test-e2e test-e2e-repeat mutants bench dist clean

BUILD := build
JOBS  := $(shell nproc)

# Vexo.exe carries the last commit's date, not the time of the build, so that
# the same tree gives the same bytes; the zip's entries carry it too.
SOURCE_DATE_EPOCH ?= $(shell git log -1 --format=%ct 2>/dev/null || echo 0)
export SOURCE_DATE_EPOCH

setup:
	@bash scripts/setup.sh

exe: setup
	cmake -S . -B $(BUILD)/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
	cmake --build $(BUILD)/win32 -j $(JOBS)

host: setup
	cmake -S . -B $(BUILD)/host -DCMAKE_BUILD_TYPE=Debug >/dev/null
	cmake --build $(BUILD)/host -j $(JOBS)

run: exe
	/usr/bin/python3 -m lab.show

test-host: host
	cd $(BUILD)/host && ctest --output-on-failure -j $(JOBS)

test-asan: setup
	cmake -S . -B $(BUILD)/asan -DCMAKE_BUILD_TYPE=Debug -DVELUMEN_SANITIZE=ON >/dev/null
	cmake --build $(BUILD)/asan -j $(JOBS)
	cd $(BUILD)/asan && ctest --output-on-failure -j $(JOBS)

# The command-line splitter against its reference; FUZZ_SECONDS=600 by hand.
FUZZ_SECONDS ?= 30
test-fuzz: setup
	mkdir -p $(BUILD)/fuzz/corpus
	clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -I. \
	  tests/fuzz/command_line_fuzz.cpp platform/command_line.cpp -o $(BUILD)/fuzz/command_line_fuzz
	cp -n tests/fuzz/corpus/* $(BUILD)/fuzz/corpus/
	$(BUILD)/fuzz/command_line_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=40000 \
	  -print_final_stats=1 $(BUILD)/fuzz/corpus >$(BUILD)/fuzz/log 2>&1 \
	  || { tail -n 40 $(BUILD)/fuzz/log; echo "fuzzing found a fault" >&2; exit 1; }
	@tail -n 4 $(BUILD)/fuzz/log

# Each edit in tests/mutants/edits.py breaks a rule of the core; a host test
# must fail on every one. Builds in its own copy under build/mutants.
mutants: setup
	/usr/bin/python3 tests/mutants/run.py

test-exe: exe
	/usr/bin/python3 res/check_exe.py $(BUILD)/win32/Vexo.exe --time-stamp $(SOURCE_DATE_EPOCH)
	/usr/bin/python3 -m pytest -p no:cacheprovider -q res/test_resources.py

# The lab's own logic (waits), on the host.
test-lab:
	/usr/bin/python3 -m pytest -p no:cacheprovider -q lab

# Two more builds of this tree in other folders must give the same bytes.
test-repro: exe
	bash scripts/check_reproducible.sh

test-e2e: exe
	bash e2e/run.sh

# The whole tier E2E_RUNS times in a row (pytest-repeat), with each
# scenario's failures and the number of green runs at the end.
E2E_RUNS ?= 10
test-e2e-repeat: exe
	bash e2e/run.sh --count=$(E2E_RUNS) --repeat-scope=session

test: test-host mutants test-asan test-fuzz test-exe test-repro test-lab test-e2e
	@echo "All test tiers passed."

# What a Windows user downloads: Vexo.exe, README.md and SHA256SUMS.
dist: exe
	@mkdir -p $(BUILD)/dist
	/usr/bin/python3 scripts/dist.py $(BUILD)/dist/Velumen.zip $(BUILD)/win32/Vexo.exe README.md

bench: exe
	bash bench/run.sh

clean:
	rm -rf $(BUILD)
