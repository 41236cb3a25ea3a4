# Tolvane: `make run` sets up, builds and starts the program; `make test` sets up, builds and
# runs the whole test suite. Both install missing Debian packages first.

BUILD_DIR ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVANE_WERROR=ON

.PHONY: setup build run test clean

setup:
	./scripts/setup-debian.sh

build: setup
	cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS)
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	./scripts/run.sh $(BUILD_DIR)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD_DIR)
