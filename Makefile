# Front door: `make test` configures, builds with two jobs and runs every test.
BUILD ?= build
JOBS  ?= 2
CMAKE_FLAGS ?=

.PHONY: all deps configure build test demo package clean

all: build

deps:
	@./scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

# Debian package of the programs, manual pages and examples.
package: build
	@cd $(BUILD) && cpack -G DEB

# rcgate's story on the simulated arrays, in the sandbox (needs root).
demo: configure
	@echo "Building rcgate, rcplan, the array simulator and the sandbox..."
	@cmake --build $(BUILD) -j$(JOBS) --target orv-demo >/dev/null
	@$(BUILD)/testing/demo/orv-demo

clean:
	rm -rf $(BUILD)
