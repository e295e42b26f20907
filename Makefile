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

clean:
	rm -rf build
