# Front door: `make test` configures, builds with two jobs and runs every test.
BUILD ?= build
JOBS  ?= 2
CMAKE_FLAGS ?=

SANITIZE_BUILD ?= build-asan

.PHONY: all deps configure build test test-sanitize demo package clean

all: build

deps:
	@./scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

# The whole suite built with AddressSanitizer and UndefinedBehaviorSanitizer
# in its own build directory; tests that measure memory size (label
# memory-size) are left out, a sanitizer's allocator makes them meaningless.
test-sanitize: deps
	@cmake -S . -B $(SANITIZE_BUILD) -DORV_SANITIZE=ON $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(SANITIZE_BUILD) -j$(JOBS)
	@cd $(SANITIZE_BUILD) && ctest --output-on-failure -j$(JOBS) -LE memory-size

# Debian package of the programs, manual pages and examples.
package: build
	@cd $(BUILD) && cpack -G DEB

# rcgate's story on the simulated arrays, in the sandbox (needs root).
demo: configure
	@echo "Building rcgate, rcplan, the array simulator and the sandbox..."
	@cmake --build $(BUILD) -j$(JOBS) --target orv-demo >/dev/null
	@$(BUILD)/testing/demo/orv-demo

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD)
