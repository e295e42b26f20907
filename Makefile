# Thin wrapper over the CMake presets. Every target first installs missing packages.
.PHONY: deps build test run package bench fuzz clean windows web run-web

QUILLON := build/default/composer/qt/quillon

# Configures a preset only when its build tree has none yet or the presets changed since: ninja
# configures again by itself when a CMakeLists.txt changes, and a needless run costs time and
# repeats its messages. CMake leaves an unchanged build.ninja alone, hence the touch. The tree is
# build/<preset> unless named: $(call configure,<preset>[,<tree>]).
configure = @[ $(or $(2),build/$(1))/build.ninja -nt CMakePresets.json ] || \
	{ cmake --preset $(1) && touch $(or $(2),build/$(1))/build.ninja; }

deps:
	@bash scripts/install-deps

build: deps
	$(call configure,default)
	cmake --build --preset default

# The sanitizer build goes on at the lowest priority while the tests run, most of which wait on
# windows, sound and simulated boards more than they compute; its output is shown if it fails.
test: build
	$(call configure,asan)
	@nice -n 19 cmake --build --preset asan >build/asan/build.log 2>&1 & asan=$$!; \
	ctest --preset default; tests=$$?; \
	if ! wait $$asan; then cat build/asan/build.log; echo "make test: the asan build failed"; exit 1; fi; \
	[ $$tests -eq 0 ] || exit $$tests
	ctest --preset asan

run: build
	$(QUILLON)

# The Debian package, from the release build (no tests, warnings not errors, so that a newer
# compiler's new warnings cannot stop it), into build/release/package/.
package: deps
	$(call configure,release)
	cmake --build --preset release
	cpack --config build/release/CPackConfig.cmake -B build/release/package

# The benchmarks, then clicks at a human pace with real X events: the composer's CPU per click
# beside a bare window's, measured in the same run, in three cases: the Linux composer with no
# sound output at all (no device, no server), the same with a private PulseAudio server, and the
# Windows composer under wine beside a bare Win32 window, with that server. Then how long a large
# paste keeps each window busy, beside the same floors. Kept melodies go to a folder of their own.
BENCH_DATA = $$(mktemp -d)
PRIVATE_PULSE = composer/sound/testing/private-pulse.sh
CLICK_PACE = xvfb-run -a -s "-screen 0 800x600x24" bash bench/window/click-pace.sh
PASTE_PACE = xvfb-run -a -s "-screen 0 800x600x24" bash bench/window/paste-pace.sh
WINE = $$(command -v /usr/lib/wine/wine64 || command -v wine)
bench: build
	$(call configure,windows)
	cmake --build --preset windows --target quillon bare-click-window
	@for b in build/default/bench/*_bench; do [ -x "$$b" ] && "$$b" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true; done
	@data=$(BENCH_DATA) && export XDG_DATA_HOME=$$data && \
	LABEL="Linux, no sound output" ALSA_CONFIG_PATH=$(CURDIR)/composer/sound/tests/no-devices.alsa.conf \
		PULSE_SERVER=unix:/nonexistent/quillon-no-server \
		$(CLICK_PACE) $(QUILLON) build/default/bench/bare-click-window && \
	LABEL="Linux" $(PASTE_PACE) $(QUILLON) build/default/bench/bare-click-window && \
	LABEL="Linux, PulseAudio" bash $(PRIVATE_PULSE) -- \
		$(CLICK_PACE) $(QUILLON) build/default/bench/bare-click-window && \
	mkdir -p build/bench-wine && export WINEPREFIX=$(CURDIR)/build/bench-wine/prefix && \
	LABEL="Windows under wine, PulseAudio" QUILLON_LAUNCH="bash composer/win32/tests/wine.sh run $(WINE)" \
		bash $(PRIVATE_PULSE) -- xvfb-run -a -s "-screen 0 800x600x24" \
		bash composer/win32/tests/wine.sh session $(WINE) bash bench/window/click-pace.sh \
		build/windows/quillon.exe build/windows/bare-click-window.exe && \
	LABEL="Windows under wine" QUILLON_LAUNCH="bash composer/win32/tests/wine.sh run $(WINE)" \
		xvfb-run -a -s "-screen 0 800x600x24" bash composer/win32/tests/wine.sh session $(WINE) \
		bash bench/window/paste-pace.sh build/windows/quillon.exe build/windows/bare-click-window.exe 1 4; \
	status=$$?; rm -rf "$$data"; exit $$status

# The AVR example with the melody player, for the ATmega328P at 16 MHz: ELF and Intel HEX in
# build/firmware/, then its size and the player's.
.PHONY: firmware
firmware: deps
	$(MAKE) -C firmware OUT=$(CURDIR)/build/firmware

# The player as an Arduino library: build/arduino/Quillon/ and build/arduino/Quillon-VERSION.zip,
# which the Arduino IDE's "Sketch > Include Library > Add .ZIP Library" installs.
.PHONY: arduino
arduino: deps
	bash firmware/arduino/make-library.sh $(CURDIR)/build/arduino

# The composer and console tools for 64-bit Windows, cross-built with mingw-w64 and static
# (build/windows/*.exe), and the installer and zip that hold them.
windows: deps
	$(call configure,windows)
	cmake --build --preset windows

# The composer as a web page, built with Debian's emscripten into build/web/: static files that
# any web server can publish. run-web serves them on this machine only.
WEB_PORT ?= 8000
web: deps
	$(call configure,web,build/wasm)
	cmake --build --preset web

run-web: web
	@echo "Quillon in the browser: http://127.0.0.1:$(WEB_PORT)/ (Ctrl+C stops the server)"
	python3 -m http.server $(WEB_PORT) --bind 127.0.0.1 --directory build/web

# The readers under clang's libFuzzer (the fuzz preset), each for FUZZ_SECONDS: the melody reader,
# the RTTTL reader and the MIDI reader. New inputs go to build/fuzz/found/<reader>/, crashes to
# build/fuzz/found/<reader>-crash-*. Add what they find to fuzz/<reader>_corpus once fixed.
FUZZ_SECONDS ?= 60
FUZZ_READERS = melody_reader rtttl_reader midi_reader
fuzz: deps
	$(call configure,fuzz)
	cmake --build --preset fuzz --target $(FUZZ_READERS:%=%_fuzz)
	for reader in $(FUZZ_READERS); do \
		mkdir -p build/fuzz/found/$$reader && \
		build/fuzz/fuzz/$${reader}_fuzz -max_total_time=$(FUZZ_SECONDS) \
			-artifact_prefix=build/fuzz/found/$$reader- build/fuzz/found/$$reader \
			fuzz/$${reader}_corpus || exit 1; \
	done

clean:
	rm -rf build
