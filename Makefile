# Thin wrapper over the CMake presets. Every target first installs missing packages.
.PHONY: deps build test run package bench clean

QUILLON := build/default/composer/window/quillon

deps:
	@bash scripts/install-deps

build: deps
	cmake --preset default
	cmake --build --preset default

test: build
	ctest --preset default
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

run: build
	$(QUILLON)

# The Debian package, from this build's own CPack configuration, into build/default/package/.
package: build
	cpack --config build/default/CPackConfig.cmake -B build/default/package

bench: build
	@for b in build/default/bench/*_bench; do [ -x "$$b" ] && "$$b" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true; done

# The AVR example with the melody player, for the ATmega328P at 16 MHz: ELF and Intel HEX in
# build/firmware/, then its size and the player's.
.PHONY: firmware
firmware: deps
	cmake --preset default
	cmake --build --preset default --target timervals
	$(MAKE) -C firmware OUT=$(CURDIR)/build/firmware TIMERVALS=$(CURDIR)/build/default/tools/timervals/timervals

clean:
	rm -rf build
