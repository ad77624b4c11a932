# Vanta Screensaver Builder. `make run` and `make test` work as root on a
# fresh Debian 12 machine: they install what is missing first.
SHELL := /bin/bash
ROOT := $(CURDIR)
JOBS ?= 2

.PHONY: all bootstrap native windows test test-native test-windows fuzz run clean bench dist loop

all: native windows

bootstrap:
	@bash scripts/bootstrap.sh

native: bootstrap
	cmake -S . -B build/native -G Ninja
	cmake --build build/native -j $(JOBS)

windows: bootstrap
	bash scripts/deps/mpg123.sh
	bash scripts/deps/libjpeg-turbo.sh
	bash scripts/deps/zstd.sh
	JOBS=$(JOBS) bash scripts/deps/libspng.sh
	JOBS=$(JOBS) bash scripts/deps/libwebp.sh
	JOBS=$(JOBS) bash scripts/deps/libheif.sh
	bash scripts/deps/xxhash.sh
	bash scripts/deps/openssl.sh
	cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=$(ROOT)/cmake/mingw-i686.cmake
	cmake --build build/windows -j $(JOBS)

test-native: native
	cd build/native && ctest --output-on-failure -j $(JOBS)

# Win32 tests and end-to-end runs under Wine, serially, on one display.
test-windows: windows
	cd build/windows && $(ROOT)/scripts/with-display.sh ctest --output-on-failure

test: test-native test-windows

# Long fuzzing runs; `make test` runs each target briefly.
fuzz: native
	bash scripts/fuzz.sh 300

# Frame time of every effect against a frame copy (Google Benchmark), and
# the table of it in build/bench-table.md; the installer compiler against
# cp -r, and the setup under Wine against a copy, then a library
# of incompressible files in a setup with parts (span-bench.sh, whose SIZE
# argument makes it 6 GB by hand), in build/bench-installer.md (it needs
# the Windows build for the setup).
BENCH_ARGS ?= --benchmark_repetitions=3 --benchmark_min_time=0.2
bench: native windows
	build/native/bin/vanta-bench $(BENCH_ARGS) --benchmark_out=build/bench-effects.json --benchmark_out_format=json
	python3 bench/effects_table.py build/bench-effects.json > build/bench-table.md
	tail -n 14 build/bench-table.md
	bash installer/bench/installer-bench.sh build/native/bin/vantabuild build/windows/bin/vantasetup.exe > build/bench-installer.md
	bash installer/bench/span-bench.sh build/native/bin/vantabuild build/windows/bin/vantasetup.exe >> build/bench-installer.md
	cat build/bench-installer.md

# The builder's own setup, build/dist/VantaSaverSetup.exe, made by our
# compiler from data/VantaSaverSetup.iss and the files it names.
dist: native windows
	bash scripts/dist.sh build/windows/bin build/dist build/native/bin/vantabuild

# The whole loop (the builder's setup, a saver built, installed, shown,
# both uninstalled) on a fresh Wine prefix, with a screenshot of each stage
# in build/screenshots/loop-*.png; on $DISPLAY, or on Xvfb without one.
loop: windows
	bash tests/e2e/loop.sh --shots build/windows/bin/VantaSaver.scr build/windows/bin/vanta-dialog-driver.exe

# Whole-process picture loads against pngtopnm and dwebp, and a turned
# JPEG against an untagged one: build/bench-pictures.md.
.PHONY: bench-pictures
bench-pictures: native
	bash bench/picture-load-bench.sh 5

run: windows
	bash scripts/run.sh $(ARGS)

# Contact sheet of all 127 effects at p = 25, 50, 75: build/gallery.png.
.PHONY: gallery
gallery: native
	build/native/bin/vanta-gallery build/gallery.ppm 200 150 1 data/samples/t1.jpg data/samples/t2.jpg
	if [ -x /usr/bin/convert ]; then /usr/bin/convert build/gallery.ppm build/gallery.png; fi

clean:
	rm -rf build/native build/windows
