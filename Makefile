# Thin wrapper over the CMake presets. Every target first installs missing packages.
.PHONY: deps build test run package bench fuzz clean

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

# The melody reader under clang's libFuzzer for FUZZ_SECONDS; new inputs go to build/fuzz/corpus,
# crashes to build/fuzz/crash-*. Add what it finds to fuzz/melody_reader_corpus once fixed.
FUZZ_SECONDS ?= 60
fuzz: deps
	mkdir -p build/fuzz/corpus
	clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined \
		-Icomposer/melody/include -Icomposer/editor/include \
		composer/melody/src/*.cpp fuzz/MelodyReaderFuzz.cpp -o build/fuzz/melody_reader_fuzz
	build/fuzz/melody_reader_fuzz -max_total_time=$(FUZZ_SECONDS) -artifact_prefix=build/fuzz/ \
		build/fuzz/corpus fuzz/melody_reader_corpus

clean:
	rm -rf build
