# Tolvane: `make run` sets up, builds and starts the program; `make test` sets up, builds and
# runs the whole test suite: the tests, then the same tests built with the address and
# undefined-behaviour sanitizers, then every fuzz target for a short while. Both install missing
# Debian packages first. `make check` runs only the first part; `make bench` prints the
# performance table (bench/run); `make package` builds the Debian package tolvane_*.deb here.

BUILD_DIR ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVANE_WERROR=ON

.PHONY: setup build run test check test-sanitize fuzz-short bench package clean

FUZZ_SECONDS ?= 20

setup:
	./scripts/setup-debian.sh

build: setup
	cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS)
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	./scripts/run.sh $(BUILD_DIR)

test: check test-sanitize fuzz-short

check: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

test-sanitize: setup
	./scripts/test-sanitize.sh

fuzz-short: setup
	./fuzz/run $(FUZZ_SECONDS)

bench: setup
	./bench/run

package: build
	rm -f $(BUILD_DIR)/tolvane_*.deb
	cd $(BUILD_DIR) && cpack -G DEB
	cp $(BUILD_DIR)/tolvane_*.deb .

clean:
	rm -rf $(BUILD_DIR) build-sanitize build-fuzz build-bench tolvane_*.deb
